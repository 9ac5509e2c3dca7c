#include "FirmwareImage.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// The ELF header fields the tool reads.
constexpr size_t kTypeOffset = 16;
constexpr size_t kSectionTableOffset = 32;
constexpr size_t kSectionCountOffset = 48;
constexpr size_t kNameSectionIndexOffset = 50;
constexpr size_t kHeaderEnd = 52;
constexpr uint16_t kExecutable = 2;
// Each section header, and the two fields read from it.
constexpr uint64_t kSectionHeaderSize = 40;
constexpr size_t kSectionNameOffset = 0;
constexpr size_t kSectionFileOffset = 16;

constexpr char kRevisionSection[] = ".jx_rev_id";
constexpr size_t kRevisionSectionLength = sizeof kRevisionSection - 1;

uint16_t Be16(const uint8_t* p) { return static_cast<uint16_t>((p[0] << 8) | p[1]); }
uint32_t Be32(const uint8_t* p)
{
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
}

enum class NameMatch { No, Yes, OutsideFile };

// Compares the section name at `at` with ".jx_rev_id" (a longer name that
// begins with it counts). A name that differs before the end of the file is
// no match; one that would need bytes past the end is damaged.
NameMatch MatchRevisionName(const uint8_t* data, size_t size, uint64_t at)
{
    if (at >= size) return NameMatch::OutsideFile;
    for (size_t i = 0; i < kRevisionSectionLength; ++i) {
        if (at + i >= size) return NameMatch::OutsideFile;
        if (data[at + i] != static_cast<uint8_t>(kRevisionSection[i])) return NameMatch::No;
    }
    return NameMatch::Yes;
}

}  // namespace

int ClassifyRevisionText(std::string_view revision)
{
    // "Jx Main V 3.07": the version begins one character after the last V.
    // A V at the very end, or an empty text, leaves nothing to compare.
    const size_t v = revision.rfind('V');
    const size_t skip = v == std::string_view::npos ? 1 : v + 2;
    const std::string_view rest = skip < revision.size() ? revision.substr(skip) : std::string_view{};
    if (rest.size() != 4) return kJxImage308OrLater;
    static constexpr char k307[] = "3.07";  // digits and a dot: no case to ignore
    return std::memcmp(rest.data(), k307, 4) == 0 ? kJxImage307 : kJxImage308OrLater;
}

int ClassifyFirmwareImage(const uint8_t* data, size_t size)
{
    if (data == nullptr || size < kHeaderEnd) return kJxImageNotValid;
    if (Be16(data + kTypeOffset) != kExecutable) return kJxImageNotValid;

    const uint64_t table = Be32(data + kSectionTableOffset);
    const uint64_t count = Be16(data + kSectionCountOffset);
    const uint64_t nameIndex = Be16(data + kNameSectionIndexOffset);
    if (count == 0) return kJxImageBefore307;
    // The whole section table, and the section-name section's header in it,
    // must be inside the file.
    if (table + count * kSectionHeaderSize > size) return kJxImageNotValid;
    if (nameIndex >= count) return kJxImageNotValid;
    const uint64_t names = Be32(data + table + nameIndex * kSectionHeaderSize + kSectionFileOffset);
    if (names >= size) return kJxImageNotValid;

    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t* header = data + table + i * kSectionHeaderSize;
        const NameMatch match = MatchRevisionName(data, size, names + Be32(header + kSectionNameOffset));
        if (match == NameMatch::OutsideFile) return kJxImageNotValid;
        if (match == NameMatch::No) continue;

        // The revision text runs from the section's offset to its zero.
        const uint64_t at = Be32(header + kSectionFileOffset);
        if (at >= size) return kJxImageNotValid;
        const auto* begin = reinterpret_cast<const char*>(data + at);
        const void* end = std::memchr(begin, 0, size - at);
        if (end == nullptr) return kJxImageNotValid;
        return ClassifyRevisionText(std::string_view(begin, static_cast<const char*>(end) - begin));
    }
    return kJxImageBefore307;
}

int ClassifyFirmwareFile(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return kJxImageNotValid;
    std::vector<uint8_t> data;
    struct stat st {};
    bool read = fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    if (read) {
        data.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        // Read to the end even if the file grew; a file that shrank is cut short.
        for (;;) {
            if (done == data.size()) data.resize(data.size() + 65536);
            const ssize_t n = ::read(fd, data.data() + done, data.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) read = false;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        data.resize(done);
    }
    close(fd);
    return read ? ClassifyFirmwareImage(data.data(), data.size()) : kJxImageNotValid;
}
