#include "Documents.h"

#include <cctype>
#include <cstring>

#include "DisplayState.h"

namespace jxsim {

namespace {
const char* const kCrLf = "\r\n";
const char kXmlDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";

// Length of the UTF-8 sequence at p, or 0 when it is not one.
size_t Utf8SequenceLength(const unsigned char* p, size_t left)
{
    const unsigned char c = p[0];
    size_t n = 0;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0 && c >= 0xC2) n = 2;
    else if ((c & 0xF0) == 0xE0) n = 3;
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4) n = 4;
    else return 0;
    if (n > left) return 0;
    for (size_t i = 1; i < n; ++i)
        if ((p[i] & 0xC0) != 0x80) return 0;
    return n;
}

std::string Number(int64_t v) { return std::to_string(v); }

uint32_t Be32(const Bytes& b, size_t at) { return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) | b[at + 3]; }
uint16_t Be16(const Bytes& b, size_t at) { return static_cast<uint16_t>((b[at] << 8) | b[at + 1]); }
void PutBe32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}
void PutBe16(Bytes& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

// Deterministic filler, so sample files are the same on every start.
Bytes Filler(size_t n, uint32_t seed)
{
    Bytes out(n);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<uint8_t>(x);
    }
    return out;
}

Bytes Text(const std::string& s) { return Bytes(s.begin(), s.end()); }

const int64_t kFactoryTime = 1767225600;  // 1 January 2026 00:00:00 UTC
}  // namespace

std::string XmlAttributeText(const std::string& value)
{
    std::string out;
    const auto* p = reinterpret_cast<const unsigned char*>(value.data());
    size_t i = 0;
    while (i < value.size()) {
        const unsigned char c = p[i];
        switch (c) {
        case '&': out += "&amp;"; ++i; continue;
        case '<': out += "&lt;"; ++i; continue;
        case '>': out += "&gt;"; ++i; continue;
        case '"': out += "&quot;"; ++i; continue;
        case '\'': out += "&apos;"; ++i; continue;
        default: break;
        }
        if (c < 0x20) {
            out += "&#" + std::to_string(c) + ";";
            ++i;
            continue;
        }
        const size_t n = Utf8SequenceLength(p + i, value.size() - i);
        if (n == 0) {
            // A Latin-1 byte: two UTF-8 bytes.
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
            ++i;
        } else {
            out.append(value, i, n);
            i += n;
        }
    }
    return out;
}

std::string DirectoryXml(const std::vector<CFileEntry>& files)
{
    std::string x = kXmlDeclaration;
    x += "<DIR>";
    x += kCrLf;
    for (const auto& f : files) {
        x += "<ENT name=\"" + XmlAttributeText(f.name) + "\" size=\"" + Number(static_cast<int64_t>(f.size)) +
             "\" sec=\"" + Number(f.sec) + "\"/>";
        x += kCrLf;
    }
    x += "</DIR>";
    x += kCrLf;
    return x;
}

std::string StatusXml(const CStatusFigures& s)
{
    std::string x = kXmlDeclaration;
    x += "<STATUS ds=\"" + XmlAttributeText(s.displayName) + "\" mem=\"" + Number(s.mem) + "\" fmem=\"" +
         Number(s.fmem) + "\" dmem=\"" + Number(s.dmem) + "\" vmem=\"" + Number(s.vmem) + "\" vfmem=\"" +
         Number(s.vfmem) + "\" vr=\"" + XmlAttributeText(s.version) + "\" addr=\"" + Number(s.address) +
         "\" tm=\"" + Number(s.time) + "\" rst=\"" + Number(s.resets) + "\"/>";
    x += kCrLf;
    return x;
}

std::string PlaylistXml(const std::vector<CPlaylistEntry>& playlist)
{
    std::string x = kXmlDeclaration;
    x += "<PLAYLIST>";
    x += kCrLf;
    for (size_t i = 0; i < playlist.size(); ++i) {
        const auto& e = playlist[i];
        x += "<MSG pos=\"" + Number(static_cast<int64_t>(i)) + "\" name=\"" + XmlAttributeText(e.name) + "\" v=\"" +
             Number(e.value) + "\" p=\"";
        for (int k = 0; k < 6; ++k) x += (k ? "," : "") + Number(e.p[k]);
        x += "\"/>";
        x += kCrLf;
    }
    x += "</PLAYLIST>";
    x += kCrLf;
    return x;
}

std::string FactoryConfigXml(const CConfigDefaults& d)
{
    const std::string baud = Number(d.baud);
    std::string x = kXmlDeclaration;
    const char* lines[] = {
        "<CFG type=\"16X48MONO1.HLV.Jx\" ds=\"@DS@\" mid=\"HLV-M16X48-1\" gamma=\"2.20\" logmax=\"20000\" mode=\"0\" "
        "tpl=\"55\" tph=\"65\" ldl=\"0\" hdl=\"100\" rfr=\"120\">",
        "  <ADDR ip=\"192.168.1.50\" msk=\"255.255.255.0\" gtw=\"192.168.1.1\" dhcp=\"\" sw=\"0\" ertd=\"1\"/>",
        "  <TIME zn=\"-300\" dst=\"1\" clk=\"0\"/>",
        "  <ENET spd=\"AUTO\" dplx=\"AUTO\"/>",
        "  <SCRTY user=\"Admin\" pswrd=\"\"/>",
        "  <PORT type=\"DIRECT\" protocol=\"Kor\" num=\"1\" baud=\"@BAUD@\" initstr=\"\" hdsk=\"0\"/>",
        "  <PORT type=\"TCPIP\" protocol=\"Kor\" num=\"@TCP@\"/>",
        "  <PORT type=\"DIRECT\" protocol=\"RTD\" num=\"2\" baud=\"19200\" initstr=\"\" hdsk=\"0\"/>",
        "  <PORT type=\"UDPIP\" protocol=\"RTD\" num=\"3002\"/>",
        "</CFG>",
    };
    for (const char* l : lines) {
        std::string line = l;
        auto replace = [&line](const std::string& key, const std::string& value) {
            if (auto at = line.find(key); at != std::string::npos) line.replace(at, key.size(), value);
        };
        replace("@DS@", XmlAttributeText(d.displayName));
        replace("@BAUD@", baud);
        replace("@TCP@", Number(d.tcpPort));
        x += line;
        x += kCrLf;
    }
    return x;
}

// ---------------------------------------------------------------------------
// Reading the controller's own documents
// ---------------------------------------------------------------------------
const std::string* CXmlElement::Attribute(const std::string& key) const
{
    for (const auto& [k, v] : attributes)
        if (k == key) return &v;
    return nullptr;
}

namespace {
std::string DecodeEntities(const std::string& s)
{
    static const struct {
        const char* entity;
        char c;
    } kEntities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        bool done = false;
        if (s[i] == '&') {
            for (const auto& e : kEntities) {
                const size_t n = std::strlen(e.entity);
                if (s.compare(i, n, e.entity) == 0) {
                    out += e.c;
                    i += n - 1;
                    done = true;
                    break;
                }
            }
        }
        if (!done) out += s[i];
    }
    return out;
}
bool IsNameChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '.' || c == ':';
}
}  // namespace

std::vector<CXmlElement> ScanXmlElements(const std::string& text)
{
    std::vector<CXmlElement> out;
    size_t i = 0;
    const size_t n = text.size();
    while ((i = text.find('<', i)) != std::string::npos) {
        ++i;
        if (i >= n) break;
        if (text[i] == '?' || text[i] == '!' || text[i] == '/') {
            // Declarations, comments and end tags carry nothing we read.
            if (text.compare(i, 3, "!--") == 0) {
                const size_t end = text.find("-->", i);
                if (end == std::string::npos) break;
                i = end + 3;
            }
            continue;
        }
        CXmlElement e;
        while (i < n && IsNameChar(text[i])) e.name += text[i++];
        if (e.name.empty()) continue;
        for (;;) {
            while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
            if (i >= n || text[i] == '>' || text[i] == '/') break;
            std::string key;
            while (i < n && IsNameChar(text[i])) key += text[i++];
            while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
            if (key.empty() || i >= n || text[i] != '=') break;
            ++i;
            while (i < n && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
            if (i >= n || (text[i] != '"' && text[i] != '\'')) break;
            const char quote = text[i++];
            const size_t end = text.find(quote, i);
            if (end == std::string::npos) break;
            e.attributes.emplace_back(key, DecodeEntities(text.substr(i, end - i)));
            i = end + 1;
        }
        out.push_back(std::move(e));
    }
    return out;
}

// ---------------------------------------------------------------------------
// Firmware images
// ---------------------------------------------------------------------------
namespace {
const char kRevisionSection[] = ".jx_rev_id";  // ten characters
const size_t kElfHeader = 52;
const size_t kSectionHeader = 40;
}  // namespace

Bytes MakeFirmwareImage(const std::string& revision)
{
    const Bytes code = Filler(3072, static_cast<uint32_t>(revision.size()) * 7919u + 17u);
    const std::string names = std::string("\0.text\0.jx_rev_id\0.shstrtab\0", 29);
    const uint32_t textName = 1, revName = 7, strName = 18;

    const size_t textOff = kElfHeader;
    const size_t revOff = textOff + code.size();
    const size_t revSize = revision.size() + 1;
    const size_t strOff = revOff + revSize;
    size_t shOff = strOff + names.size();
    shOff = (shOff + 3) & ~size_t{3};
    const uint16_t sections = 4;

    Bytes image(shOff + kSectionHeader * sections, 0);
    const uint8_t ident[] = {0x7F, 'E', 'L', 'F', 1 /*32-bit*/, 2 /*big-endian*/, 1 /*version*/};
    std::memcpy(image.data(), ident, sizeof ident);
    PutBe16(image, 16, 2);    // executable
    PutBe16(image, 18, 20);   // PowerPC
    PutBe32(image, 20, 1);
    PutBe32(image, 24, 0x10000);
    PutBe32(image, 32, static_cast<uint32_t>(shOff));
    PutBe16(image, 40, kElfHeader);
    PutBe16(image, 46, kSectionHeader);
    PutBe16(image, 48, sections);
    PutBe16(image, 50, 3);
    std::memcpy(image.data() + textOff, code.data(), code.size());
    std::memcpy(image.data() + revOff, revision.data(), revision.size());
    std::memcpy(image.data() + strOff, names.data(), names.size());

    auto section = [&](int index, uint32_t name, uint32_t type, uint32_t flags, size_t off, size_t size) {
        const size_t h = shOff + kSectionHeader * static_cast<size_t>(index);
        PutBe32(image, h + 0, name);
        PutBe32(image, h + 4, type);
        PutBe32(image, h + 8, flags);
        PutBe32(image, h + 16, static_cast<uint32_t>(off));
        PutBe32(image, h + 20, static_cast<uint32_t>(size));
        PutBe32(image, h + 32, 1);
    };
    section(1, textName, 1 /*PROGBITS*/, 6 /*alloc+exec*/, textOff, code.size());
    section(2, revName, 1, 0, revOff, revSize);
    section(3, strName, 3 /*STRTAB*/, 0, strOff, names.size());
    return image;
}

std::optional<std::string> FirmwareRevision(const Bytes& image)
{
    const size_t size = image.size();
    if (size < kElfHeader || Be16(image, 16) != 2) return std::nullopt;
    const uint64_t shOff = Be32(image, 32);
    const uint64_t count = Be16(image, 48);
    const uint64_t strIndex = Be16(image, 50);
    auto headerAt = [&](uint64_t index) -> std::optional<size_t> {
        const uint64_t at = shOff + kSectionHeader * index;
        if (at + kSectionHeader > size) return std::nullopt;
        return static_cast<size_t>(at);
    };
    const auto strHeader = headerAt(strIndex);
    if (!strHeader) return std::nullopt;
    const uint64_t strOff = Be32(image, *strHeader + 16);
    for (uint64_t i = 0; i < count; ++i) {
        const auto h = headerAt(i);
        if (!h) return std::nullopt;
        const uint64_t nameAt = strOff + Be32(image, *h);
        if (nameAt + 10 > size) continue;
        if (std::memcmp(image.data() + nameAt, kRevisionSection, 10) != 0) continue;
        const uint64_t textAt = Be32(image, *h + 16);
        if (textAt >= size) return std::nullopt;
        const auto* begin = reinterpret_cast<const char*>(image.data() + textAt);
        const void* end = std::memchr(begin, 0, size - textAt);
        if (end == nullptr) return std::nullopt;
        return std::string(begin, static_cast<const char*>(end));
    }
    return std::nullopt;
}

std::string VersionFromRevision(const std::string& revision)
{
    const size_t v = revision.find_last_of("Vv");
    std::string rest = v == std::string::npos ? revision : revision.substr(v + 1);
    const size_t b = rest.find_first_not_of(" \t");
    if (b == std::string::npos) return {};
    const size_t e = rest.find_last_not_of(" \t\r\n");
    return rest.substr(b, e - b + 1);
}

std::vector<CSampleFile> SampleFiles(const std::string& version)
{
    std::vector<CSampleFile> files;
    files.push_back({"MAIN.EXE", MakeFirmwareImage("Tolvar Jx firmware V " + version), kFactoryTime});
    files.push_back({"JXDRV.RBF", Filler(2500, 42), kFactoryTime});
    files.push_back({"WELCOME.MSG", Text("Welcome to Tolvar\r\n"), kFactoryTime + 60});
    files.push_back({"LOG.XML",
                     Text(std::string(kXmlDeclaration) + "<LOG>\r\n<EVT sec=\"" + Number(kFactoryTime) +
                          "\" txt=\"Factory test passed\"/>\r\n</LOG>\r\n"),
                     kFactoryTime + 120});
    return files;
}

bool IsGeneratedDocument(const std::string& name)
{
    static const char* const kNames[] = {"DIRECTORY.XML", "STATUS.XML", "PLAYLIST.XML"};
    for (const char* g : kNames) {
        if (name.size() != std::strlen(g)) continue;
        bool same = true;
        for (size_t i = 0; i < name.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(name[i])) == g[i];
        if (same) return true;
    }
    return false;
}

}  // namespace jxsim
