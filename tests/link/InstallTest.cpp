// The installed library is usable from outside the source tree: a tiny
// program is built against an install in a temporary prefix, once through
// find_package(KorNet) and once through pkg-config, and each pings a
// controller played on a pseudo-terminal.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <future>
#include <string>

#include "Frames.h"
#include "PtyPeer.h"

namespace {
int Shell(const std::string& command)
{
    const int rc = std::system((command + " > /dev/null 2>&1").c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
}

const char* const kConsumer = R"(#include <KorNet.h>
#include <cstdio>
#include <cstdlib>
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
    const std::string src = dir->File("cmake-consumer");
    ASSERT_EQ(Shell("mkdir -p '" + src + "' && cp '" + dir->File("main.cpp") + "' '" + src + "/'"), 0);
    WriteWholeFile(src + "/CMakeLists.txt",
                   "cmake_minimum_required(VERSION 3.25)\nproject(consumer CXX)\n"
                   "find_package(KorNet REQUIRED)\nadd_executable(consumer main.cpp)\n"
                   "target_link_libraries(consumer PRIVATE KorNet::KorNet)\n");
    const std::string build = src + "/build";
    ASSERT_EQ(Shell(std::string(KORNET_CMAKE_COMMAND) + " -S '" + src + "' -B '" + build +
                  "' -DCMAKE_CXX_COMPILER=" KORNET_CXX_COMPILER " -DCMAKE_PREFIX_PATH='" + dir->File("prefix") + "'"),
              0);
    ASSERT_EQ(Shell(std::string(KORNET_CMAKE_COMMAND) + " --build '" + build + "'"), 0);
    EXPECT_TRUE(Pings(build + "/consumer"));
}

TEST_F(Installed, PkgConfigConsumerPings)
{
    std::string pcdir;
    for (const char* lib : {"lib", "lib64", "lib/x86_64-linux-gnu"})
        if (Shell("test -f '" + dir->File("prefix") + "/" + lib + "/pkgconfig/kornet.pc'") == 0) pcdir = dir->File("prefix") + "/" + lib + "/pkgconfig";
    ASSERT_FALSE(pcdir.empty());
    const std::string program = dir->File("pkg-consumer");
    ASSERT_EQ(Shell("PKG_CONFIG_PATH='" + pcdir + "' " KORNET_CXX_COMPILER " '" + dir->File("main.cpp") + "' -o '" + program +
                  "' $(PKG_CONFIG_PATH='" + pcdir + "' pkg-config --cflags --libs kornet)"),
              0);
    EXPECT_TRUE(Pings(program));
}
}  // namespace
