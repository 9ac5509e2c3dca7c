#include "xml/CXmlDocument.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "xml/XmlScan.h"

namespace {

// A tag or attribute name the editor may write: one unquoted token, so that
// the text it produces parses back to the same element and attribute.
bool IsPlainName(std::string_view name)
{
    if (name.empty()) return false;
    for (char c : name) {
        if (xml::IsTokenStop(c) || c == '"' || c == '\'') return false;
    }
    return true;
}

}  // namespace

CXmlDocument::CXmlDocument(const CXmlDocument& other)
    : m_text(other.m_text),
      m_positions(other.m_positions),
      m_parent(other.m_parent),
      m_current(other.m_current),
      m_child(other.m_child),
      m_nextFree(other.m_nextFree),
      m_nodeType(other.m_nodeType)
{
}

CXmlDocument& CXmlDocument::operator=(const CXmlDocument& other)
{
    if (this != &other) {
        m_text = other.m_text;
        m_error.clear();
        m_positions = other.m_positions;
        m_parent = other.m_parent;
        m_current = other.m_current;
        m_child = other.m_child;
        m_nextFree = other.m_nextFree;
        m_nodeType = other.m_nodeType;
    }
    return *this;
}

CXmlDocument::CXmlDocument(CXmlDocument&& other) noexcept
{
    *this = std::move(other);
}

CXmlDocument& CXmlDocument::operator=(CXmlDocument&& other) noexcept
{
    if (this != &other) {
        m_text = std::move(other.m_text);
        m_error = std::move(other.m_error);
        m_positions = std::move(other.m_positions);
        m_parent = std::exchange(other.m_parent, 0);
        m_current = std::exchange(other.m_current, 0);
        m_child = std::exchange(other.m_child, 0);
        m_nextFree = std::exchange(other.m_nextFree, 0);
        m_nodeType = std::exchange(other.m_nodeType, NodeNone);
        other.m_text.clear();
        other.m_error.clear();
        other.m_positions.clear();
    }
    return *this;
}

// ---------------------------------------------------------------- parsing

bool CXmlDocument::Parse(std::string text, bool isUtf8)
{
    if (isUtf8) Utf8ToSingleByteInPlace(text);
    m_text = std::move(text);
    m_error.clear();
    ResetPosition();

    const size_t wanted = std::min(m_text.size(), kMaxText) / 64 + 8;
    if (m_positions.size() < wanted) m_positions.resize(wanted);
    m_positions[0] = ElementPosition{};
    m_nextFree = 1;

    bool parsed = false;
    if (m_text.size() > kMaxText) {
        m_error = "Document too large";
    } else if (!m_text.empty()) {
        parsed = ParseTopLevel();
    }
    if (!parsed) {
        m_positions[0] = ElementPosition{};
        m_nextFree = 1;
    }
    ResetPosition();
    return parsed;
}

bool CXmlDocument::Fail(std::string message)
{
    m_error = std::move(message);
    return false;
}

int32_t CXmlDocument::NewRecord()
{
    if (static_cast<size_t>(m_nextFree) >= m_positions.size()) {
        const size_t size = m_positions.size();
        m_positions.resize(std::max(size + size / 2, size + 1));
    }
    m_positions[static_cast<size_t>(m_nextFree)] = ElementPosition{};
    return m_nextFree++;
}

// Elements are parsed with an explicit stack of open elements rather than by
// recursion, so that no nesting depth can exhaust the call stack.
bool CXmlDocument::ParseTopLevel()
{
    const OpenResult root = OpenElement(0);
    if (root.kind != Opened::Empty && root.kind != Opened::Open) return false;
    m_positions[0].firstChild = root.index;
    if (root.kind == Opened::Empty) return true;

    std::vector<OpenFrame> open;
    open.push_back(OpenFrame{root.index, root.nameBegin, root.nameEnd, 0});
    while (!open.empty()) {
        const OpenFrame frame = open.back();
        const OpenResult child = OpenElement(frame.index);
        switch (child.kind) {
        case Opened::Fail:
            return false;
        case Opened::NoMore: {
            if (!CloseElement(frame)) return false;
            open.pop_back();
            if (open.empty()) return true;
            // The enclosing element scans on after this one's end tag.
            m_positions[static_cast<size_t>(open.back().index)].endTagBegin =
                m_positions[static_cast<size_t>(frame.index)].endTagEnd + 1;
            break;
        }
        case Opened::Empty:
        case Opened::Open: {
            if (frame.lastChild != 0)
                m_positions[static_cast<size_t>(frame.lastChild)].nextSibling = child.index;
            else
                m_positions[static_cast<size_t>(frame.index)].firstChild = child.index;
            open.back().lastChild = child.index;
            if (child.kind == Opened::Empty) {
                m_positions[static_cast<size_t>(frame.index)].endTagBegin =
                    m_positions[static_cast<size_t>(child.index)].endTagEnd + 1;
            } else {
                open.push_back(OpenFrame{child.index, child.nameBegin, child.nameEnd, 0});
            }
            break;
        }
        }
    }
    return true;
}

// Reads the next element's start tag under parent, from the parent's scan
// position (its endTagBegin while it is open). Comments, processing
// instructions, CDATA sections and document types on the way are skipped, and
// so is any text. NoMore when the next tag is an end tag.
CXmlDocument::OpenResult CXmlDocument::OpenElement(int32_t parent)
{
    OpenResult result;
    const std::string_view text(m_text);
    const int32_t n = static_cast<int32_t>(text.size());
    const int32_t index = NewRecord();
    m_positions[static_cast<size_t>(index)].parent = parent;
    int32_t pos = m_positions[static_cast<size_t>(parent)].endTagBegin;

    for (;;) {
        const void* lt = pos < n ? std::memchr(text.data() + pos, '<', static_cast<size_t>(n - pos)) : nullptr;
        if (!lt) {
            --m_nextFree;
            Fail("Element tag not found");
            return result;
        }
        const int32_t at = static_cast<int32_t>(static_cast<const char*>(lt) - text.data());
        m_positions[static_cast<size_t>(index)].startTagBegin = at;
        m_positions[static_cast<size_t>(parent)].endTagBegin = at;

        xml::Token name;
        if (!xml::ReadToken(text, at + 1, name)) {
            --m_nextFree;
            Fail("Abrupt end within tag");
            return result;
        }
        if (name.quoted) {
            --m_nextFree;
            Fail("Tag starts with quote");
            return result;
        }
        if (name.Is(text, '!') || name.Is(text, '?')) {
            const xml::Node node = xml::ScanNode(text, at);
            if (!node.terminated) {
                --m_nextFree;
                Fail("Invalid node");
                return result;
            }
            pos = node.end;
            continue;
        }
        if (name.Is(text, '/')) {
            --m_nextFree;
            result.kind = Opened::NoMore;
            return result;
        }

        const void* gt = std::memchr(text.data() + name.next, '>', static_cast<size_t>(n - name.next));
        if (!gt) {
            --m_nextFree;
            Fail("End of tag not found");
            return result;
        }
        const int32_t end = static_cast<int32_t>(static_cast<const char*>(gt) - text.data());
        ElementPosition& record = m_positions[static_cast<size_t>(index)];
        record.startTagEnd = end;
        result.index = index;
        result.nameBegin = name.begin;
        result.nameEnd = name.end;
        if (text[static_cast<size_t>(end - 1)] == '/') {
            record.endTagBegin = end - 1;
            record.endTagEnd = end;
            result.kind = Opened::Empty;
        } else {
            record.endTagBegin = end + 1;  // children are scanned from here
            result.kind = Opened::Open;
        }
        return result;
    }
}

// Reads the end tag of an open element, which starts at the "<" where the
// search for a further child stopped: "/", the element's name, then anything
// up to a ">".
bool CXmlDocument::CloseElement(const OpenFrame& frame)
{
    const std::string_view text(m_text);
    const int32_t n = static_cast<int32_t>(text.size());
    const std::string name(text.substr(static_cast<size_t>(frame.nameBegin),
                                       static_cast<size_t>(frame.nameEnd - frame.nameBegin)));
    ElementPosition& record = m_positions[static_cast<size_t>(frame.index)];
    const int32_t pos = record.endTagBegin;
    const void* lt = pos < n ? std::memchr(text.data() + pos, '<', static_cast<size_t>(n - pos)) : nullptr;
    if (!lt) return Fail("End tag of " + name + " element not found");
    const int32_t at = static_cast<int32_t>(static_cast<const char*>(lt) - text.data());

    xml::Token token;
    if (!xml::ReadToken(text, at + 1, token)) return Fail("End tag not completed for element " + name);
    if (!token.Is(text, '/')) return Fail("Expecting end tag of element " + name);
    if (!xml::ReadToken(text, token.next, token)) return Fail("End tag not completed for element " + name);
    if (token.Value(text) != name) return Fail("End tag does not correspond to " + name);
    for (;;) {
        if (!xml::ReadToken(text, token.next, token)) return Fail("End tag not completed for element " + name);
        if (token.Is(text, '>')) break;
    }
    record.endTagBegin = at;
    record.endTagEnd = token.begin;
    return true;
}

// ---------------------------------------------------------------- loading

namespace {

bool ReadWholeFile(const std::string& path, std::string& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    bytes.clear();
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool ok = !std::ferror(file);
    std::fclose(file);
    return ok;
}

}  // namespace

bool CXmlDocument::LoadFile(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        Parse(std::string(), false);
        m_error = "Cannot read " + path;
        return false;
    }
    return Parse(std::move(bytes), true);
}

bool CXmlDocument::LoadFileWithCrLf(const std::string& path)
{
    std::string bytes;
    if (!ReadWholeFile(path, bytes)) {
        Parse(std::string(), false);
        m_error = "Cannot read " + path;
        return false;
    }
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 32 + 16);
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) text += '\r';
        text += bytes[i];
    }
    return Parse(std::move(text), false);
}

// ---------------------------------------------------------------- cursor

void CXmlDocument::ResetPosition()
{
    m_parent = m_current = m_child = 0;
    m_nodeType = NodeNone;
}

bool CXmlDocument::FindNextElement(std::string_view name)
{
    if (m_positions.empty() || m_parent < 0 || m_parent >= m_nextFree) return false;
    int32_t index = HasCurrent() ? m_positions[static_cast<size_t>(m_current)].nextSibling
                                 : m_positions[static_cast<size_t>(m_parent)].firstChild;
    for (; IsRecord(index); index = m_positions[static_cast<size_t>(index)].nextSibling) {
        if (name.empty() || TagName(index) == name) {
            m_current = index;
            m_parent = m_positions[static_cast<size_t>(index)].parent;
            m_child = 0;
            m_nodeType = NodeElement;
            return true;
        }
    }
    return false;
}

bool CXmlDocument::FindNextChild(std::string_view name)
{
    if (!HasCurrent() && !FindNextElement()) return false;
    int32_t index = IsRecord(m_child) ? m_positions[static_cast<size_t>(m_child)].nextSibling
                                      : m_positions[static_cast<size_t>(m_current)].firstChild;
    for (; IsRecord(index); index = m_positions[static_cast<size_t>(index)].nextSibling) {
        if (name.empty() || TagName(index) == name) {
            m_child = index;
            m_current = m_positions[static_cast<size_t>(index)].parent;
            m_parent = m_positions[static_cast<size_t>(m_current)].parent;
            m_nodeType = NodeElement;
            return true;
        }
    }
    return false;
}

bool CXmlDocument::EnterElement()
{
    if (!HasCurrent()) return false;
    m_parent = m_current;
    m_current = m_child;
    m_child = 0;
    m_nodeType = m_current != 0 ? NodeElement : NodeNone;
    return true;
}

bool CXmlDocument::LeaveElement()
{
    if (!IsRecord(m_parent)) return false;
    m_child = m_current;
    m_current = m_parent;
    m_parent = m_positions[static_cast<size_t>(m_current)].parent;
    m_nodeType = NodeElement;
    return true;
}

// ---------------------------------------------------------------- reading

bool CXmlDocument::IsEmptyElement(int32_t index) const
{
    const ElementPosition& record = m_positions[static_cast<size_t>(index)];
    return record.startTagEnd == record.endTagBegin + 1;
}

std::string_view CXmlDocument::TagName(int32_t index) const
{
    const std::string_view text(m_text);
    xml::Token token;
    if (!xml::ReadToken(text, m_positions[static_cast<size_t>(index)].startTagBegin + 1, token)) return {};
    return token.Value(text);
}

std::string CXmlDocument::GetElementName() const
{
    if (!HasCurrent()) return {};
    return std::string(TagName(m_current));
}

// Walks the tokens of the start tag: the tag name, then attributes. The
// attribute is the first unquoted token equal to name that is followed by
// "=" and a quoted value; an unquoted "/", ">" or "?" ends the search.
bool CXmlDocument::FindAttribute(int32_t index, std::string_view name, int32_t& valueBegin,
                                 int32_t& valueEnd) const
{
    const std::string_view text(m_text);
    xml::Token token;
    if (!xml::ReadToken(text, m_positions[static_cast<size_t>(index)].startTagBegin + 1, token)) return false;
    enum { Nothing, Named, NamedEquals } state = Nothing;
    while (xml::ReadToken(text, token.next, token)) {
        if (token.quoted) {
            if (state == NamedEquals) {
                valueBegin = token.begin;
                valueEnd = token.end;
                return true;
            }
            state = Nothing;
        } else if (token.Is(text, '=')) {
            state = state == Named ? NamedEquals : Nothing;
        } else if (token.Is(text, '/') || token.Is(text, '>') || token.Is(text, '?')) {
            return false;
        } else {
            state = token.Value(text) == name ? Named : Nothing;
        }
    }
    return false;
}

// FindAttribute for several names at once: the same walk over the tokens,
// remembering which name the last token was.
void CXmlDocument::FindAttributes(int32_t index, const std::string_view* names, int32_t* begins, int32_t* ends,
                                  size_t count) const
{
    for (size_t i = 0; i < count; ++i) begins[i] = ends[i] = -1;
    const std::string_view text(m_text);
    xml::Token token;
    if (!xml::ReadToken(text, m_positions[static_cast<size_t>(index)].startTagBegin + 1, token)) return;
    enum { Nothing, Named, NamedEquals } state = Nothing;
    size_t named = 0;
    size_t missing = count;
    while (missing > 0 && xml::ReadToken(text, token.next, token)) {
        if (token.quoted) {
            if (state == NamedEquals && begins[named] < 0) {
                begins[named] = token.begin;
                ends[named] = token.end;
                --missing;
            }
            state = Nothing;
        } else if (token.Is(text, '=')) {
            state = state == Named ? NamedEquals : Nothing;
        } else if (token.Is(text, '/') || token.Is(text, '>') || token.Is(text, '?')) {
            return;
        } else {
            const std::string_view value = token.Value(text);
            state = Nothing;
            for (size_t i = 0; i < count; ++i) {
                if (value == names[i]) {
                    named = i;
                    state = Named;
                    break;
                }
            }
        }
    }
}

void CXmlDocument::GetAttributes(const std::string_view* names, std::string* values, size_t count) const
{
    if (!HasCurrent()) {
        for (size_t i = 0; i < count; ++i) values[i].clear();
        return;
    }
    constexpr size_t kMost = 16;
    int32_t begins[kMost];
    int32_t ends[kMost];
    for (size_t from = 0; from < count; from += kMost) {
        const size_t n = std::min(kMost, count - from);
        FindAttributes(m_current, names + from, begins, ends, n);
        for (size_t i = 0; i < n; ++i) {
            std::string& value = values[from + i];
            if (begins[i] < 0) {
                value.clear();
                continue;
            }
            const std::string_view raw =
                std::string_view(m_text).substr(static_cast<size_t>(begins[i]), static_cast<size_t>(ends[i] - begins[i]));
            if (raw.find('&') == std::string_view::npos)
                value.assign(raw);
            else
                value = xml::DecodeEntities(raw);
        }
    }
}

std::string CXmlDocument::AttributeOf(int32_t index, std::string_view name) const
{
    int32_t begin = 0;
    int32_t end = 0;
    if (!FindAttribute(index, name, begin, end)) return {};
    return xml::DecodeEntities(std::string_view(m_text).substr(static_cast<size_t>(begin),
                                                               static_cast<size_t>(end - begin)));
}

std::string CXmlDocument::GetAttribute(std::string_view name) const
{
    if (!HasCurrent()) return {};
    return AttributeOf(m_current, name);
}

std::string CXmlDocument::GetChildAttribute(std::string_view name) const
{
    if (!HasCurrent() || !IsRecord(m_child)) return {};
    return AttributeOf(m_child, name);
}

// ---------------------------------------------------------------- editing

// A start tag whose ">" (the first one after the name) lies inside a quoted
// value, as in <E a="x>y">: its recorded end is not where its attributes end,
// so an edit at either place would land inside that value.
bool CXmlDocument::StartTagIsSound(int32_t index) const
{
    const std::string_view text(m_text);
    const int32_t end = m_positions[static_cast<size_t>(index)].startTagEnd;
    xml::Token token;
    int32_t pos = m_positions[static_cast<size_t>(index)].startTagBegin + 1;
    while (xml::ReadToken(text, pos, token)) {
        const int32_t first = token.quoted ? token.begin - 1 : token.begin;  // a quoted token starts at its quote
        if (first >= end) return true;
        if (token.quoted && token.end >= end) return false;  // closing quote at or after the ">"
        pos = token.next;
    }
    return false;
}

// Replaces [at, at + removed) by inserted and moves every recorded position
// at or after the end of the replaced range by the change in length.
// Positions inside the range belong to the element being edited or deleted
// and are the caller's business.
bool CXmlDocument::Replace(int32_t at, int32_t removed, std::string_view inserted)
{
    const int64_t delta = static_cast<int64_t>(inserted.size()) - removed;
    const int64_t length = static_cast<int64_t>(m_text.size()) + delta;
    if (at < 0 || removed < 0 || static_cast<size_t>(at) + static_cast<size_t>(removed) > m_text.size() ||
        length > static_cast<int64_t>(kMaxText))
        return false;
    if (static_cast<size_t>(length) > m_text.capacity()) {
        m_text.reserve(std::max({m_text.capacity() + m_text.capacity() / 2, static_cast<size_t>(length),
                                 static_cast<size_t>(200)}));
    }
    m_text.replace(static_cast<size_t>(at), static_cast<size_t>(removed), inserted);
    if (delta == 0) return true;

    const int32_t threshold = at + removed;
    const int32_t shift = static_cast<int32_t>(delta);
    for (int32_t i = 1; i < m_nextFree; ++i) {
        ElementPosition& r = m_positions[static_cast<size_t>(i)];
        if (r.startTagBegin >= threshold) r.startTagBegin += shift;
        if (r.startTagEnd >= threshold) r.startTagEnd += shift;
        if (r.endTagBegin >= threshold) r.endTagBegin += shift;
        if (r.endTagEnd >= threshold) r.endTagEnd += shift;
    }
    return true;
}

bool CXmlDocument::SetAttribute(Which element, std::string_view name, std::string_view value)
{
    if (!HasCurrent()) return false;
    const int32_t index = element == Which::Child ? m_child : m_current;
    if (!IsRecord(index) || !IsPlainName(name) || !StartTagIsSound(index)) return false;

    const std::string escaped = xml::EscapeAttribute(value);
    int32_t begin = 0;
    int32_t end = 0;
    if (FindAttribute(index, name, begin, end)) return Replace(begin, end - begin, escaped);

    std::string piece;
    piece.reserve(name.size() + escaped.size() + 4);
    piece += ' ';
    piece += name;
    piece += "=\"";
    piece += escaped;
    piece += '"';
    const ElementPosition& record = m_positions[static_cast<size_t>(index)];
    // Before the ">" of the start tag, or before the "/" of "/>".
    const int32_t at = IsEmptyElement(index) ? record.startTagEnd - 1 : record.startTagEnd;
    if (!Replace(at, 0, piece)) return false;
    // In a start tag that readers stop short in (a stray "?" or "/" before
    // the end) the new attribute would sit where nobody finds it: take it
    // out again rather than report a write that did not happen.
    if (AttributeOf(index, name) != value) {
        Replace(at, static_cast<int32_t>(piece.size()), {});
        return false;
    }
    return true;
}

bool CXmlDocument::AppendChild(std::string_view name)
{
    if (!IsPlainName(name)) return false;
    NewElement element;
    element.text.reserve(name.size() + 5);
    element.text += '<';
    element.text += name;
    element.text += "/>\r\n";
    element.startTagEnd = static_cast<int32_t>(name.size()) + 2;
    element.endTagBegin = element.startTagEnd - 1;
    element.endTagEnd = element.startTagEnd;
    return InsertChild(element);
}

bool CXmlDocument::AppendChild(std::string_view name, std::string_view content)
{
    if (!IsPlainName(name)) return false;
    const std::string escaped = xml::EscapeContent(content);
    NewElement element;
    element.text.reserve(2 * name.size() + escaped.size() + 7);
    element.text += '<';
    element.text += name;
    element.text += '>';
    element.text += escaped;
    element.text += "</";
    element.text += name;
    element.text += ">\r\n";
    const int32_t nameLength = static_cast<int32_t>(name.size());
    element.startTagEnd = nameLength + 1;
    element.endTagBegin = element.startTagEnd + 1 + static_cast<int32_t>(escaped.size());
    element.endTagEnd = element.endTagBegin + 2 + nameLength;
    return InsertChild(element);
}

bool CXmlDocument::InsertChild(const NewElement& element)
{
    if (!HasCurrent()) return false;
    const int32_t parent = m_current;
    const std::string_view text(m_text);
    const ElementPosition host = m_positions[static_cast<size_t>(parent)];
    int32_t elementAt = 0;
    int32_t after = 0;  // sibling the new element follows, 0 for none

    if (IsRecord(m_child)) {
        // After the current child, and after the white space that follows it
        // when that runs up to the next tag.
        after = m_child;
        int32_t at = m_positions[static_cast<size_t>(m_child)].endTagEnd + 1;
        int32_t skip = at;
        while (skip < static_cast<int32_t>(text.size()) && xml::IsSpace(text[static_cast<size_t>(skip)])) ++skip;
        if (skip == static_cast<int32_t>(text.size()) || text[static_cast<size_t>(skip)] == '<') at = skip;
        if (!Replace(at, 0, element.text)) return false;
        elementAt = at;
    } else {
        // As the last child.
        for (int32_t c = host.firstChild; IsRecord(c); c = m_positions[static_cast<size_t>(c)].nextSibling) after = c;
        if (IsEmptyElement(parent)) {
            // <p/> becomes <p>, CR LF, the child, </p>.
            if (!StartTagIsSound(parent)) return false;
            const std::string tag(TagName(parent));
            const int32_t slash = host.startTagEnd - 1;
            // In "<p x//>" the tag would still end in "/>": keep a blank
            // between the stray "/" and the ">".
            const int32_t gt = text[static_cast<size_t>(slash - 1)] == '/' ? slash + 1 : slash;
            std::string piece;
            piece.reserve(element.text.size() + tag.size() + 6);
            if (gt != slash) piece += ' ';
            piece += ">\r\n";
            piece += element.text;
            piece += "</";
            piece += tag;
            if (!Replace(slash, 1, piece)) return false;
            ElementPosition& record = m_positions[static_cast<size_t>(parent)];
            record.startTagEnd = gt;
            record.endTagBegin = gt + 3 + static_cast<int32_t>(element.text.size());
            elementAt = gt + 3;
        } else if (host.startTagEnd + 1 == host.endTagBegin) {
            // <p></p>: a line break after the start tag, then the child.
            const int32_t at = host.startTagEnd + 1;
            if (!Replace(at, 0, "\r\n" + element.text)) return false;
            elementAt = at + 2;
        } else {
            // Just before the "<" of the end tag.
            if (!Replace(host.endTagBegin, 0, element.text)) return false;
            elementAt = host.endTagBegin;
        }
    }

    const int32_t index = NewRecord();
    ElementPosition& record = m_positions[static_cast<size_t>(index)];
    record.startTagBegin = elementAt;
    record.startTagEnd = elementAt + element.startTagEnd;
    record.endTagBegin = elementAt + element.endTagBegin;
    record.endTagEnd = elementAt + element.endTagEnd;
    record.parent = parent;
    if (after != 0) {
        record.nextSibling = m_positions[static_cast<size_t>(after)].nextSibling;
        m_positions[static_cast<size_t>(after)].nextSibling = index;
    } else {
        record.nextSibling = m_positions[static_cast<size_t>(parent)].firstChild;
        m_positions[static_cast<size_t>(parent)].firstChild = index;
    }
    m_child = index;
    return true;
}

bool CXmlDocument::RemoveCurrentChild()
{
    if (!HasCurrent() || !IsRecord(m_child)) return false;
    int32_t previous = 0;
    int32_t c = m_positions[static_cast<size_t>(m_current)].firstChild;
    for (; IsRecord(c) && c != m_child; c = m_positions[static_cast<size_t>(c)].nextSibling) previous = c;
    if (c != m_child) return false;

    const std::string_view text(m_text);
    const int32_t n = static_cast<int32_t>(text.size());
    const ElementPosition child = m_positions[static_cast<size_t>(m_child)];
    int32_t end = child.endTagEnd + 1;
    int32_t skip = end;
    while (skip < n && xml::IsSpace(text[static_cast<size_t>(skip)])) ++skip;
    if (skip == n || text[static_cast<size_t>(skip)] == '<') end = skip;
    if (!Replace(child.startTagBegin, end - child.startTagBegin, {})) return false;

    if (previous != 0)
        m_positions[static_cast<size_t>(previous)].nextSibling = child.nextSibling;
    else
        m_positions[static_cast<size_t>(m_current)].firstChild = child.nextSibling;
    m_child = previous;
    return true;
}
