#include "JxPaths.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
std::string StripTrailingSlash(std::string s)
{
    while (s.size() > 1 && s.back() == '/') s.pop_back();
    return s;
}
}  // namespace

std::string JxProgramFolder()
{
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return StripTrailingSlash(fs::current_path(ec).string());
    return StripTrailingSlash(exe.parent_path().string());
}

std::string JxTempFolder()
{
    const char* tmp = std::getenv("TMPDIR");
    return StripTrailingSlash(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp");
}

std::string JxDataFolder()
{
    std::string folder;
    if (const char* env = std::getenv("JXCONFIG_DATA_DIR"); env != nullptr && *env != '\0') {
        folder = env;
    } else {
        std::string base;
        if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg != '\0') base = xdg;
        else if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') base = std::string(home) + "/.local/share";
        else return {};
        folder = base + "/Corvanta/Tolvar";
    }
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!JxFolderExists(folder)) return {};
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string JxShippedDataFolder(const std::string& fileName)
{
    const std::string program = JxProgramFolder();
    if (JxFileExists(JxJoinPath(program, fileName))) return program;
    const std::string shared = StripTrailingSlash(fs::path(program + "/../share/jxconfig").lexically_normal().string());
    if (JxFileExists(JxJoinPath(shared, fileName))) return shared;
    return program;
}

bool JxFileExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool JxFolderExists(const std::string& path)
{
    struct stat st {};
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string JxJoinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty()) return name;
    if (folder.back() == '/') return folder + name;
    return folder + "/" + name;
}
