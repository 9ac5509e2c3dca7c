// Fuzz target for CXmlDocument: parse any bytes, walk every element and read
// its attributes, then move the cursor about and edit. After every edit the
// position table must still name the right characters and the edited
// document must read exactly like its text parsed afresh.
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <functional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "XmlProbe.h"
#include "xml/CXmlDocument.h"

namespace {

const std::vector<std::string> kAttributes = {"a", "name", "size", "sec", "type", "x"};

[[noreturn]] void Fail(const char* what, const std::string& detail, const std::string& text)
{
    std::fprintf(stderr, "%s\n%s\n--- text ---\n%s\n", what, detail.c_str(), text.c_str());
    std::abort();
}

void CheckAgainstFreshParse(const CXmlDocument& doc)
{
    const std::string problem = CXmlDocumentInspector::CheckPositions(doc);
    if (!problem.empty()) Fail("position table out of step with the text", problem, doc.GetText());
    CXmlDocument fresh;
    if (!fresh.Parse(doc.GetText(), false)) Fail("edited text no longer parses", fresh.GetError(), doc.GetText());
    const std::string edited = CXmlDocumentInspector::Dump(doc, kAttributes);
    const std::string parsed = CXmlDocumentInspector::Dump(fresh, kAttributes);
    if (edited != parsed) Fail("edited document differs from its text parsed afresh", edited + "---\n" + parsed, doc.GetText());
}

// Every element in document order, reading its name and attributes on the way.
void Walk(CXmlDocument& doc)
{
    int depth = 0;
    // A plain depth-first walk.
    doc.ResetPosition();
    for (int steps = 0; steps < 100000; ++steps) {
        if (doc.FindNextElement()) {
            (void)doc.GetElementName();
            // Reading several attributes in one pass gives what reading them one by one gives.
            std::string_view names[6];
            std::string together[6];
            for (size_t i = 0; i < kAttributes.size(); ++i) names[i] = kAttributes[i];
            doc.GetAttributes(names, together, kAttributes.size());
            for (size_t i = 0; i < kAttributes.size(); ++i) {
                const std::string alone = doc.GetAttribute(kAttributes[i]);
                if (together[i] != alone)
                    Fail("GetAttributes differs from GetAttribute", kAttributes[i] + ": " + together[i] + " / " + alone,
                         doc.GetText());
            }
            doc.EnterElement();
            ++depth;
        } else if (depth > 0) {
            doc.LeaveElement();
            (void)doc.GetChildAttribute("a");
            --depth;
        } else {
            break;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t hash = std::hash<std::string>{}(input);

    // The code page conversions: Latin-1 survives the way through UTF-8.
    const std::string latin1 = CXmlDocument::Utf8ToSingleByte(input);
    if (CXmlDocument::Utf8ToSingleByte(CXmlDocument::SingleByteToUtf8(latin1)) != latin1)
        Fail("Latin-1 text changed on its way through UTF-8", "", latin1);

    CXmlDocument doc;
    const bool parsed = doc.Parse(input, (hash & 1) != 0);
    const std::string problem = CXmlDocumentInspector::CheckPositions(doc);
    if (!problem.empty()) Fail("parse left a bad position table", problem, doc.GetText());
    if (!parsed) {
        doc.ResetPosition();
        if (doc.FindNextElement() || doc.AppendChild("x")) Fail("failed parse still finds elements", "", doc.GetText());
        return 0;
    }
    Walk(doc);

    std::minstd_rand rng(static_cast<uint32_t>(hash >> 1));
    static const char* const kNames[] = {"ENT", "PORT", "a", "x"};
    static const char* const kValues[] = {"", "1", "a<b&c>\"'", "\xE9\xFF", "&amp;"};
    doc.ResetPosition();
    for (int step = 0; step < 24; ++step) {
        bool edited = false;
        const char* name = kNames[rng() % 4];
        switch (rng() % 10) {
        case 0: doc.ResetPosition(); break;
        case 1: doc.FindNextElement(rng() % 2 ? "" : name); break;
        case 2: doc.FindNextChild(rng() % 2 ? "" : name); break;
        case 3: doc.EnterElement(); break;
        case 4: doc.LeaveElement(); break;
        case 5:
            edited = doc.SetAttribute(rng() % 2 ? CXmlDocument::Which::Current : CXmlDocument::Which::Child,
                                      kAttributes[rng() % kAttributes.size()], kValues[rng() % 5]);
            break;
        case 6:
        case 7: edited = rng() % 4 ? doc.AppendChild(name) : doc.AppendChild(name, kValues[rng() % 5]); break;
        default: edited = doc.RemoveCurrentChild(); break;
        }
        (void)doc.GetAttribute("a");
        (void)doc.GetChildAttribute("x");
        (void)doc.GetElementName();
        if (edited) CheckAgainstFreshParse(doc);
    }
    Walk(doc);
    return 0;
}
