#pragma once

// The lexical pieces under CXmlDocument: tokens of start and end tags, the
// scanner that tells the kinds of node apart, entity decoding and escaping.
// Every function takes the whole text and an offset and never reads outside
// the text, whatever it holds.

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace xml {

// The four white-space characters of a tag.
inline bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

namespace detail {
constexpr std::array<bool, 256> MakeStopTable()
{
    std::array<bool, 256> table{};
    for (unsigned char c : std::string_view(" \t\n\r<>=\\/?!")) table[c] = true;
    return table;
}
inline constexpr std::array<bool, 256> kStop = MakeStopTable();
}  // namespace detail

// White space or one of the seven delimiters < > = \ / ? ! : the characters
// that end an unquoted token.
inline bool IsTokenStop(char c)
{
    return detail::kStop[static_cast<unsigned char>(c)];
}

// One token of a tag. [begin, end) is its value (without the quotes of a
// quoted token); next is where reading goes on.
struct Token {
    int32_t begin = 0;
    int32_t end = 0;
    int32_t next = 0;
    bool quoted = false;

    int32_t Length() const { return end - begin; }
    // An unquoted single-character token such as "/" or ">".
    bool Is(std::string_view text, char c) const
    {
        return !quoted && end - begin == 1 && text[static_cast<size_t>(begin)] == c;
    }
    std::string_view Value(std::string_view text) const
    {
        return text.substr(static_cast<size_t>(begin), static_cast<size_t>(end - begin));
    }
};

// Skips white space from pos and reads one token: a quoted value ("..." or
// '...', running to the end of the text when the closing quote is missing), a
// single delimiter, or a run of other characters. False at the end of the text.
// Inline: the parser reads one or more tokens per element.
inline bool ReadToken(std::string_view text, int32_t pos, Token& token)
{
    const int32_t n = static_cast<int32_t>(text.size());
    if (pos < 0) pos = 0;
    while (pos < n && IsSpace(text[static_cast<size_t>(pos)])) ++pos;
    if (pos >= n) return false;
    const char first = text[static_cast<size_t>(pos)];
    if (first == '"' || first == '\'') {
        const void* close = std::memchr(text.data() + pos + 1, first, static_cast<size_t>(n - pos - 1));
        token.quoted = true;
        token.begin = pos + 1;
        if (close) {
            token.end = static_cast<int32_t>(static_cast<const char*>(close) - text.data());
            token.next = token.end + 1;
        } else {
            token.end = n;
            token.next = n;
        }
        return true;
    }
    token.quoted = false;
    token.begin = pos;
    if (IsTokenStop(first)) {
        token.end = token.next = pos + 1;
        return true;
    }
    int32_t end = pos + 1;
    while (end < n && !IsTokenStop(text[static_cast<size_t>(end)])) ++end;
    token.end = token.next = end;
    return true;
}

// Kinds of node, with the codes under which they are reported.
enum NodeKind : int32_t {
    NodeElement = 1,
    NodeText = 2,
    NodeWhiteSpace = 4,
    NodeCData = 8,
    NodeProcessingInstruction = 16,
    NodeComment = 32,
    NodeDocumentType = 64,
};

struct Node {
    int32_t kind = 0;
    int32_t end = 0;          // offset just after the node
    bool terminated = false;  // false: the text ended before the node did
};

// Classifies the node that starts at pos. At a "<": an element (to the first
// ">"), a CDATA section "<![" (to "]]>"), a comment "<!-" (to "-->"), a
// processing instruction "<?" (to "?>") or a document type "<!..." (to the
// first ">" outside quoted tokens and nested square brackets). Elsewhere: text
// or white space up to the next "<" or the end.
Node ScanNode(std::string_view text, int32_t pos);

// Attribute value as stored -> characters: the five named entities and &#n; /
// &#xh; for codes 1 to 255. Anything else that starts with "&" stays as it is.
std::string DecodeEntities(std::string_view value);

// Element content: < & > become entities.
std::string EscapeContent(std::string_view text);
// Attribute value: < & > ' " become entities.
std::string EscapeAttribute(std::string_view text);

}  // namespace xml
