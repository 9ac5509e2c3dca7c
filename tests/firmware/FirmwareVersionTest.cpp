// Controller versions from STATUS.XML and file names from a saved
// DIRECTORY.XML, without a controller.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "firmware/CDirectoryListing.h"
#include "firmware/FirmwareChecks.h"

using Names = std::vector<std::string>;

TEST(ControllerVersion, VrValues)
{
    struct Case {
        const char* vr;
        int expected;
    };
    const Case cases[] = {
        {"TJX-3.07", 2},  {"TJX-3.070", 2}, {"TJX-3.07beta", 2}, {"TJX- 3.07", 2},
        {"TJX-3.075", -1}, {"TJX-3.0799", -1},
        {"TJX-3.08", 3},  {"TJX-3.10", 3},  {"TJX-4.00", 3},     {"TJX-12", 3},
        {"TJX-2.50", 1},  {"TJX-0.01", 1},  {"TJX-3.069", 1},
        {"TJX-0", -1},    {"TJX--1", -1},   {"TJX-", -1},        {"TJX-beta", -1},
        {"TJX-nan", -1},  {"TJX3.07", -1},  {"", -1},            {"3.07", -1},
        {"A-B-3.07", -1},  // the number must follow the first "-"
        {"-3.07", 2},
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifyControllerVersion(c.vr), c.expected) << '"' << c.vr << '"';
}

TEST(ControllerVersion, StatusDocuments)
{
    struct Case {
        const char* text;
        int expected;
    };
    const Case cases[] = {
        {"<?xml version=\"1.0\"?>\r\n<STATUS ds=\"Lobby\" vr=\"TJX-3.07\"/>\r\n", 2},
        {"<STATUS vr='TJX-3.10' mem=\"8000000\"></STATUS>", 3},
        {"<STATUS mem=\"8000000\"/>", -1},  // no vr
        {"<STATUS vr=\"\"/>", -1},
        {"<CFG vr=\"TJX-3.07\"/>", -1},     // not a status document
        {"<STATUS vr=\"TJX-3.07\">", -1},   // does not parse
        {"", -1},
    };
    for (const Case& c : cases) EXPECT_EQ(ClassifyStatusDocument(c.text), c.expected) << c.text;
}

TEST(DirectoryListing, NamesOfEveryChildOfDir)
{
    TempDir dir;
    struct Case {
        const char* what;
        std::string text;
        bool loads;
        Names names;
    };
    const Case cases[] = {
        {"entries of any tag, nameless skipped",
         "<?xml version=\"1.0\"?>\r\n<DIR>\r\n<ENT name=\"A.EXE\" size=\"10\" sec=\"0\"/>\r\n<ENT size=\"5\"/>\r\n"
         "<SUB name=\"FONTS\\\"/>\r\n<ENT name=\"\"/>\r\n<ENT name=\"B&amp;C.RBF\"/>\r\n</DIR>\r\n",
         true, {"A.EXE", "FONTS\\", "B&C.RBF"}},
        {"bare line feeds", "<DIR>\n<ENT name=\"X.EXE\"/>\n<ENT name=\"Y.EXE\"/>\n</DIR>\n", true, {"X.EXE", "Y.EXE"}},
        {"grandchildren are not files", "<DIR><ENT name=\"A\"><ENT name=\"B\"/></ENT></DIR>", true, {"A"}},
        {"empty DIR", "<DIR/>", true, {}},
        {"another top element", "<STATUS name=\"A.EXE\"><ENT name=\"B.EXE\"/></STATUS>", true, {}},
        {"not closed", "<DIR><ENT name=\"A.EXE\"/>", false, {}},
        {"empty file", "", false, {}},
    };
    for (const Case& c : cases) {
        WriteWholeFile(dir.File("DIRECTORY.XML"), c.text);
        CDirectoryListing listing;
        Names names{"left over"};
        EXPECT_EQ(listing.Load(dir.File("DIRECTORY.XML"), names), c.loads) << c.what;
        EXPECT_EQ(listing.Loaded(), c.loads) << c.what;
        EXPECT_EQ(names, c.names) << c.what;
    }
    CDirectoryListing listing;
    Names names{"left over"};
    EXPECT_FALSE(listing.Load(dir.File("MISSING.XML"), names));
    EXPECT_TRUE(names.empty());
    EXPECT_FALSE(listing.Load(dir.Path(), names));
}
