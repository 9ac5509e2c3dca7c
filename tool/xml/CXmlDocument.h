#pragma once

// CXmlDocument: the tool's XML reader and editor for CONFIG.XML, STATUS.XML,
// DIRECTORY.XML, MODULES.XML and KorConfig.xml.
//
// The document is one Latin-1 text, kept exactly as read, plus a flat table of
// element positions into it. Navigation moves a cursor over the table; edits
// change the text in place and move the recorded positions behind the edit, so
// GetText() is always the document to save or send. Values live in quoted
// attributes; element text is never read.
//
// The cursor has three parts:
//   parent   the element whose children FindNextElement walks (0 = top level)
//   current  the current element (0 = none); GetAttribute, GetElementName
//   child    the current child of the current element (0 = none);
//            GetChildAttribute, RemoveCurrentChild, AppendChild's anchor
//
// A typical read:  ResetPosition(); FindNextElement("CFG"); EnterElement();
//                  FindNextElement("ADDR"); GetAttribute("ip");
// A typical write: ResetPosition(); FindNextElement("CFG");
//                  if (!FindNextChild("TIME")) AppendChild("TIME");
//                  SetAttribute(CXmlDocument::Which::Child, "zn", "60");
// Searches only run forward: look for elements in document order.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// One element of a parsed document. Offsets are into the text, links are
// indexes into the table; record 0 stands for the document itself.
struct ElementPosition {
    int32_t startTagBegin = 0;  // "<" that opens the start tag
    int32_t startTagEnd = 0;    // ">" that closes the start tag
    int32_t endTagBegin = 0;    // "<" of the end tag; startTagEnd - 1 for <a/> (scan position while parsing)
    int32_t endTagEnd = 0;      // ">" that closes the end tag; startTagEnd for <a/>
    int32_t parent = 0;         // enclosing element, 0 for the top-level element
    int32_t firstChild = 0;     // 0 when the element has no child elements
    int32_t nextSibling = 0;    // 0 for the last child
};

class CXmlDocument {
public:
    // Which element SetAttribute writes to.
    enum class Which { Current, Child };
    // Kind of the cursor position.
    enum NodeType : int32_t { NodeNone = 0, NodeElement = 1 };

    // Longest text a document holds (positions are 32-bit).
    static constexpr size_t kMaxText = 0x7FFFFFF0;

    CXmlDocument() = default;
    // Copies text, position table and cursor; the error text is not copied.
    CXmlDocument(const CXmlDocument& other);
    CXmlDocument& operator=(const CXmlDocument& other);
    // Moving leaves the source an empty document.
    CXmlDocument(CXmlDocument&& other) noexcept;
    CXmlDocument& operator=(CXmlDocument&& other) noexcept;

    // Replaces the whole document with text (converted from UTF-8 first when
    // isUtf8) and parses its first top-level element; the cursor is reset.
    // False for an empty or malformed text: the text is kept, no element is
    // found, and GetError() tells why.
    bool Parse(std::string text, bool isUtf8);
    // Parse of a file's bytes taken as UTF-8. False when the file cannot be
    // read (the document is then empty) or does not parse.
    bool LoadFile(const std::string& path);
    // Parse of a file's bytes as they are (no UTF-8 conversion), with every
    // bare LF turned into CR LF first.
    bool LoadFileWithCrLf(const std::string& path);

    // The document text with every edit made so far.
    const std::string& GetText() const { return m_text; }
    // Why the last Parse failed ("End tag does not correspond to CFG"), or
    // empty. For diagnosis; not a text for the operator.
    const std::string& GetError() const { return m_error; }

    // Cursor to the top level: no parent, no current element, no child.
    void ResetPosition();
    // Moves the current element forward among the parent's children to the
    // next one named name (any element when name is empty), starting after
    // the current element or at the parent's first child. Clears the child.
    // False, cursor unchanged, when there is none.
    bool FindNextElement(std::string_view name = {});
    // Moves the current child forward among the current element's children
    // to the next one named name (any when empty), starting after the current
    // child. Without a current element it first does FindNextElement().
    bool FindNextChild(std::string_view name = {});
    // Steps into the current element: it becomes the parent, the current
    // child becomes the current element (possibly none). False without a
    // current element.
    bool EnterElement();
    // Steps out: the parent becomes the current element and the old current
    // element its current child. False at the top level.
    bool LeaveElement();

    // Tag name of the current element, or empty.
    std::string GetElementName() const;
    // Value of a quoted attribute (name="v" or name='v') of the current
    // element, entities decoded; empty when absent or there is no element.
    std::string GetAttribute(std::string_view name) const;
    // The same for the current child.
    std::string GetChildAttribute(std::string_view name) const;
    // Several attributes of the current element in one pass over its start
    // tag: values[i] becomes what GetAttribute(names[i]) gives (the names
    // must differ). Reading a long list's rows this way reads each tag once.
    void GetAttributes(const std::string_view* names, std::string* values, size_t count) const;

    // Sets attribute name of the current element or the current child to
    // value (escaped): replaces the text between the existing quotes, or adds
    // ` name="value"` at the end of the start tag. The cursor is unchanged.
    // False without that element, for a name that is not a plain token, or
    // when the element's start tag has a ">" inside a quoted value (editing it
    // would damage that value).
    bool SetAttribute(Which element, std::string_view name, std::string_view value);
    // Adds an empty element <name/> and CR LF as a child of the current
    // element, just after the current child or else as the last child, and
    // makes it the current child. False without a current element or for a
    // name that is not a plain token.
    bool AppendChild(std::string_view name);
    // The same with text content: <name>content</name> and CR LF.
    bool AppendChild(std::string_view name, std::string_view content);
    // Deletes the current child with the white space after it (up to the
    // next "<"); its previous sibling, or none, becomes the current child.
    // False without a current child.
    bool RemoveCurrentChild();

    // Controller text (UTF-8) to tool text (Latin-1): two-byte sequences give
    // their character's low eight bits; longer sequences, and a lead byte cut
    // off at the end, give "?"; other bytes are copied.
    static std::string Utf8ToSingleByte(std::string_view text);
    // The same, converting text where it stands (the result is never longer).
    static void Utf8ToSingleByteInPlace(std::string& text);
    // Tool text (Latin-1) to UTF-8.
    static std::string SingleByteToUtf8(std::string_view text);

private:
    friend struct CXmlDocumentInspector;  // tests compare position tables

    enum class Opened { Fail, NoMore, Empty, Open };
    struct OpenResult {
        Opened kind = Opened::Fail;
        int32_t index = 0;
        int32_t nameBegin = 0;
        int32_t nameEnd = 0;
    };
    struct OpenFrame {
        int32_t index;
        int32_t nameBegin;
        int32_t nameEnd;
        int32_t lastChild;
    };

    bool Fail(std::string message);
    bool ParseTopLevel();
    OpenResult OpenElement(int32_t parent);
    bool CloseElement(const OpenFrame& frame);
    int32_t NewRecord();

    bool IsRecord(int32_t index) const { return index > 0 && index < m_nextFree; }
    bool HasCurrent() const { return m_nodeType == NodeElement && IsRecord(m_current); }
    bool IsEmptyElement(int32_t index) const;
    std::string_view TagName(int32_t index) const;
    bool FindAttribute(int32_t index, std::string_view name, int32_t& valueBegin, int32_t& valueEnd) const;
    std::string AttributeOf(int32_t index, std::string_view name) const;
    // Value positions of several attributes; begin -1 for a missing one.
    void FindAttributes(int32_t index, const std::string_view* names, int32_t* begins, int32_t* ends,
                        size_t count) const;
    bool StartTagIsSound(int32_t index) const;
    // Offsets of an inserted element's markup from its "<".
    struct NewElement {
        std::string text;  // the element and its CR LF
        int32_t startTagEnd;
        int32_t endTagBegin;
        int32_t endTagEnd;
    };
    bool InsertChild(const NewElement& element);
    bool Replace(int32_t at, int32_t removed, std::string_view inserted);

    std::string m_text;
    std::string m_error;
    std::vector<ElementPosition> m_positions;
    int32_t m_parent = 0;
    int32_t m_current = 0;
    int32_t m_child = 0;
    int32_t m_nextFree = 0;
    int32_t m_nodeType = NodeNone;
};
