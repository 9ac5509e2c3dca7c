// Conversions between the controllers' UTF-8 and the tool's Latin-1 text.
#include "xml/CXmlDocument.h"

#include <cstring>

namespace {

// Length of the run of bytes below 0x80 at the start of [p, end).
size_t AsciiRun(const unsigned char* p, const unsigned char* end)
{
    const unsigned char* q = p;
    // Most documents are plain ASCII: test 32 bytes at a time first.
    while (end - q >= 32) {
        uint64_t w[4];
        std::memcpy(w, q, 32);
        if ((w[0] | w[1] | w[2] | w[3]) & 0x8080808080808080ull) break;
        q += 32;
    }
    while (end - q >= 8) {
        uint64_t word;
        std::memcpy(&word, q, 8);
        if (word & 0x8080808080808080ull) break;
        q += 8;
    }
    while (q < end && *q < 0x80) ++q;
    return static_cast<size_t>(q - p);
}

// Converts [p, end) into out, which may be p itself: every character takes at
// least one byte and gives exactly one. Returns the end of the output.
char* ConvertUtf8(const unsigned char* p, const unsigned char* end, char* o)
{
    while (p < end) {
        const size_t run = AsciiRun(p, end);
        if (reinterpret_cast<const unsigned char*>(o) != p) std::memmove(o, p, run);
        o += run;
        p += run;
        if (p == end) break;
        const unsigned char lead = *p++;
        if (lead < 0xC0) {
            *o++ = static_cast<char>(lead);  // a stray continuation byte stays as it is
        } else if (lead < 0xE0) {
            if (p == end) {
                *o++ = '?';  // cut off after its lead byte
            } else {
                const unsigned char next = *p++;
                *o++ = static_cast<char>((((lead & 0x1F) << 6) | (next & 0x3F)) & 0xFF);
            }
        } else {
            // Three or four bytes: a character Latin-1 cannot hold. Its
            // continuation bytes go with it, but never a byte that is not one
            // (a "<" after a broken sequence stays markup).
            int more = lead < 0xF0 ? 2 : 3;
            while (more > 0 && p < end && (*p & 0xC0) == 0x80) {
                ++p;
                --more;
            }
            *o++ = '?';
        }
    }
    return o;
}

}  // namespace

std::string CXmlDocument::Utf8ToSingleByte(std::string_view text)
{
    std::string out(text);
    Utf8ToSingleByteInPlace(out);
    return out;
}

void CXmlDocument::Utf8ToSingleByteInPlace(std::string& text)
{
    auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const char* end = ConvertUtf8(p, p + text.size(), text.data());
    text.resize(static_cast<size_t>(end - text.data()));
}

std::string CXmlDocument::SingleByteToUtf8(std::string_view text)
{
    size_t high = 0;
    for (unsigned char c : text) high += c >> 7;
    std::string out;
    out.reserve(text.size() + high);
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}
