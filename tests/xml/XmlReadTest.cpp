// Reading: the cursor, forward-only searches, attribute values and entities.
#include <gtest/gtest.h>

#include <string>

#include "xml/CXmlDocument.h"
#include "xml/XmlScan.h"

namespace {

const char* const kConfig =
    "<?xml version=\"1.0\"?>\r\n"
    "<CFG type=\"16X96R.HLV.Jx\" ds=\"North &amp; South\">\r\n"
    "<ADDR ip=\"10.1.2.3\" sw=\"5\"/>\r\n"
    "<PORT type=\"DIRECT\" num=\"1\"/>\r\n"
    "<TIME zn=\"-300\"><!-- local --></TIME>\r\n"
    "<PORT type=\"TCPIP\" num=\"3001\"/>\r\n"
    "</CFG>\r\n";

TEST(XmlRead, TypicalReadInDocumentOrder)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse(kConfig, false));
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindNextElement("CFG"));
    EXPECT_EQ(doc.GetElementName(), "CFG");
    EXPECT_EQ(doc.GetAttribute("ds"), "North & South");
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_EQ(doc.GetElementName(), "");  // nothing current yet inside CFG
    EXPECT_EQ(doc.GetAttribute("type"), "");
    ASSERT_TRUE(doc.FindNextElement("ADDR"));
    EXPECT_EQ(doc.GetAttribute("ip"), "10.1.2.3");
    ASSERT_TRUE(doc.FindNextElement("PORT"));
    EXPECT_EQ(doc.GetAttribute("num"), "1");
    ASSERT_TRUE(doc.FindNextElement("PORT"));
    EXPECT_EQ(doc.GetAttribute("num"), "3001");
    // Only forward: TIME lies behind the current PORT now.
    EXPECT_FALSE(doc.FindNextElement("TIME"));
    EXPECT_EQ(doc.GetAttribute("num"), "3001");  // a failed search moves nothing
    EXPECT_FALSE(doc.FindNextElement());

    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetElementName(), "CFG");
    EXPECT_FALSE(doc.LeaveElement());  // top level
    EXPECT_FALSE(doc.FindNextElement("CFG"));  // one top-level element only
    doc.ResetPosition();
    EXPECT_TRUE(doc.FindNextElement("CFG"));
}

TEST(XmlRead, ForwardOnlyAmongSiblings)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<R><A/><B/></R>", false));
    doc.FindNextElement("R");
    doc.EnterElement();
    EXPECT_TRUE(doc.FindNextElement("B"));
    EXPECT_FALSE(doc.FindNextElement("A"));
    EXPECT_EQ(doc.GetElementName(), "B");
}

TEST(XmlRead, FindNextChildWalksTheCurrentElementsChildren)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse(kConfig, false));
    // Without a current element, FindNextChild first finds the top-level one.
    ASSERT_TRUE(doc.FindNextChild("PORT"));
    EXPECT_EQ(doc.GetElementName(), "CFG");
    EXPECT_EQ(doc.GetChildAttribute("type"), "DIRECT");
    ASSERT_TRUE(doc.FindNextChild("PORT"));
    EXPECT_EQ(doc.GetChildAttribute("type"), "TCPIP");
    EXPECT_FALSE(doc.FindNextChild("PORT"));
    EXPECT_EQ(doc.GetChildAttribute("type"), "TCPIP");
    EXPECT_EQ(doc.GetAttribute("type"), "16X96R.HLV.Jx");

    // Entering makes the current child the current element; leaving makes
    // it the current child again.
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_EQ(doc.GetAttribute("num"), "3001");
    EXPECT_EQ(doc.GetChildAttribute("num"), "");
    ASSERT_TRUE(doc.LeaveElement());
    EXPECT_EQ(doc.GetElementName(), "CFG");
    EXPECT_EQ(doc.GetChildAttribute("num"), "3001");

    // A child with no element children of its own.
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindNextElement("CFG"));
    ASSERT_TRUE(doc.FindNextChild("TIME"));
    ASSERT_TRUE(doc.EnterElement());
    EXPECT_FALSE(doc.FindNextChild());  // the comment is no element
    // Inside CFG now, with TIME current: the next element is the second PORT.
    ASSERT_TRUE(doc.FindNextElement());
    EXPECT_EQ(doc.GetAttribute("num"), "3001");
}

TEST(XmlRead, EmptyDocumentFindsNothing)
{
    CXmlDocument doc;
    EXPECT_FALSE(doc.FindNextElement());
    EXPECT_FALSE(doc.FindNextChild());
    EXPECT_FALSE(doc.EnterElement());
    EXPECT_FALSE(doc.LeaveElement());
    EXPECT_EQ(doc.GetElementName(), "");
    EXPECT_EQ(doc.GetAttribute("x"), "");
    EXPECT_FALSE(doc.SetAttribute(CXmlDocument::Which::Current, "x", "1"));
    EXPECT_FALSE(doc.AppendChild("X"));
    EXPECT_FALSE(doc.RemoveCurrentChild());
    EXPECT_EQ(doc.GetText(), "");
}

TEST(XmlRead, OnlyQuotedValuesAreAttributes)
{
    struct Case {
        const char* tag;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"<E x=\"1\"/>", "x", "1"},
        {"<E x='1'/>", "x", "1"},
        {"<E x=1/>", "x", ""},
        {"<E x = \"1\" />", "x", "1"},
        {"<E\r\n\tx=\"1\"\r\n/>", "x", "1"},
        {"<E y=\"x\" x=\"2\"/>", "x", "2"},
        {"<E xx=\"1\" x=\"2\"/>", "x", "2"},
        {"<E X=\"1\"/>", "x", ""},
        {"<E x=\"\"/>", "x", ""},
        {"<E x=\"it's\"/>", "x", "it's"},
        {"<E x=\"1\"/>", "E", ""},
        {"<E E=\"1\"/>", "E", "1"},
        {"<E x/>", "x", ""},
        {"<E a=\"1\"/><F x=\"2\"/>", "x", ""},  // the search stops at the end of the tag
        {"<E a=\"1\" ? x=\"2\"/>", "x", ""},
        {"<E a=\"1\"><F x=\"2\"/></E>", "x", ""},
        {"<E x==\"1\"/>", "x", ""},
        {"<E x=\"a\"\"b\"/>", "x", "a"},
        {"<E x=\"1\" a=\"3\" x=\"2\"/>", "x", "1"},
        {"<E a=\"y\" y=\"a\" x=\"a&amp;b\"/>", "x", "a&b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " " + c.name);
        CXmlDocument doc;
        ASSERT_TRUE(doc.Parse(c.tag, false));
        ASSERT_TRUE(doc.FindNextElement("E"));
        EXPECT_EQ(doc.GetAttribute(c.name), c.value);
        // Read together with others in one pass: each as read alone.
        const std::string_view names[] = {"a", c.name, "y"};
        std::string values[] = {"stale", "stale", "stale"};
        doc.GetAttributes(names, values, 3);
        EXPECT_EQ(values[1], c.value);
        EXPECT_EQ(values[0], doc.GetAttribute("a"));
        EXPECT_EQ(values[2], doc.GetAttribute("y"));
    }
}

TEST(XmlRead, EntitiesInValues)
{
    struct Case {
        const char* stored;
        const char* read;
    };
    const Case cases[] = {
        {"a&amp;b&#65;&#x42;&zz;", "a&bAB&zz;"},
        {"&lt;&gt;&apos;&quot;&amp;", "<>'\"&"},
        {"&amp;lt;", "&lt;"},
        {"&#233;&#xE9;&#xe9;", "\xE9\xE9\xE9"},
        {"&#0;&#256;&#x100;", "&#0;&#256;&#x100;"},  // no Latin-1 character
        {"&#;&#x;&#6a;&#12", "&#;&#x;&#6a;&#12"},
        {"&#0000065;", "&#0000065;"},  // ";" beyond the next seven characters
        {"&#000065;", "A"},
        {"&amp", "&amp"},  // cut short at the end of the value
        {"&#6", "&#6"},
        {"&", "&"},
        {"&#X41;", "&#X41;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(xml::DecodeEntities(c.stored), c.read);
        CXmlDocument doc;
        ASSERT_TRUE(doc.Parse(std::string("<E v=\"") + c.stored + "\"/>", false));
        ASSERT_TRUE(doc.FindNextElement());
        EXPECT_EQ(doc.GetAttribute("v"), c.read);
    }
    // A reference whose ";" lies outside the value is not decoded, even when
    // the text goes on with one.
    EXPECT_EQ(xml::DecodeEntities(std::string_view("&#65;", 4)), "&#65");
    EXPECT_EQ(xml::DecodeEntities(std::string_view("&lt;", 3)), "&lt");
}

}  // namespace
