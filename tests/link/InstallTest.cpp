// The installed library is usable from outside the source tree: a tiny
// program is built against an install in a temporary prefix, once through
// find_package(KorNet 1.0) and once through pkg-config, and each pings a
// controller played on a pseudo-terminal. The same holds for the Debian
// packages, unpacked into a temporary folder: their files, their
// dependencies, their programs and manual pages, and consumers built against
// libkornet-dev.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "Frames.h"
#include "PtyPeer.h"

namespace {
int Shell(const std::string& command)
{
    const int rc = std::system((command + " > /dev/null 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

// What `command` prints on stdout and stderr.
std::string Output(const std::string& command)
{
    std::string out;
    if (FILE* p = popen((command + " 2>&1").c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
        pclose(p);
    }
    return out;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Builds main.cpp (beside `src`'s CMakeLists.txt) with find_package(KorNet
// <version>) found under `prefix`; true when CMake found it and it built.
bool BuildWithFindPackage(const std::string& mainCpp, const std::string& src, const std::string& prefix,
                          const std::string& version)
{
    if (Shell("mkdir -p '" + src + "' && cp '" + mainCpp + "' '" + src + "/'") != 0) return false;
    // The header's version must be the one the CMake package was found at.
    WriteWholeFile(src + "/CMakeLists.txt",
                   "cmake_minimum_required(VERSION 3.25)\nproject(consumer CXX)\n"
                   "find_package(KorNet " + version + " REQUIRED)\nadd_executable(consumer main.cpp)\n"
                   "target_link_libraries(consumer PRIVATE KorNet::KorNet)\n"
                   "target_compile_definitions(consumer PRIVATE PACKAGE_VERSION=\"${KorNet_VERSION}\")\n");
    const std::string build = src + "/build";
    return Shell(std::string(KORNET_CMAKE_COMMAND) + " -S '" + src + "' -B '" + build +
                 "' -DCMAKE_CXX_COMPILER=" KORNET_CXX_COMPILER " -DCMAKE_PREFIX_PATH='" + prefix + "'") == 0 &&
           Shell(std::string(KORNET_CMAKE_COMMAND) + " --build '" + build + "'") == 0;
}

const char* const kConsumer = R"(#include <KorNet.h>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#ifdef PACKAGE_VERSION
static_assert(std::string_view(KORNET_VERSION_STRING) == PACKAGE_VERSION, "KorNet.h and the CMake package disagree");
#endif
static_assert(KORNET_VERSION_MAJOR == 1, "libkornet.so.1 is major version 1");
int main(int argc, char** argv)
{
    CKorNetwork link;
    link.SetTimeOut(2000);
    link.ConfigureDirect(static_cast<int16_t>(std::atoi(argv[1])), 19200, false);
    int16_t status = link.Connect();
    if (status == KORNET_OK) status = link.Ping(5);
    link.Disconnect();
    std::printf("%d\n", status);
    return status == KORNET_OK ? 0 : 1;
}
)";

class Installed : public ::testing::Test {
protected:
    static TempDir* dir;
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const std::string prefix = dir->File("prefix");
        ASSERT_EQ(Shell(std::string(KORNET_CMAKE_COMMAND) + " --install " KORNET_BINARY_DIR "/link --prefix '" + prefix + "'"), 0);
        WriteWholeFile(dir->File("main.cpp"), kConsumer);
    }
    static void TearDownTestSuite() { delete dir; }

    // Runs the consumer against a scripted controller; true when it pinged.
    static bool Pings(const std::string& program)
    {
        TempDir peerDir;
        PtyPeer peer(peerDir, 9);
        auto r = std::async(std::launch::async, [&] { return Shell("'" + program + "' 9"); });
        const Bytes sync = peer.ReadFrame(10000);
        if (sync != MakeFrame(5, 0x03)) return false;
        peer.Write(MakeFrame(5, 0x03));
        return r.get() == 0;
    }
};
TempDir* Installed::dir = nullptr;

TEST_F(Installed, FindPackageConsumerPings)
{
    const std::string prefix = dir->File("prefix");
    ASSERT_TRUE(BuildWithFindPackage(dir->File("main.cpp"), dir->File("cmake-consumer"), prefix, "1.0"));
    EXPECT_TRUE(Pings(dir->File("cmake-consumer/build/consumer")));
    // A caller that needs the next major version is told it is not there.
    EXPECT_FALSE(BuildWithFindPackage(dir->File("main.cpp"), dir->File("cmake-consumer-2"), prefix, "2.0"));
}

// Builds `mainCpp` into `program` with the flags pkg-config gives for kornet
// from `pcdir`.
bool BuildWithPkgConfig(const std::string& mainCpp, const std::string& pcdir, const std::string& program)
{
    return Shell("PKG_CONFIG_PATH='" + pcdir + "' " KORNET_CXX_COMPILER " '" + mainCpp + "' -o '" + program +
                 "' $(PKG_CONFIG_PATH='" + pcdir + "' pkg-config --cflags --libs kornet)") == 0;
}

TEST_F(Installed, PkgConfigConsumerPings)
{
    std::string pcdir;
    for (const char* lib : {"lib", "lib64", "lib/x86_64-linux-gnu"})
        if (Shell("test -f '" + dir->File("prefix") + "/" + lib + "/pkgconfig/kornet.pc'") == 0) pcdir = dir->File("prefix") + "/" + lib + "/pkgconfig";
    ASSERT_FALSE(pcdir.empty());
    const std::string program = dir->File("pkg-consumer");
    ASSERT_TRUE(BuildWithPkgConfig(dir->File("main.cpp"), pcdir, program));
    EXPECT_TRUE(Pings(program));
}

// ---------------------------------------------------------------------------
// The Debian packages, made by cpack from this build tree (no rebuild) and
// unpacked with dpkg-deb -x, each into its own folder and all into root/.
// ---------------------------------------------------------------------------
namespace fs = std::filesystem;

const std::string kLib = KORNET_INSTALL_LIBDIR;
const std::string kVersion = KORNET_PROJECT_VERSION;

// Every file and link under `root`, as paths relative to it.
std::set<std::string> FilesUnder(const std::string& root)
{
    std::set<std::string> files;
    if (!fs::exists(root)) return files;
    for (const auto& e : fs::recursive_directory_iterator(root))
        if (!e.is_directory() || e.is_symlink()) files.insert(e.path().lexically_relative(root).string());
    return files;
}

class Packaged : public Installed {
protected:
    static std::string skip;                       // why no packages can be made here
    static std::string made;                       // what cpack said when it failed
    static std::map<std::string, std::string> deb; // package name -> .deb

    static void SetUpTestSuite()
    {
        Installed::SetUpTestSuite();
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "file", "readelf"})
            if (Shell(std::string("command -v ") + tool) != 0)
                skip = std::string(tool) + " is missing: scripts/setup installs it (packages dpkg-dev, file, binutils)";
        if (!fs::exists(KORNET_CPACK_COMMAND)) skip = "cpack is missing (" KORNET_CPACK_COMMAND ")";
        if (!skip.empty()) return;
        const std::string out = dir->File("debs");
        const std::string log = Output(std::string(KORNET_CPACK_COMMAND) + " --config '" KORNET_BINARY_DIR
                                       "/CPackConfig.cmake' -B '" + out + "'");
        for (const auto& e : fs::directory_iterator(out)) {
            if (e.path().extension() != ".deb") continue;
            const std::string path = e.path().string();
            std::string name = Output("dpkg-deb -f '" + path + "' Package");
            name = name.substr(0, name.find('\n'));
            deb[name] = path;
            fs::create_directories(Unpacked(name));
            fs::create_directories(Root());
            Shell("dpkg-deb -x '" + path + "' '" + Unpacked(name) + "'");
            Shell("dpkg-deb -x '" + path + "' '" + Root() + "'");
        }
        if (deb.empty()) made = log;
    }
    void SetUp() override
    {
        if (!skip.empty()) GTEST_SKIP() << skip;
        ASSERT_FALSE(deb.empty()) << "cpack made no package:\n" << made;
    }
    static std::string Unpacked(const std::string& package) { return dir->File("unpacked/" + package); }
    static std::string Root() { return dir->File("root"); }
};
std::string Packaged::skip;
std::string Packaged::made;
std::map<std::string, std::string> Packaged::deb;

std::vector<std::string> Packages()
{
    std::vector<std::string> packages{"libkornet1", "libkornet-dev", "jxsim"};
#ifdef KORNET_HAS_JXCONFIG
    packages.push_back("jxconfig");
#endif
#ifdef KORNET_HAS_KORCTL
    packages.push_back("korctl");
#endif
    return packages;
}

TEST_F(Packaged, EachPackageHoldsItsFilesAndTogetherTheyHoldTheWholeInstall)
{
    struct Row {
        std::string package;
        std::vector<std::string> has;
        std::vector<std::string> lacks;
    };
    const std::string so = "usr/" + kLib + "/libkornet.so";
    const std::string hicolor = "usr/share/icons/hicolor/";
    const std::string id = "com.corvanta.jxconfig";
    const std::vector<Row> rows = {
        {"libkornet1", {so + ".1", so + "." + kVersion}, {so, "usr/include/KorNet.h"}},
        {"libkornet-dev",
         {so, "usr/include/KorNet.h", "usr/" + kLib + "/pkgconfig/kornet.pc",
          "usr/" + kLib + "/cmake/KorNet/KorNetConfig.cmake", "usr/" + kLib + "/cmake/KorNet/KorNetConfigVersion.cmake",
          "usr/" + kLib + "/cmake/KorNet/KorNetTargets.cmake"},
         {so + ".1"}},
        {"jxsim", {"usr/bin/jxsim", "usr/share/man/man1/jxsim.1.gz"}, {so + ".1"}},
        {"jxconfig",
         {"usr/bin/JxConfig", "usr/bin/jxconfig", "usr/share/jxconfig/MODULES.XML",
          "usr/share/applications/" + id + ".desktop", "usr/share/metainfo/" + id + ".metainfo.xml",
          hicolor + "scalable/apps/" + id + ".svg", hicolor + "16x16/apps/" + id + ".png",
          hicolor + "32x32/apps/" + id + ".png", hicolor + "48x48/apps/" + id + ".png",
          hicolor + "64x64/apps/" + id + ".png", hicolor + "128x128/apps/" + id + ".png",
          hicolor + "256x256/apps/" + id + ".png", "usr/share/man/man1/JxConfig.1.gz",
          "usr/share/man/man1/jxconfig.1.gz"},
         {so + ".1", "usr/bin/jxsim"}},
        {"korctl", {"usr/bin/korctl", "usr/share/man/man1/korctl.1.gz"}, {so + ".1", "usr/bin/jxsim"}},
    };
    std::set<std::string> packaged;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.package);
        if (deb.count(row.package) == 0) {
            // jxconfig only where Qt is, korctl only where the tool is built
            EXPECT_TRUE(row.package == "jxconfig" || row.package == "korctl") << "no package";
            continue;
        }
        const std::set<std::string> files = FilesUnder(Unpacked(row.package));
        for (const auto& f : row.has) EXPECT_EQ(files.count(f), 1u) << f;
        for (const auto& f : row.lacks) EXPECT_EQ(files.count(f), 0u) << f;
        packaged.insert(files.begin(), files.end());
    }
    EXPECT_EQ(deb.size(), Packages().size());
    // An install rule without a component would be left out of every package.
    const std::string whole = dir->File("whole/usr");
    ASSERT_EQ(Shell(std::string(KORNET_CMAKE_COMMAND) + " --install " KORNET_BINARY_DIR " --prefix '" + whole + "'"), 0);
    std::set<std::string> installed;
    for (const auto& f : FilesUnder(whole)) installed.insert("usr/" + f);
    EXPECT_EQ(packaged, installed);
}

TEST_F(Packaged, DependenciesAreWhatAnInstallNeeds)
{
    struct Row {
        std::string package, field;
        std::vector<std::string> says;
    };
    const std::string exact = "libkornet1 (= " + kVersion + ")";
    const std::vector<Row> rows = {
        {"libkornet1", "Depends", {"libc6", "libstdc++6", "zlib1g"}},
        {"libkornet1", "Section", {"libs"}},
        {"libkornet-dev", "Depends", {exact}},
        {"jxsim", "Depends", {"libc6", "zlib1g"}},
        {"jxconfig", "Depends", {exact, "libqt6widgets6"}},
        {"korctl", "Depends", {exact}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.package + " " + row.field);
        if (deb.count(row.package) == 0) continue;
        const std::string value = Output("dpkg-deb -f '" + deb[row.package] + "' " + row.field);
        for (const auto& part : row.says) EXPECT_TRUE(Contains(value, part)) << value;
        EXPECT_EQ(Output("dpkg-deb -f '" + deb[row.package] + "' Version"), kVersion + "\n");
    }
    // Programs built against libkornet1 depend on it through its shlibs file.
    EXPECT_TRUE(Contains(Output("dpkg-deb -I '" + deb["libkornet1"] + "' shlibs"),
                         "libkornet 1 libkornet1 (>= " + kVersion + ")"));
}

TEST_F(Packaged, ProgramsRunFromTheUnpackedPackagesAndTheirManualPagesListEveryOption)
{
    // Options in a --help text: every "--word" at the start of a line.
    const auto options = [](const std::string& help) {
        std::set<std::string> found;
        std::istringstream lines(help);
        for (std::string line; std::getline(lines, line);) {
            const auto at = line.find("--");
            if (at == std::string::npos || line.find_first_not_of(" -,hv") < at) continue;
            found.insert(line.substr(at, line.find_first_of(" ,=", at) - at));
        }
        return found;
    };
    struct Row {
        std::string program, run, says, page;
    };
    std::vector<Row> rows = {{"jxsim", "usr/bin/jxsim --help", "Usage: jxsim", "jxsim.1.gz"}};
    if (deb.count("jxconfig") != 0) {
        // found through its own RUNPATH in the unpacked libkornet1, not the build tree
        rows.push_back({"JxConfig", "usr/bin/jxconfig --version", "JxConfig " + kVersion, ""});
        rows.push_back({"JxConfig", "usr/bin/JxConfig --help", "--connection", "JxConfig.1.gz"});
    }
    if (deb.count("korctl") != 0) rows.push_back({"korctl", "usr/bin/korctl --help", "Exit status:", "korctl.1.gz"});
    for (const Row& row : rows) {
        SCOPED_TRACE(row.run);
        const std::string out = Output("cd '" + Root() + "' && env -u LD_LIBRARY_PATH QT_QPA_PLATFORM=offscreen " + row.run);
        EXPECT_TRUE(Contains(out, row.says)) << out;
        if (row.page.empty()) continue;
        const std::string page = Output("gzip -dc '" + Root() + "/usr/share/man/man1/" + row.page + "'");
        ASSERT_TRUE(Contains(page, ".TH")) << page;
        const std::set<std::string> listed = options(out);
        EXPECT_GE(listed.size(), 3u) << out;
        for (const auto& option : listed) {
            std::string roff;
            for (char c : option) roff += c == '-' ? std::string("\\-") : std::string(1, c);
            EXPECT_TRUE(Contains(page, roff)) << row.page << " does not describe " << option;
        }
    }
}

TEST_F(Packaged, ConsumersBuildAgainstTheDevPackageAndPing)
{
    const std::string usr = Root() + "/usr";
    ASSERT_TRUE(BuildWithFindPackage(dir->File("main.cpp"), dir->File("deb-cmake-consumer"), usr, "1.0"));
    EXPECT_TRUE(Pings(dir->File("deb-cmake-consumer/build/consumer")));
    const std::string program = dir->File("deb-pkg-consumer");
    ASSERT_TRUE(BuildWithPkgConfig(dir->File("main.cpp"), usr + "/" + kLib + "/pkgconfig", program));
    EXPECT_TRUE(Pings(program));
    // the consumer runs on the unpacked library, not the build tree's
    const std::string loaded = Output("ldd '" + program + "'");
    EXPECT_TRUE(Contains(loaded, Root() + "/usr/")) << loaded;
    EXPECT_FALSE(Contains(loaded, KORNET_BINARY_DIR "/link/")) << loaded;
}
}  // namespace
