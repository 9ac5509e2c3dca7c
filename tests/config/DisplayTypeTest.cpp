// The technology panel's lists and module lookup, and the display type
// string parsed from CONFIG.XML and composed back, against a catalogue built
// here and against the MODULES.XML that ships with the tool.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "config/CConfigDocument.h"
#include "config/CDisplayTypeEditor.h"
#include "config/CTechnologyPanelModel.h"
#include "config/ModuleCatalogue.h"
#include "TempDir.h"
#include "shell/CJxConfigApp.h"

namespace {

// Lookups must be exact and stop at the first matching class; a technology
// without the class passes the search on to the next one of the same code
// (the second HLV for RGB, the second CN for MONO).
const char* const kCatalogue =
    "<?xml version=\"1.0\"?>\r\n"
    "<MODULES vr=\"9.9.9\">\r\n"
    " <DISPLAYTECH type=\"BRT\"><COLORTECH type=\"MONO\"><MODULE type=\"B1\" value=\"b1\"/></COLORTECH></DISPLAYTECH>\r\n"
    " <DISPLAYTECH type=\"HLV\">\r\n"
    "  <COLORTECH type=\"mono\"><MODULE type=\"lower\" value=\"lower\"/></COLORTECH>\r\n"
    "  <COLORTECH type=\"MONO\"><MODULE type=\"M1\" value=\"m1\"/><MODULE type=\"M2\" value=\"m2\"/>"
    "<MODULE type=\"M2 again\" value=\"m2\"/></COLORTECH>\r\n"
    "  <COLORTECH type=\"MONO\"><MODULE type=\"later\" value=\"later\"/></COLORTECH>\r\n"
    "  <COLORTECH type=\"RG\"><MODULE type=\"T1\" value=\"t1\"/><MODULE type=\"T2\" value=\"t2\"/></COLORTECH>\r\n"
    " </DISPLAYTECH>\r\n"
    " <DISPLAYTECH type=\"HLV\"><COLORTECH type=\"MONO\"><MODULE type=\"second HLV\" value=\"h2\"/></COLORTECH>"
    "<COLORTECH type=\"RGB\"><MODULE type=\"R1\" value=\"r1\"/></COLORTECH></DISPLAYTECH>\r\n"
    " <DISPLAYTECH type=\"hlv\"><COLORTECH type=\"RGB\"><MODULE type=\"wrong case\" value=\"x\"/></COLORTECH></DISPLAYTECH>\r\n"
    " <DISPLAYTECH type=\"CN\"><COLORTECH type=\"RG\"><MODULE type=\"C-RG\" value=\"crg\"/></COLORTECH></DISPLAYTECH>\r\n"
    " <DISPLAYTECH type=\"CN\"><COLORTECH type=\"MONO\"><MODULE type=\"C2\" value=\"c2\"/></COLORTECH></DISPLAYTECH>\r\n"
    "</MODULES>\r\n";

CXmlDocument Catalogue()
{
    CXmlDocument doc;
    EXPECT_TRUE(doc.Parse(kCatalogue, false)) << doc.GetError();
    return doc;
}

std::vector<std::string> Names(const CTechnologyPanelModel& panel)
{
    std::vector<std::string> names;
    for (const JxModuleItem& item : panel.ModuleItems()) names.push_back(item.type);
    return names;
}

// ---- the panel -------------------------------------------------------------------

TEST(TechnologyPanel, FixedLists)
{
    const auto& heights = CTechnologyPanelModel::HeightItems();
    ASSERT_EQ(heights.size(), 65u);
    EXPECT_EQ(heights[0], "7");
    EXPECT_EQ(heights[1], "8");
    EXPECT_EQ(heights[2], "16");
    EXPECT_EQ(heights[64], "512");
    const auto& widths = CTechnologyPanelModel::WidthItems();
    ASSERT_EQ(widths.size(), 128u);
    EXPECT_EQ(widths[0], "8");
    EXPECT_EQ(widths[14], "120");
    EXPECT_EQ(widths[127], "1024");
    EXPECT_EQ(CTechnologyPanelModel::ColourDepthItems(),
              (std::vector<std::string>{"Monochrome", "Mono 64 Shades", "Tricolor", "Tricolor 256 Shades",
                                        "RGB 8 Colors", "RGB 32K Colors"}));
}

TEST(TechnologyPanel, StartsOnHalvaneWithTheListsReset)
{
    const CXmlDocument catalogue = Catalogue();
    CTechnologyPanelModel panel(catalogue);
    EXPECT_EQ(panel.Technology(), 0);
    EXPECT_STREQ(panel.Caption(), "Halvane Technology");
    EXPECT_TRUE(panel.ColourDepthEnabled());
    EXPECT_EQ(panel.HeightText(), "7");
    EXPECT_EQ(panel.WidthText(), "8");
    EXPECT_EQ(panel.ColourDepthSelection(), 0);
    EXPECT_EQ(Names(panel), (std::vector<std::string>{"M1", "M2", "M2 again"}));
    EXPECT_EQ(panel.ModuleItems()[2].data, 2);
    EXPECT_EQ(panel.ModuleSelection(), 0);
    EXPECT_EQ(panel.ModuleIdentifier(), "m1");
}

TEST(TechnologyPanel, ModuleListByTechnologyAndColourClass)
{
    struct Case {
        int32_t technology;
        int32_t depth;
        std::vector<std::string> names;
        const char* firstId;
    };
    const Case cases[] = {
        {0, 0, {"M1", "M2", "M2 again"}, "m1"},
        {0, 1, {"M1", "M2", "M2 again"}, "m1"},
        {0, 2, {"T1", "T2"}, "t1"},
        {0, 3, {"T1", "T2"}, "t1"},
        {0, 4, {"R1"}, "r1"},  // from the second HLV (the lower-case one does not count)
        {0, 5, {"R1"}, "r1"},
        {1, 0, {"B1"}, "b1"},
        {1, 2, {}, ""},
        {2, 0, {"C2"}, "c2"},  // the first CN has no MONO; the second one does
        {2, 2, {"C-RG"}, "crg"},
    };
    const CXmlDocument catalogue = Catalogue();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.technology) + "/" + std::to_string(c.depth));
        CTechnologyPanelModel panel(catalogue);
        ASSERT_TRUE(panel.SelectTechnology(c.technology));
        ASSERT_TRUE(panel.SelectColourDepth(c.depth));
        panel.ReloadModuleList();
        EXPECT_EQ(Names(panel), c.names);
        EXPECT_EQ(panel.ModuleSelection(), c.names.empty() ? -1 : 0);
        EXPECT_EQ(panel.ModuleIdentifier(), c.firstId);
    }
}

TEST(TechnologyPanel, SelectingATechnologyResetsTheLists)
{
    const CXmlDocument catalogue = Catalogue();
    CTechnologyPanelModel panel(catalogue);
    ASSERT_TRUE(panel.ChooseHeight(3));
    ASSERT_TRUE(panel.ChooseWidth(5));
    ASSERT_TRUE(panel.ChooseColourDepth(2));
    ASSERT_TRUE(panel.ChooseModule(1));
    EXPECT_EQ(panel.ModuleIdentifier(), "t2");

    const char* const captions[] = {"Halvane Technology", "Brightel Technology", "Cindrel Technology"};
    for (int32_t t : {1, 2, 0}) {
        EXPECT_TRUE(panel.SelectTechnology(t));
        EXPECT_STREQ(panel.Caption(), captions[t]);
        EXPECT_EQ(panel.ColourDepthEnabled(), t == 0);
        EXPECT_EQ(panel.HeightSelection(), 0);
        EXPECT_EQ(panel.WidthSelection(), 0);
        EXPECT_EQ(panel.ColourDepthSelection(), 0);
        EXPECT_EQ(panel.ModuleSelection(), 0);
    }
    EXPECT_FALSE(panel.SelectTechnology(3));
    EXPECT_FALSE(panel.SelectTechnology(-1));
    EXPECT_EQ(panel.Technology(), 0);
}

// The operator's choices change the panel's state (a colour depth reloads the
// module list first); choices the lists do not have change nothing.
TEST(TechnologyPanel, OperatorChoicesAndRefusedChoices)
{
    const CXmlDocument catalogue = Catalogue();
    CTechnologyPanelModel panel(catalogue);
    panel.ReloadModuleList();
    panel.ResetLists();
    panel.SelectTechnology(0);
    panel.SelectHeightByPrefix("16");
    panel.SelectColourDepth(2);  // the window's own selection: no reload
    EXPECT_EQ(Names(panel)[0], "M1");

    EXPECT_TRUE(panel.ChooseColourDepth(3));
    EXPECT_EQ(Names(panel), (std::vector<std::string>{"T1", "T2"}));
    EXPECT_TRUE(panel.ChooseHeight(1));
    EXPECT_TRUE(panel.ChooseWidth(127));
    EXPECT_TRUE(panel.ChooseModule(1));
    const CTechnologyPanelState chosen = panel.State();
    EXPECT_EQ(chosen, (CTechnologyPanelState{0, "Halvane Technology", true, 1, 127, 3, 1, panel.ModuleItems()}));

    // Out of range, or the colour depth while its list is disabled: ignored.
    EXPECT_FALSE(panel.ChooseHeight(65));
    EXPECT_FALSE(panel.ChooseWidth(-1));
    EXPECT_FALSE(panel.ChooseModule(2));
    EXPECT_FALSE(panel.ChooseColourDepth(6));
    EXPECT_EQ(panel.State(), chosen);
    panel.SelectTechnology(1);
    EXPECT_FALSE(panel.ChooseColourDepth(2));
    EXPECT_EQ(panel.ColourDepthSelection(), 0);
    EXPECT_FALSE(panel.State().colourDepthEnabled);
}

TEST(TechnologyPanel, CatalogueThatDidNotLoadGivesEmptyLists)
{
    CXmlDocument broken;
    EXPECT_FALSE(broken.Parse("<MODULES><DISPLAYTECH type=\"HLV\">", false));
    CTechnologyPanelModel panel(broken);
    EXPECT_TRUE(panel.ModuleItems().empty());
    EXPECT_EQ(panel.ModuleIdentifier(), "");
    EXPECT_FALSE(panel.ChooseModule(0));
}

// ---- parse and compose -------------------------------------------------------------

CConfigDocument ConfigWith(const std::string& type, const std::string& ds, const std::string& mid)
{
    CConfigDocument doc;
    EXPECT_TRUE(doc.LoadText("<CFG type=\"" + type + "\" ds=\"" + ds + "\" mid=\"" + mid + "\"/>"));
    return doc;
}

TEST(DisplayType, ParseThenCompose)
{
    struct Case {
        const char* type;
        const char* ds;
        const char* mid;
        const char* height;
        const char* width;
        int32_t depth;
        const char* composed;
        const char* displayName;
        const char* moduleId;
    };
    const Case cases[] = {
        {"16X48MONO1.HLV.Jx", "", "m2", "16", "48", 0, "16X48MONO1.HLV.Jx", "Halvane 16 x 48 Monochrome", "m2"},
        // The technology code is not trusted: the display is shown as Halvane.
        {"7X80TRI256.BRT.Jx", "Dock", "t2", "7", "80", 3, "7X80TRI256.HLV.Jx", "Dock", "t2"},
        {"24X120RGB32K.HLV.Jx", "", "", "24", "120", 5, "24X120RGB32K.HLV.Jx", "Halvane 24 x 120 RGB 32K", "r1"},
        {"16X48MONO64.HLV.Jx", "", "", "16", "48", 1, "16X48MONO64.HLV.Jx", "Halvane 16 x 48 Monochrome 64", "m1"},
        {"32X96TRI3.HLV.Jx", "", "", "32", "96", 2, "32X96TRI3.HLV.Jx", "Halvane 32 x 96 Tricolor", "t1"},
        {"8X8RGB8.CN.Jx", "", "", "8", "8", 4, "8X8RGB8.HLV.Jx", "Halvane 8 x 8 RGB 8", "r1"},
        // Height "5" picks the first height that begins with it.
        {"5X48MONO1.HLV.Jx", "", "", "56", "48", 0, "56X48MONO1.HLV.Jx", "Halvane 56 x 48 Monochrome", "m1"},
        {"16X12RGB8.HLV.Jx", "", "", "16", "120", 4, "16X120RGB8.HLV.Jx", "Halvane 16 x 120 RGB 8", "r1"},
        // No "X" before the colour code (the one in ".JX" does not help), or no type at all.
        {"1648MONO1.HLV.Jx", "", "", "7", "8", 0, "7X8MONO1.HLV.Jx", "Halvane 7 x 8 Monochrome", "m1"},
        {"", "", "", "7", "8", 0, "7X8MONO1.HLV.Jx", "Halvane 7 x 8 Monochrome", "m1"},
        // Lower case is read as upper case.
        {"16x48tri3.hlv.jx", "", "t2", "16", "48", 2, "16X48TRI3.HLV.Jx", "Halvane 16 x 48 Tricolor", "t2"},
        // No colour code: Monochrome, and the width is the digits after the "X".
        {"16X48.HLV.Jx", "", "", "16", "48", 0, "16X48MONO1.HLV.Jx", "Halvane 16 x 48 Monochrome", "m1"},
        // A colour code before the only "X": the width is still the digits after it.
        {"MONO1X48.HLV.Jx", "", "", "7", "48", 0, "7X48MONO1.HLV.Jx", "Halvane 7 x 48 Monochrome", "m1"},
        // Sizes that begin no list item leave the first one selected.
        {"0X4000MONO1.HLV.Jx", "", "", "7", "8", 0, "7X8MONO1.HLV.Jx", "Halvane 7 x 8 Monochrome", "m1"},
        // A module identifier not offered for the colour class leaves the first.
        {"16X48MONO1.HLV.Jx", "Lobby", "t1", "16", "48", 0, "16X48MONO1.HLV.Jx", "Lobby", "m1"},
    };
    const CXmlDocument catalogue = Catalogue();
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.type) + " ds=" + c.ds + " mid=" + c.mid);
        CDisplayTypeEditor editor(catalogue);
        editor.ParseFrom(ConfigWith(c.type, c.ds, c.mid));
        EXPECT_EQ(editor.Panel().HeightText(), c.height);
        EXPECT_EQ(editor.Panel().WidthText(), c.width);
        EXPECT_EQ(editor.Panel().ColourDepthSelection(), c.depth);
        EXPECT_EQ(editor.DisplayType(), c.composed);
        EXPECT_EQ(editor.displayName, c.displayName);
        EXPECT_EQ(editor.ModuleIdentifier(), c.moduleId);
        EXPECT_EQ(editor.technologySelection, 0);
        EXPECT_FALSE(editor.technologyListEnabled);
        EXPECT_EQ(editor.Panel().Technology(), 0);
    }
}

TEST(DisplayType, TheFirstOfTwoModulesWithTheSameIdentifierIsSelected)
{
    const CXmlDocument catalogue = Catalogue();
    CDisplayTypeEditor editor(catalogue);
    editor.ParseFrom(ConfigWith("16X48MONO1.HLV.Jx", "", "m2"));
    EXPECT_EQ(editor.Panel().ModuleSelection(), 1);
}

TEST(DisplayType, ANamedDisplayKeepsItsNameUntilAChoiceChanges)
{
    const CXmlDocument catalogue = Catalogue();
    CDisplayTypeEditor editor(catalogue);
    editor.ParseFrom(ConfigWith("7X80TRI256.BRT.Jx", "Dock &amp; Gate", "t2"));
    EXPECT_EQ(editor.displayName, "Dock & Gate");
    editor.Compose(false);
    EXPECT_EQ(editor.displayName, "Dock & Gate");

    ASSERT_TRUE(editor.ChooseHeight(2));
    EXPECT_EQ(editor.displayName, "Halvane 16 x 80 Tricolor 256");
    EXPECT_EQ(editor.DisplayType(), "16X80TRI256.HLV.Jx");
    EXPECT_EQ(editor.ModuleIdentifier(), "t2");

    ASSERT_TRUE(editor.ChooseColourDepth(5));
    EXPECT_EQ(editor.DisplayType(), "16X80RGB32K.HLV.Jx");
    EXPECT_EQ(editor.displayName, "Halvane 16 x 80 RGB 32K");
    EXPECT_EQ(editor.ModuleIdentifier(), "r1");

    ASSERT_TRUE(editor.ChooseColourDepth(0));
    ASSERT_TRUE(editor.ChooseModule(2));
    EXPECT_EQ(editor.ModuleIdentifier(), "m2");
}

TEST(DisplayType, ComposeTakesTheTechnologyFromTheTechnologyList)
{
    const std::tuple<int32_t, const char*, const char*> cases[] = {
        {0, "16X48MONO1.HLV.Jx", "Halvane 16 x 48 Monochrome"},
        {1, "16X48MONO1.BRT.Jx", "Brightel 16 x 48 Monochrome"},
        {2, "16X48MONO1.CN.Jx", "Cindrel 16 x 48 Monochrome"},
        {-1, "16X48MONO1..Jx", " 16 x 48 Monochrome"},
        {3, "16X48MONO1..Jx", " 16 x 48 Monochrome"},
    };
    const CXmlDocument catalogue = Catalogue();
    for (auto [technology, type, name] : cases) {
        CDisplayTypeEditor editor(catalogue);
        editor.ParseFrom(ConfigWith("16X48MONO1.HLV.Jx", "keep", ""));
        editor.technologySelection = technology;
        editor.Compose(true);
        EXPECT_EQ(editor.DisplayType(), type);
        EXPECT_EQ(editor.displayName, name);
    }
}

// ---- the shipped catalogue -------------------------------------------------------

TEST(ShippedCatalogue, OffersModulesForEveryReachableChoice)
{
    CMemorySettingsStore user, machine;
    CJxConfigApp app(user, machine);
    ASSERT_TRUE(app.LoadCatalogue(JX_SHIPPED_MODULES_XML));

    CXmlDocument& catalogue = app.catalogue;
    catalogue.ResetPosition();
    ASSERT_TRUE(catalogue.FindNextElement());
    EXPECT_EQ(catalogue.GetElementName(), "MODULES");
    EXPECT_FALSE(catalogue.GetAttribute("vr").empty());

    // Halvane with each colour depth; the other two with the colour depth
    // list disabled, that is Monochrome.
    std::vector<std::pair<int32_t, int32_t>> reachable;
    for (int32_t depth = 0; depth < 6; ++depth) reachable.push_back({0, depth});
    reachable.push_back({1, 0});
    reachable.push_back({2, 0});
    std::set<std::string> identifiers;
    for (auto [technology, depth] : reachable) {
        SCOPED_TRACE(std::to_string(technology) + "/" + std::to_string(depth));
        CTechnologyPanelModel panel(catalogue);
        panel.SelectTechnology(technology);
        panel.SelectColourDepth(depth);
        panel.ReloadModuleList();
        ASSERT_FALSE(panel.ModuleItems().empty());
        for (size_t i = 0; i < panel.ModuleItems().size(); ++i) {
            ASSERT_TRUE(panel.ChooseModule(static_cast<int32_t>(i)));
            EXPECT_FALSE(panel.ModuleItems()[i].type.empty());
            EXPECT_FALSE(panel.ModuleIdentifier().empty());
            identifiers.insert(panel.ModuleIdentifier());
        }
    }
    // The identifier of the controllers' factory configuration is on offer
    // for a Halvane monochrome display.
    CDisplayTypeEditor editor(catalogue);
    CConfigDocument doc = ConfigWith("16X48MONO1.HLV.Jx", "", "HLV-M16X48-1");
    editor.ParseFrom(doc);
    EXPECT_EQ(editor.ModuleIdentifier(), "HLV-M16X48-1");
    EXPECT_GE(identifiers.size(), 10u);
}

TEST(ShippedCatalogue, VersionForTheAboutBox)
{
    EXPECT_EQ(JxCatalogueVersion(JX_SHIPPED_MODULES_XML), "2.4.1");
    TempDir dir;
    const std::pair<const char*, const char*> cases[] = {
        {"<?xml version=\"1.0\"?>\n<MODULES vr=\"3.0\">\n</MODULES>\n", "3.0"},
        {"<MODULES vr=\"\"/>", "?.?.?"},
        {"<MODULES/>", "?.?.?"},
        {"<CATALOGUE vr=\"3.0\"/>", "?.?.?"},
        {"<MODULES vr=\"3.0\">", "?.?.?"},
    };
    for (auto [text, version] : cases) {
        WriteWholeFile(dir.File("MODULES.XML"), text);
        EXPECT_EQ(JxCatalogueVersion(dir.File("MODULES.XML")), version) << text;
    }
    EXPECT_EQ(JxCatalogueVersion(dir.File("missing.XML")), "?.?.?");
}

}  // namespace
