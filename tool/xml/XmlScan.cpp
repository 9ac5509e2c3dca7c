#include "xml/XmlScan.h"

#include <algorithm>

namespace xml {

namespace {

inline int32_t Size(std::string_view text)
{
    return static_cast<int32_t>(text.size());
}

// Offset of the first occurrence of pattern at or after from, or -1.
int32_t FindFrom(std::string_view text, int32_t from, std::string_view pattern)
{
    if (from < 0 || from > Size(text)) return -1;
    const size_t at = text.find(pattern, static_cast<size_t>(from));
    return at == std::string_view::npos ? -1 : static_cast<int32_t>(at);
}

// A document type declaration: tokens up to a ">" that is neither inside a
// quoted token nor inside square brackets ("<!DOCTYPE a [ <!ENTITY x '>'> ]>").
Node ScanDocumentType(std::string_view text, int32_t pos)
{
    Node node{NodeDocumentType, Size(text), false};
    int32_t depth = 0;
    Token token;
    while (ReadToken(text, pos, token)) {
        pos = token.next;
        if (token.quoted) continue;
        if (token.Is(text, '>') && depth == 0) {
            node.end = token.next;
            node.terminated = true;
            return node;
        }
        for (char c : token.Value(text)) {
            if (c == '[') ++depth;
            else if (c == ']' && depth > 0) --depth;
        }
    }
    return node;
}

Node ScanUntil(std::string_view text, int32_t kind, int32_t from, std::string_view terminator)
{
    const int32_t at = FindFrom(text, from, terminator);
    if (at < 0) return Node{kind, Size(text), false};
    return Node{kind, at + static_cast<int32_t>(terminator.size()), true};
}

int HexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "&#65;" or "&#x41;" at the start of rest: the character, or -1 when it is no
// character reference or names a code the single-byte text cannot hold.
int DecodeCharacterReference(std::string_view rest, size_t& length)
{
    if (rest.size() < 3 || rest[0] != '&' || rest[1] != '#') return -1;
    // The ";" must come within the seven characters after "&#"; never look
    // beyond the value.
    const size_t limit = std::min<size_t>(rest.size(), 2 + 7);
    size_t semi = 2;
    while (semi < limit && rest[semi] != ';') ++semi;
    if (semi >= limit) return -1;
    const bool hex = rest[2] == 'x';
    const size_t first = hex ? 3 : 2;
    if (semi <= first) return -1;
    unsigned long code = 0;
    for (size_t i = first; i < semi; ++i) {
        const int digit = hex ? HexValue(rest[i]) : (rest[i] >= '0' && rest[i] <= '9' ? rest[i] - '0' : -1);
        if (digit < 0) return -1;
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(digit);
    }
    if (code == 0 || code > 0xFF) return -1;  // ISO-8859-1 holds 1..255
    length = semi + 1;
    return static_cast<int>(code);
}

std::string Escape(std::string_view text, bool attribute)
{
    std::string out;
    out.reserve(text.size() + text.size() / 10 + 7);
    for (char c : text) {
        switch (c) {
        case '<': out += "&lt;"; break;
        case '&': out += "&amp;"; break;
        case '>': out += "&gt;"; break;
        case '\'':
            if (attribute) out += "&apos;";
            else out += c;
            break;
        case '"':
            if (attribute) out += "&quot;";
            else out += c;
            break;
        default: out += c; break;
        }
    }
    return out;
}

}  // namespace

Node ScanNode(std::string_view text, int32_t pos)
{
    const int32_t n = Size(text);
    if (pos < 0 || pos >= n) return Node{};
    if (text[static_cast<size_t>(pos)] != '<') {
        int32_t end = pos;
        bool blank = true;
        while (end < n && text[static_cast<size_t>(end)] != '<') {
            if (!IsSpace(text[static_cast<size_t>(end)])) blank = false;
            ++end;
        }
        return Node{blank ? NodeWhiteSpace : NodeText, end, true};
    }
    Token token;
    if (!ReadToken(text, pos + 1, token) || token.quoted) return Node{NodeElement, n, false};
    const int32_t mark = token.begin;  // the "!" or "?"
    const char after = mark + 1 < n ? text[static_cast<size_t>(mark + 1)] : '\0';
    if (token.Is(text, '?')) return ScanUntil(text, NodeProcessingInstruction, mark + 1, "?>");
    if (token.Is(text, '!')) {
        if (after == '[') return ScanUntil(text, NodeCData, mark + 2, "]]>");
        if (after == '-') return ScanUntil(text, NodeComment, mark + 2, "-->");
        return ScanDocumentType(text, mark + 1);
    }
    return ScanUntil(text, NodeElement, token.next, ">");
}

std::string DecodeEntities(std::string_view value)
{
    static constexpr struct {
        std::string_view entity;
        char c;
    } kNamed[] = {{"&lt;", '<'}, {"&amp;", '&'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};

    if (value.find('&') == std::string_view::npos) return std::string(value);
    std::string out;
    out.reserve(value.size());
    size_t i = 0;
    while (i < value.size()) {
        const char c = value[i];
        if (c != '&') {
            out += c;
            ++i;
            continue;
        }
        const std::string_view rest = value.substr(i);
        bool decoded = false;
        for (const auto& named : kNamed) {
            if (rest.substr(0, named.entity.size()) == named.entity) {
                out += named.c;
                i += named.entity.size();
                decoded = true;
                break;
            }
        }
        if (decoded) continue;
        size_t length = 0;
        const int code = DecodeCharacterReference(rest, length);
        if (code > 0) {
            out += static_cast<char>(code);
            i += length;
            continue;
        }
        out += '&';
        ++i;
    }
    return out;
}

std::string EscapeContent(std::string_view text)
{
    return Escape(text, false);
}

std::string EscapeAttribute(std::string_view text)
{
    return Escape(text, true);
}

}  // namespace xml
