// Parsing: what becomes an element, what is skipped, and the exact message of
// every way a text can fail.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "TempDir.h"
#include "XmlProbe.h"
#include "xml/CXmlDocument.h"
#include "xml/XmlScan.h"

namespace {

// Names of the elements in document order, "/" closing each level.
std::string Outline(CXmlDocument& doc)
{
    std::string out;
    doc.ResetPosition();
    int depth = 0;
    for (;;) {
        if (doc.FindNextElement()) {
            out += doc.GetElementName();
            doc.EnterElement();
            ++depth;
            out += "(";
        } else if (depth > 0) {
            doc.LeaveElement();
            --depth;
            out += ")";
        } else {
            break;
        }
    }
    return out;
}

struct ParseCase {
    const char* text;
    bool ok;
    const char* outline;  // when ok
    const char* error;    // when not ok
};

TEST(XmlParse, ParsesOrFailsWithItsMessage)
{
    const ParseCase cases[] = {
        {"<A/>", true, "A()", ""},
        {"<?xml version=\"1.0\"?>\r\n<!-- note -->\r\n<A x=\"1\"/>", true, "A()", ""},
        {"<!DOCTYPE A [ <!ENTITY e \"x>\"> ]><A/>", true, "A()", ""},
        {"<A><![CDATA[ <B/> ]]><C/></A>", true, "A(C())", ""},
        {"<A> text <B>more</B> <!-- <D/> --> <C/>\r\n</A>", true, "A(B()C())", ""},
        {"<A><B><C/></B><B/></A> trailing text <Z/>", true, "A(B(C())B())", ""},
        {"<A ></A >", true, "A()", ""},
        {"<A></A x=\">\" >", true, "A()", ""},
        {"< A ></ A>", true, "A()", ""},
        {"<E a=\"x>y\"></E>", true, "E()", ""},
        {"", false, "", ""},
        {"   ", false, "", "Element tag not found"},
        {"no markup", false, "", "Element tag not found"},
        {"<A><B/>", false, "", "Element tag not found"},
        {"<A><B/></A", false, "", "End tag not completed for element A"},
        {"<", false, "", "Abrupt end within tag"},
        {"<A><", false, "", "Abrupt end within tag"},
        {"<   ", false, "", "Abrupt end within tag"},
        {"<\"A\"/>", false, "", "Tag starts with quote"},
        {"<A><'B'/></A>", false, "", "Tag starts with quote"},
        {"<!-- open", false, "", "Invalid node"},
        {"<?xml version=\"1.0\"", false, "", "Invalid node"},
        {"<A><![CDATA[ x ]></A>", false, "", "Invalid node"},
        {"<!DOCTYPE A [ > <A/>", false, "", "Invalid node"},
        {"<A", false, "", "End of tag not found"},
        {"<A x=\"1\"", false, "", "End of tag not found"},
        {"<A><B></A>", false, "", "End tag does not correspond to B"},
        {"<A><B/></C>", false, "", "End tag does not correspond to A"},
        {"<A></>", false, "", "End tag does not correspond to A"},
        {"<A></a>", false, "", "End tag does not correspond to A"},
        {"<A></", false, "", "End tag not completed for element A"},
        {"<A></A", false, "", "End tag not completed for element A"},
        {"<A></A \"x>\"", false, "", "End tag not completed for element A"},
        {"</A>", false, "", ""},
    };
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.text);
        CXmlDocument doc;
        EXPECT_EQ(doc.Parse(c.text, false), c.ok);
        EXPECT_EQ(doc.GetText(), c.text);
        if (c.ok) {
            EXPECT_EQ(Outline(doc), c.outline);
            EXPECT_EQ(doc.GetError(), "");
            EXPECT_EQ(CXmlDocumentInspector::CheckPositions(doc), "");
        } else {
            EXPECT_EQ(doc.GetError(), c.error);
            doc.ResetPosition();
            EXPECT_FALSE(doc.FindNextElement());
            EXPECT_EQ(doc.GetAttribute("x"), "");
            EXPECT_FALSE(doc.AppendChild("X"));
        }
    }
}

TEST(XmlParse, GreaterThanInsideAValueEndsTheStartTag)
{
    // The start tag ends at the first ">", even inside quotes; the value
    // itself still reads whole.
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<E a=\"x>y\"><F/></E>", false));
    EXPECT_EQ(CXmlDocumentInspector::Dump(doc), "0 E 0,7,15,18\n1 F 11,14,13,14\n");
    doc.FindNextElement("E");
    EXPECT_EQ(doc.GetAttribute("a"), "x>y");
}

TEST(XmlParse, PositionsOfEmptyAndFullElements)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<R>\r\n <A/>\r\n <B k='v'>x</B>\r\n</R>\r\n", false));
    EXPECT_EQ(CXmlDocumentInspector::Dump(doc), "0 R 0,2,29,32\n1 A 6,9,8,9\n1 B 13,21,23,26\n");
}

TEST(XmlParse, DeepNestingNeedsNoDeepStack)
{
    const int depth = 200000;
    std::string text;
    for (int i = 0; i < depth; ++i) text += "<a>";
    for (int i = 0; i < depth; ++i) text += "</a>";
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse(text, false));
    int levels = 0;
    doc.ResetPosition();
    while (doc.FindNextElement("a") && doc.EnterElement()) ++levels;
    EXPECT_EQ(levels, depth);

    text.resize(text.size() - 1);  // the outermost end tag loses its ">"
    EXPECT_FALSE(doc.Parse(text, false));
    EXPECT_EQ(doc.GetError(), "End tag not completed for element a");
}

TEST(XmlParse, TableStartsAtOneRecordPer64CharactersAndGrowsByHalf)
{
    CXmlDocument doc;
    std::string text = "<R>";
    for (int i = 0; i < 300; ++i) text += "<e/>";  // 300 elements in 1207 characters
    text += "</R>";
    ASSERT_TRUE(doc.Parse(text, false));
    EXPECT_EQ(CXmlDocumentInspector::NextFree(doc), 302);
    // 1207 / 64 + 8 = 26 records, then 39, 58, 87, 130, 195, 292, 438.
    EXPECT_EQ(CXmlDocumentInspector::TableSize(doc), 438u);
    ASSERT_TRUE(doc.Parse("<A/>", false));
    EXPECT_EQ(CXmlDocumentInspector::NextFree(doc), 2);
    EXPECT_EQ(CXmlDocumentInspector::TableSize(doc), 438u);  // never shrinks
}

// Every prefix of a document that uses every construct either parses or
// fails with one of the parser's messages. The asan build checks that no
// prefix reads outside the text.
TEST(XmlParse, EveryPrefixParsesOrFailsCleanly)
{
    const std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<!DOCTYPE CFG [ <!ENTITY e 'v'> ]>\r\n"
        "<!-- configuration -->\r\n"
        "<CFG type=\"16X96R.HLV.Jx\" ds='a&amp;b&#65;'>\r\n"
        "  <ADDR ip=\"10.0.0.5\" sw=\"5\"/>\r\n"
        "  <![CDATA[ <not an element/> ]]>\r\n"
        "  <PORT type=\"DIRECT\" protocol=\"Kor\">text</PORT >\r\n"
        "  <?pi data?>\r\n"
        "  <TIME zn=\"-300\" dst=\"1\"></TIME>\r\n"
        "</CFG x >\r\n";
    const std::set<std::string> messages = {
        "",
        "Element tag not found",
        "Abrupt end within tag",
        "Tag starts with quote",
        "Invalid node",
        "End of tag not found",
        "End tag not completed for element CFG",
        "End tag not completed for element PORT",
        "End tag not completed for element TIME",
        "End tag does not correspond to CFG",
        "End tag does not correspond to PORT",
        "End tag does not correspond to TIME",
    };
    size_t parsed = 0;
    for (size_t length = 0; length <= text.size(); ++length) {
        CXmlDocument doc;
        const std::string prefix = text.substr(0, length);
        const bool ok = doc.Parse(prefix, false);
        EXPECT_TRUE(messages.count(doc.GetError())) << length << ": " << doc.GetError();
        EXPECT_EQ(ok, doc.GetError().empty() && length > 0) << length;
        if (ok) {
            ++parsed;
            EXPECT_EQ(CXmlDocumentInspector::CheckPositions(doc), "") << length;
            EXPECT_EQ(Outline(doc), "CFG(ADDR()PORT()TIME())");
        }
    }
    EXPECT_EQ(parsed, 3u);  // the whole text, without its last CR LF, and without its LF
}

TEST(XmlParse, Utf8FlagConvertsBeforeParsing)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<A ds=\"Z\xC3\xBCrich \xE2\x82\xAC\"/>", true));
    EXPECT_EQ(doc.GetText(), "<A ds=\"Z\xFCrich ?\"/>");
    doc.FindNextElement("A");
    EXPECT_EQ(doc.GetAttribute("ds"), "Z\xFCrich ?");
}

TEST(XmlParse, CopyTakesTextTableAndCursorButNotTheError)
{
    CXmlDocument doc;
    EXPECT_FALSE(doc.Parse("<A>", false));
    ASSERT_EQ(doc.GetError(), "Element tag not found");
    CXmlDocument failed(doc);
    EXPECT_EQ(failed.GetText(), "<A>");
    EXPECT_EQ(failed.GetError(), "");

    ASSERT_TRUE(doc.Parse("<R><A v=\"1\"/><B v=\"2\"/></R>", false));
    doc.FindNextElement("R");
    doc.FindNextChild("B");
    CXmlDocument copy;
    copy = doc;
    EXPECT_EQ(copy.GetChildAttribute("v"), "2");
    // The copy is independent: editing it leaves the original alone.
    ASSERT_TRUE(copy.SetAttribute(CXmlDocument::Which::Child, "v", "3"));
    EXPECT_EQ(copy.GetChildAttribute("v"), "3");
    EXPECT_EQ(doc.GetChildAttribute("v"), "2");
    EXPECT_EQ(doc.GetText(), "<R><A v=\"1\"/><B v=\"2\"/></R>");

    // Moving takes everything and leaves an empty document behind, whose
    // old cursor no longer points anywhere.
    CXmlDocument moved(std::move(doc));
    EXPECT_EQ(moved.GetChildAttribute("v"), "2");
    EXPECT_EQ(doc.GetText(), "");  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(doc.GetChildAttribute("v"), "");
    EXPECT_FALSE(doc.FindNextChild());
    EXPECT_FALSE(doc.AppendChild("X"));
}

TEST(XmlParse, LoadFileConvertsUtf8)
{
    TempDir dir;
    WriteWholeFile(dir.File("STATUS.XML"), "<STATUS ds=\"Caf\xC3\xA9\"\n vr=\"X-3.07\"/>\n");
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(dir.File("STATUS.XML")));
    EXPECT_EQ(doc.GetText(), "<STATUS ds=\"Caf\xE9\"\n vr=\"X-3.07\"/>\n");
    ASSERT_TRUE(doc.FindNextElement("STATUS"));
    EXPECT_EQ(doc.GetAttribute("vr"), "X-3.07");

    EXPECT_FALSE(doc.LoadFile(dir.File("missing.xml")));
    EXPECT_EQ(doc.GetText(), "");
    EXPECT_NE(doc.GetError(), "");
    EXPECT_FALSE(doc.FindNextElement());
    EXPECT_FALSE(doc.LoadFile(dir.Path()));  // a folder cannot be read as a file
}

TEST(XmlParse, LoadFileWithCrLfTurnsBareLineFeedsIntoPairs)
{
    TempDir dir;
    WriteWholeFile(dir.File("MODULES.XML"), "\n<MODULES vr=\"1.2.3\">\n<X v=\"\xE9\"/>\r\n\n</MODULES>\n");
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFileWithCrLf(dir.File("MODULES.XML")));
    EXPECT_EQ(doc.GetText(), "\r\n<MODULES vr=\"1.2.3\">\r\n<X v=\"\xE9\"/>\r\n\r\n</MODULES>\r\n");
    ASSERT_TRUE(doc.FindNextElement("MODULES"));
    EXPECT_EQ(doc.GetAttribute("vr"), "1.2.3");
    EXPECT_TRUE(doc.FindNextChild("X"));
    EXPECT_EQ(doc.GetChildAttribute("v"), "\xE9");  // no UTF-8 conversion

    WriteWholeFile(dir.File("broken.xml"), "<MODULES>\n");
    EXPECT_FALSE(doc.LoadFileWithCrLf(dir.File("broken.xml")));
    EXPECT_EQ(doc.GetText(), "<MODULES>\r\n");
    EXPECT_FALSE(doc.LoadFileWithCrLf(dir.File("missing.xml")));
}

// The pieces under the parser: tokens of a tag and the kinds of node.
TEST(XmlScan, Tokens)
{
    struct Case {
        const char* text;
        int32_t pos;
        bool found;
        const char* value;
        bool quoted;
        int32_t next;
    };
    const Case cases[] = {
        {"  name=\"v\"", 0, true, "name", false, 6},
        {"=\"v\"", 0, true, "=", false, 1},
        {"\"a b\" c", 0, true, "a b", true, 5},
        {"'it\"s' x", 0, true, "it\"s", true, 6},
        {"\"open", 0, true, "open", true, 5},
        {"a\"b c", 0, true, "a\"b", false, 3},
        {" \t\r\n", 0, false, "", false, 0},
        {"x", 1, false, "", false, 0},
        {"/>", 0, true, "/", false, 1},
        {"\\x", 0, true, "\\", false, 1},
        {"ab!cd", 0, true, "ab", false, 2},
        {"\xE9t\xE9>", 0, true, "\xE9t\xE9", false, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        xml::Token token;
        ASSERT_EQ(xml::ReadToken(c.text, c.pos, token), c.found);
        if (!c.found) continue;
        EXPECT_EQ(token.Value(c.text), c.value);
        EXPECT_EQ(token.quoted, c.quoted);
        EXPECT_EQ(token.next, c.next);
    }
}

TEST(XmlScan, NodeKinds)
{
    struct Case {
        const char* text;
        int32_t kind;
        int32_t end;
        bool terminated;
    };
    const Case cases[] = {
        {"<a x='1'>rest", xml::NodeElement, 9, true},
        {"text<a>", xml::NodeText, 4, true},
        {" \r\n\t<a>", xml::NodeWhiteSpace, 4, true},
        {"<![CDATA[x]]>y", xml::NodeCData, 13, true},
        {"<?pi a?>y", xml::NodeProcessingInstruction, 8, true},
        {"<!-- a > b -->y", xml::NodeComment, 14, true},
        {"<!---->y", xml::NodeComment, 7, true},
        {"<!-->", xml::NodeComment, 5, false},
        {"<!DOCTYPE a [ <!ELEMENT a ANY> [x] ] 'q>' >y", xml::NodeDocumentType, 43, true},
        {"<!DOCTYPE a [ >", xml::NodeDocumentType, 15, false},
        {"<?pi", xml::NodeProcessingInstruction, 4, false},
        {"<a", xml::NodeElement, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const xml::Node node = xml::ScanNode(c.text, 0);
        EXPECT_EQ(node.kind, c.kind);
        EXPECT_EQ(node.end, c.end);
        EXPECT_EQ(node.terminated, c.terminated);
    }
}

}  // namespace
