// Editing in place: the exact text each edit writes, and that the position
// table stays true, so that the edited document reads the same as its text
// parsed afresh.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "XmlProbe.h"
#include "xml/CXmlDocument.h"

namespace {

using Which = CXmlDocument::Which;

// The edited text parsed afresh holds the same elements at the same offsets
// with the same attribute values.
void ExpectPositionsTrue(const CXmlDocument& edited, const std::vector<std::string>& attributes = {})
{
    EXPECT_EQ(CXmlDocumentInspector::CheckPositions(edited), "");
    CXmlDocument fresh;
    ASSERT_TRUE(fresh.Parse(edited.GetText(), false)) << fresh.GetError() << "\n" << edited.GetText();
    EXPECT_EQ(CXmlDocumentInspector::Dump(edited, attributes), CXmlDocumentInspector::Dump(fresh, attributes))
        << edited.GetText();
}

TEST(XmlEdit, SetAttribute)
{
    struct Case {
        const char* before;
        const char* name;
        const char* value;
        const char* after;
    };
    const Case cases[] = {
        {"<E/>", "n", "a<b&c", "<E n=\"a&lt;b&amp;c\"/>"},
        {"<E />", "n", "say \"hi\"", "<E  n=\"say &quot;hi&quot;\"/>"},
        {"<E></E>", "n", "it's", "<E n=\"it&apos;s\"></E>"},
        {"<E n=\"old\"/>", "n", "new > old", "<E n=\"new &gt; old\"/>"},
        {"<E n='old'/>", "n", "x'y", "<E n='x&apos;y'/>"},
        {"<E a=\"1\" n=\"\" b=\"2\">t</E>", "n", "5", "<E a=\"1\" n=\"5\" b=\"2\">t</E>"},
        {"<E n=\"5\"/>", "n", "", "<E n=\"\"/>"},
        {"<E n=5/>", "n", "6", "<E n=5 n=\"6\"/>"},  // an unquoted value is no attribute
        {"<E>\r\n<F n=\"1\"/>\r\n</E>", "n", "\xE9", "<E n=\"\xE9\">\r\n<F n=\"1\"/>\r\n</E>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        CXmlDocument doc;
        ASSERT_TRUE(doc.Parse(c.before, false));
        ASSERT_TRUE(doc.FindNextElement("E"));
        ASSERT_TRUE(doc.SetAttribute(Which::Current, c.name, c.value));
        EXPECT_EQ(doc.GetText(), c.after);
        EXPECT_EQ(doc.GetAttribute(c.name), c.value);
        EXPECT_EQ(doc.GetElementName(), "E");
        ExpectPositionsTrue(doc, {"n", "a", "b"});
    }
}

TEST(XmlEdit, SetAttributeOnTheCurrentChildMovesWhatFollows)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<CFG>\r\n<ADDR sw=\"5\"/>\r\n<TIME zn=\"0\"/>\r\n</CFG>\r\n", false));
    ASSERT_TRUE(doc.FindNextChild("ADDR"));
    ASSERT_TRUE(doc.SetAttribute(Which::Child, "sw", "240"));
    ASSERT_TRUE(doc.SetAttribute(Which::Child, "ip", "192.168.1.20"));
    ASSERT_TRUE(doc.SetAttribute(Which::Current, "ds", "Main St"));
    ASSERT_TRUE(doc.FindNextChild("TIME"));
    ASSERT_TRUE(doc.SetAttribute(Which::Child, "zn", "-300"));
    EXPECT_EQ(doc.GetText(),
              "<CFG ds=\"Main St\">\r\n<ADDR sw=\"240\" ip=\"192.168.1.20\"/>\r\n<TIME zn=\"-300\"/>\r\n</CFG>\r\n");
    ExpectPositionsTrue(doc, {"sw", "ip", "ds", "zn"});
}

TEST(XmlEdit, AnAttributeNoReaderWouldFindIsNotWritten)
{
    // Readers stop at a stray "?" in the start tag: an attribute added
    // behind it would be in the text but never found, so the text stays.
    for (const char* text : {"<CFG x?=\"1\"><A/></CFG>", "<CFG a=\"1\" ?><A/></CFG>"}) {
        CXmlDocument doc;
        ASSERT_TRUE(doc.Parse(text, false)) << text;
        ASSERT_TRUE(doc.FindNextElement("CFG"));
        EXPECT_FALSE(doc.SetAttribute(Which::Current, "ds", "Lobby")) << text;
        EXPECT_EQ(doc.GetText(), text);
        EXPECT_EQ(doc.GetAttribute("ds"), "");
        ASSERT_TRUE(doc.EnterElement());
        ASSERT_TRUE(doc.FindNextElement("A"));  // the table still fits the text
        EXPECT_TRUE(doc.SetAttribute(Which::Current, "n", "2"));
        EXPECT_EQ(doc.GetAttribute("n"), "2");
    }
}

TEST(XmlEdit, SetAttributeRefusals)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<E><F/></E>", false));
    EXPECT_FALSE(doc.SetAttribute(Which::Current, "n", "1"));  // no current element
    ASSERT_TRUE(doc.FindNextElement("E"));
    EXPECT_FALSE(doc.SetAttribute(Which::Child, "n", "1"));  // no current child
    for (const char* bad : {"", "a b", "a=b", "a>", "\"a\"", "a/", "<a"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(doc.SetAttribute(Which::Current, bad, "1"));
    }
    EXPECT_EQ(doc.GetText(), "<E><F/></E>");

    // A ">" inside a quoted value ends the start tag early; writing there
    // would land inside the value, so such a tag is left alone.
    const std::string odd = "<E a=\"x>y\"></E>";
    ASSERT_TRUE(doc.Parse(odd, false));
    ASSERT_TRUE(doc.FindNextElement("E"));
    EXPECT_EQ(doc.GetAttribute("a"), "x>y");
    EXPECT_FALSE(doc.SetAttribute(Which::Current, "a", "z"));
    EXPECT_FALSE(doc.SetAttribute(Which::Current, "b", "z"));
    EXPECT_EQ(doc.GetText(), odd);
    // Its children can still be added.
    ASSERT_TRUE(doc.AppendChild("C"));
    EXPECT_EQ(doc.GetText(), "<E a=\"x>y\"><C/>\r\n</E>");
    ExpectPositionsTrue(doc, {"a"});

    // The same when the ">" directly follows the opening quote, and the value
    // runs on to the end of the text.
    const std::string open = "<R a='><C/></R>";
    ASSERT_TRUE(doc.Parse(open, false));
    ASSERT_TRUE(doc.FindNextElement("R"));
    EXPECT_EQ(doc.GetAttribute("a"), "><C/></R>");
    EXPECT_FALSE(doc.SetAttribute(Which::Current, "a", "1"));
    EXPECT_EQ(doc.GetText(), open);
}

TEST(XmlEdit, AppendChildPlacements)
{
    struct Case {
        const char* before;
        const char* child;  // current child before the append, or ""
        const char* after;
    };
    const Case cases[] = {
        {"<C/>", "", "<C>\r\n<P/>\r\n</C>"},
        {"<C x=\"1\"/>", "", "<C x=\"1\">\r\n<P/>\r\n</C>"},
        {"<C></C>", "", "<C>\r\n<P/>\r\n</C>"},
        {"<C>\r\n</C>", "", "<C>\r\n<P/>\r\n</C>"},
        {"<C>\r\n<A/>\r\n</C>", "", "<C>\r\n<A/>\r\n<P/>\r\n</C>"},
        {"<C>\r\n<A/>\r\n<B/>\r\n</C>", "A", "<C>\r\n<A/>\r\n<P/>\r\n<B/>\r\n</C>"},
        {"<C><A/><B/></C>", "A", "<C><A/><P/>\r\n<B/></C>"},
        {"<C><A/> text <B/></C>", "A", "<C><A/><P/>\r\n text <B/></C>"},
        {"<C><A></A>  <!-- c --><B/></C>", "A", "<C><A></A>  <P/>\r\n<!-- c --><B/></C>"},
        {"<C><A/>\r\n</C>\r\n", "A", "<C><A/>\r\n<P/>\r\n</C>\r\n"},
        {"<C x=\"1\"//>", "", "<C x=\"1\"/ >\r\n<P/>\r\n</C>"},  // must not end in "/>" again
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        CXmlDocument doc;
        ASSERT_TRUE(doc.Parse(c.before, false));
        ASSERT_TRUE(doc.FindNextElement("C"));
        if (*c.child) {
            ASSERT_TRUE(doc.FindNextChild(c.child));
        }
        ASSERT_TRUE(doc.AppendChild("P"));
        EXPECT_EQ(doc.GetText(), c.after);
        EXPECT_EQ(doc.GetElementName(), "C");
        // The new element is the current child and attributes go onto it.
        ASSERT_TRUE(doc.SetAttribute(Which::Child, "v", "1"));
        EXPECT_EQ(doc.GetChildAttribute("v"), "1");
        ExpectPositionsTrue(doc, {"v", "x"});
    }
}

TEST(XmlEdit, AppendChildTwiceGivesTwoLinesInOrder)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<C/>", false));
    ASSERT_TRUE(doc.FindNextElement("C"));
    ASSERT_TRUE(doc.AppendChild("P"));
    ASSERT_TRUE(doc.SetAttribute(Which::Child, "n", "1"));
    ASSERT_TRUE(doc.AppendChild("P"));
    ASSERT_TRUE(doc.SetAttribute(Which::Child, "n", "2"));
    EXPECT_EQ(doc.GetText(), "<C>\r\n<P n=\"1\"/>\r\n<P n=\"2\"/>\r\n</C>");
    doc.ResetPosition();
    ASSERT_TRUE(doc.FindNextChild("P"));
    EXPECT_EQ(doc.GetChildAttribute("n"), "1");
    ASSERT_TRUE(doc.FindNextChild("P"));
    EXPECT_EQ(doc.GetChildAttribute("n"), "2");
    EXPECT_FALSE(doc.FindNextChild("P"));
    ExpectPositionsTrue(doc, {"n"});
}

TEST(XmlEdit, AppendChildWithContentEscapesIt)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<C></C>", false));
    ASSERT_TRUE(doc.FindNextElement("C"));
    ASSERT_TRUE(doc.AppendChild("T", "a<b & \"c\""));
    ASSERT_TRUE(doc.AppendChild("U", ""));
    EXPECT_EQ(doc.GetText(), "<C>\r\n<T>a&lt;b &amp; \"c\"</T>\r\n<U></U>\r\n</C>");
    ExpectPositionsTrue(doc);
    EXPECT_FALSE(doc.AppendChild("bad name"));
    EXPECT_FALSE(doc.AppendChild(""));
}

TEST(XmlEdit, RemoveCurrentChild)
{
    struct Case {
        const char* before;
        const char* after;
    };
    // Every child named P goes, with the white space after it when that runs
    // up to the next tag.
    const Case cases[] = {
        {"<C>\r\n<P/>\r\n<A/>\r\n<P x=\"1\">\r\n<Q/>\r\n</P>\r\n<P/>\r\n</C>", "<C>\r\n<A/>\r\n</C>"},
        {"<C><P/> text <A/><P/></C>", "<C> text <A/></C>"},
        {"<C><P></P></C>\r\n  ", "<C></C>\r\n  "},
        {"<C><A/></C>", "<C><A/></C>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.before);
        CXmlDocument doc;
        ASSERT_TRUE(doc.Parse(c.before, false));
        ASSERT_TRUE(doc.FindNextElement("C"));
        while (doc.FindNextChild("P")) ASSERT_TRUE(doc.RemoveCurrentChild());
        EXPECT_EQ(doc.GetText(), c.after);
        ExpectPositionsTrue(doc);
    }
}

TEST(XmlEdit, RemoveCurrentChildLeavesThePreviousSiblingCurrent)
{
    CXmlDocument doc;
    ASSERT_TRUE(doc.Parse("<C><A n=\"a\"/><B n=\"b\"/><D n=\"d\"/></C>", false));
    ASSERT_TRUE(doc.FindNextElement("C"));
    EXPECT_FALSE(doc.RemoveCurrentChild());  // no current child
    ASSERT_TRUE(doc.FindNextChild("B"));
    ASSERT_TRUE(doc.RemoveCurrentChild());
    EXPECT_EQ(doc.GetChildAttribute("n"), "a");
    ASSERT_TRUE(doc.RemoveCurrentChild());
    EXPECT_EQ(doc.GetChildAttribute("n"), "");  // none left before it
    EXPECT_FALSE(doc.RemoveCurrentChild());
    ASSERT_TRUE(doc.FindNextChild());
    EXPECT_EQ(doc.GetChildAttribute("n"), "d");
    EXPECT_EQ(doc.GetText(), "<C><D n=\"d\"/></C>");
    ExpectPositionsTrue(doc, {"n"});
}

// A random document, a random walk of the cursor and random edits: after
// every edit the document must read exactly as its text parsed afresh.
class RandomDocument {
public:
    explicit RandomDocument(unsigned seed) : m_rng(seed) {}

    std::string Make()
    {
        std::string text = Pick({"", "<?xml version=\"1.0\"?>\r\n", "<!-- head -->\n"});
        Element(text, 0);
        text += Pick({"", "\r\n", " tail <X/>"});
        return text;
    }

    std::string Name() { return Pick({"A", "B", "PORT", "ENT"}); }
    std::string Attribute() { return Pick({"a", "b", "name", "size"}); }
    std::string Value()
    {
        return Pick({"", "1", "x y", "a<b&c>d", "it's \"q\"", "\xE9\xFF", "&amp;", "tab\there"});
    }
    std::string Space() { return Pick({"", " ", "\r\n", "\r\n  ", "\t"}); }
    unsigned Next(unsigned bound) { return m_rng() % bound; }

private:
    std::string Pick(std::initializer_list<const char*> items)
    {
        return *(items.begin() + Next(static_cast<unsigned>(items.size())));
    }

    void Element(std::string& text, int depth)
    {
        const std::string name = Name();
        text += "<" + name;
        for (unsigned i = Next(3); i > 0; --i) {
            const char quote = Next(2) ? '"' : '\'';
            text += " " + Attribute() + "=" + quote + Pick({"1", "v", "&lt;x&gt;", ""}) + quote;
        }
        if (depth >= 3 || Next(3) == 0) {
            text += Space() + "/>";
            return;
        }
        text += ">";
        for (unsigned i = Next(4); i > 0; --i) {
            text += Pick({"", "\r\n", "text", " <!-- c --> ", "<![CDATA[<q/>]]>", "<?p?>"});
            Element(text, depth + 1);
        }
        text += Space() + "</" + name + Space() + ">";
    }

    std::mt19937 m_rng;
};

TEST(XmlEdit, RandomEditsKeepPositionsTrue)
{
    const std::vector<std::string> attributes = {"a", "b", "name", "size"};
    int edits = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        RandomDocument random(seed);
        CXmlDocument doc;
        const std::string original = random.Make();
        ASSERT_TRUE(doc.Parse(original, false)) << doc.GetError() << "\n" << original;
        for (int step = 0; step < 40; ++step) {
            bool edited = false;
            switch (random.Next(10)) {
            case 0: doc.ResetPosition(); break;
            case 1: doc.FindNextElement(random.Next(2) ? "" : random.Name()); break;
            case 2: doc.FindNextChild(random.Next(2) ? "" : random.Name()); break;
            case 3: doc.EnterElement(); break;
            case 4: doc.LeaveElement(); break;
            case 5:
            case 6: {
                const Which which = random.Next(2) ? Which::Current : Which::Child;
                const std::string name = random.Attribute();
                const std::string value = random.Value();
                edited = doc.SetAttribute(which, name, value);
                if (edited) {
                    EXPECT_EQ(which == Which::Current ? doc.GetAttribute(name) : doc.GetChildAttribute(name), value);
                }
                break;
            }
            case 7:
            case 8: {
                const std::string name = random.Name();
                edited = random.Next(4) ? doc.AppendChild(name) : doc.AppendChild(name, random.Value());
                if (edited) {
                    ASSERT_TRUE(doc.EnterElement());
                    EXPECT_EQ(doc.GetElementName(), name);
                    ASSERT_TRUE(doc.LeaveElement());
                }
                break;
            }
            default: edited = doc.RemoveCurrentChild(); break;
            }
            if (edited) {
                ++edits;
                ExpectPositionsTrue(doc, attributes);
                if (HasFailure()) {
                    ADD_FAILURE() << "seed " << seed << " step " << step << "\noriginal:\n" << original;
                    return;
                }
            }
        }
    }
    EXPECT_GT(edits, 2000);  // the walk reaches elements often enough to edit them
}

}  // namespace
