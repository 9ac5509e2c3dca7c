#include "CFileStore.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace jxsim {

uint64_t CFileStore::UsedBytes() const
{
    uint64_t used = 0;
    for (const auto& e : List()) used += e.size;
    return used;
}

// ---------------------------------------------------------------------------
// Memory
// ---------------------------------------------------------------------------
std::vector<CFileEntry> CMemoryStore::List() const
{
    std::vector<CFileEntry> out;
    out.reserve(m_files.size());
    for (const auto& [name, f] : m_files) out.push_back({name, f.data.size(), f.sec});
    return out;
}

bool CMemoryStore::Find(const std::string& name, CFileEntry& entry) const
{
    auto it = m_files.find(name);
    if (it == m_files.end()) return false;
    entry = {name, it->second.data.size(), it->second.sec};
    return true;
}

bool CMemoryStore::Read(const std::string& name, Bytes& data) const
{
    auto it = m_files.find(name);
    if (it == m_files.end()) return false;
    data = it->second.data;
    return true;
}

bool CMemoryStore::Write(const std::string& name, const Bytes& data, int64_t sec)
{
    m_files[name] = File{data, sec};
    return true;
}

bool CMemoryStore::Remove(const std::string& name) { return m_files.erase(name) > 0; }

bool CMemoryStore::Rename(const std::string& from, const std::string& to)
{
    auto it = m_files.find(from);
    if (it == m_files.end()) return false;
    File f = std::move(it->second);
    m_files.erase(it);
    m_files[to] = std::move(f);
    return true;
}

// ---------------------------------------------------------------------------
// Folder
// ---------------------------------------------------------------------------
namespace {
bool NeedsEscape(unsigned char c, bool first)
{
    return c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == '%' || (first && c == '.');
}
int UpperHexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}
}  // namespace

CFolderStore::CFolderStore(std::string folder) : m_folder(std::move(folder))
{
    while (m_folder.size() > 1 && m_folder.back() == '/') m_folder.pop_back();
}

bool CFolderStore::Prepare(std::string& error)
{
    struct stat st {};
    if (stat(m_folder.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return true;
        error = m_folder + " is not a folder";
        return false;
    }
    // Create it and any missing parents.
    for (size_t pos = 1; pos <= m_folder.size(); ++pos) {
        if (pos == m_folder.size() || m_folder[pos] == '/') {
            const std::string part = m_folder.substr(0, pos);
            if (mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) {
                error = "cannot create " + part + ": " + std::strerror(errno);
                return false;
            }
        }
    }
    return true;
}

std::string CFolderStore::EncodeName(const std::string& name)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (NeedsEscape(c, i == 0)) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::optional<std::string> CFolderStore::DecodeName(const std::string& hostName)
{
    // Only what EncodeName writes decodes: a byte it escapes never appears
    // as itself, and an escape stands only for a byte it escapes, in its
    // upper-case digits. So no two host names give the same controller name,
    // and a listed name always leads back to its file.
    std::string out;
    for (size_t i = 0; i < hostName.size(); ++i) {
        const auto c = static_cast<unsigned char>(hostName[i]);
        if (c != '%') {
            if (NeedsEscape(c, out.empty())) return std::nullopt;
            out += static_cast<char>(c);
            continue;
        }
        if (i + 2 >= hostName.size()) return std::nullopt;
        const int hi = UpperHexValue(hostName[i + 1]);
        const int lo = UpperHexValue(hostName[i + 2]);
        if (hi < 0 || lo < 0) return std::nullopt;
        const auto b = static_cast<unsigned char>(hi * 16 + lo);
        // A zero byte ends a name on the wire: no request names it.
        if (b == 0 || !NeedsEscape(b, out.empty())) return std::nullopt;
        out += static_cast<char>(b);
        i += 2;
    }
    if (out.empty() || out.size() > kMaxNameBytes) return std::nullopt;
    return out;
}

std::string CFolderStore::PathOf(const std::string& name) const { return m_folder + "/" + EncodeName(name); }

namespace {
// Calls `visit` with the name and status of every regular file in `folder`
// that is not hidden.
template <class Visit>
void ForEachFile(const std::string& folder, Visit visit)
{
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (dirent* e = readdir(dir)) {
        const std::string host = e->d_name;
        if (host.empty() || host[0] == '.') continue;
        struct stat st {};
        if (stat((folder + "/" + host).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
        visit(host, st);
    }
    closedir(dir);
}
}  // namespace

std::vector<CFileEntry> CFolderStore::List() const
{
    std::vector<CFileEntry> out;
    ForEachFile(m_folder, [&out](const std::string& host, const struct stat& st) {
        if (auto name = DecodeName(host))
            out.push_back({*name, static_cast<uint64_t>(st.st_size), static_cast<int64_t>(st.st_mtime)});
    });
    std::sort(out.begin(), out.end(), [](const CFileEntry& a, const CFileEntry& b) { return a.name < b.name; });
    return out;
}

std::vector<std::string> CFolderStore::LeftOut() const
{
    std::vector<std::string> out;
    ForEachFile(m_folder, [&out](const std::string& host, const struct stat&) {
        if (!DecodeName(host)) out.push_back(host);
    });
    std::sort(out.begin(), out.end());
    return out;
}

bool CFolderStore::Find(const std::string& name, CFileEntry& entry) const
{
    if (name.empty()) return false;
    struct stat st {};
    if (stat(PathOf(name).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    entry = {name, static_cast<uint64_t>(st.st_size), static_cast<int64_t>(st.st_mtime)};
    return true;
}

bool CFolderStore::Read(const std::string& name, Bytes& data) const
{
    if (name.empty()) return false;
    const int fd = open(PathOf(name).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    Bytes out;
    uint8_t buf[65536];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            close(fd);
            return false;
        }
        out.insert(out.end(), buf, buf + n);
    }
    close(fd);
    data = std::move(out);
    return true;
}

bool CFolderStore::Write(const std::string& name, const Bytes& data, int64_t sec)
{
    // A file under a name no request can carry could never be asked for.
    if (name.empty() || name.size() > kMaxNameBytes || name.find('\0') != std::string::npos) return false;
    // Written beside the target under a hidden name, then renamed over it:
    // a reader never sees half a file, and a failure leaves the old one.
    std::string temp = m_folder + "/.jxsim-XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) return false;
    size_t done = 0;
    bool ok = true;
    while (done < data.size()) {
        const ssize_t n = write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(n);
    }
    fchmod(fd, 0644);
    if (ok && fsync(fd) != 0) ok = false;
    timespec times[2] = {{static_cast<time_t>(sec), 0}, {static_cast<time_t>(sec), 0}};
    (void)futimens(fd, times);
    if (close(fd) != 0) ok = false;
    if (ok && rename(temp.c_str(), PathOf(name).c_str()) != 0) ok = false;
    if (!ok) unlink(temp.c_str());
    return ok;
}

bool CFolderStore::Remove(const std::string& name)
{
    if (name.empty()) return false;
    return unlink(PathOf(name).c_str()) == 0;
}

bool CFolderStore::Rename(const std::string& from, const std::string& to)
{
    if (from.empty() || to.empty()) return false;
    return rename(PathOf(from).c_str(), PathOf(to).c_str()) == 0;
}

}  // namespace jxsim
