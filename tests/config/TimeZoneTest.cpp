// The zone list: its 33 labels in table order, and the zone selected from
// CONFIG.XML and written back.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "config/CConfigDocument.h"
#include "config/CTimeZoneList.h"

namespace {

TEST(TimeZoneList, LabelsInTableOrder)
{
    const std::vector<std::pair<int32_t, std::string>> expected = {
        {-720, "(GMT -12:00)"}, {-660, "(GMT -11:00)"}, {-600, "(GMT -10:00)"}, {-540, "(GMT -09:00)"},
        {-480, "(GMT -08:00)"}, {-420, "(GMT -07:00)"}, {-360, "(GMT -06:00)"}, {-300, "(GMT -05:00)"},
        {-240, "(GMT -04:00)"}, {-210, "(GMT -03:30)"}, {-180, "(GMT -03:00)"}, {-120, "(GMT -02:00)"},
        {-60, "(GMT -01:00)"},  {0, "(GMT 00:00)"},     {60, "(GMT +01:00)"},   {120, "(GMT +02:00)"},
        {180, "(GMT +03:00)"},  {210, "(GMT +03:30)"},  {240, "(GMT +04:00)"},  {270, "(GMT +04:30)"},
        {300, "(GMT +05:00)"},  {330, "(GMT +05:30)"},  {345, "(GMT +05:45)"},  {360, "(GMT +06:00)"},
        {390, "(GMT +06:30)"},  {420, "(GMT +07:00)"},  {480, "(GMT +08:00)"},  {540, "(GMT +09:00)"},
        {570, "(GMT +09:30)"},  {600, "(GMT +10:00)"},  {660, "(GMT +11:00)"},  {720, "(GMT +12:00)"},
        {780, "(GMT +13:00)"},
    };
    const CTimeZoneList list;
    ASSERT_EQ(list.Items().size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(list.Items()[i].offset, expected[i].first) << i;
        EXPECT_EQ(list.Items()[i].label, expected[i].second) << i;
    }
    EXPECT_EQ(list.Selection(), -1);
}

TEST(TimeZoneList, LabelsOfOffsetsOutsideTheTable)
{
    EXPECT_EQ(JxTimeZoneLabel(-1), "(GMT -00:01)");
    EXPECT_EQ(JxTimeZoneLabel(90), "(GMT +01:30)");
    EXPECT_EQ(JxTimeZoneLabel(-6000), "(GMT -100:00)");
    EXPECT_EQ(JxTimeZoneLabel(INT32_MIN), "(GMT -35791394:08)");
}

TEST(TimeZoneList, SelectionFromTheDocumentAndBack)
{
    struct Case {
        const char* config;
        int32_t selection;  // -1: none
        const char* label;
    };
    const Case cases[] = {
        {"<CFG><TIME zn=\"-300\" dst=\"1\"/></CFG>", 7, "(GMT -05:00)"},
        {"<CFG><TIME zn=\"345\"/></CFG>", 22, "(GMT +05:45)"},
        {"<CFG><TIME zn=\"780\"/></CFG>", 32, "(GMT +13:00)"},
        {"<CFG><TIME zn=\"-720\"/></CFG>", 0, "(GMT -12:00)"},
        {"<CFG><TIME zn=\"0\"/></CFG>", 13, "(GMT 00:00)"},
        {"<CFG><TIME dst=\"1\"/></CFG>", 13, "(GMT 00:00)"},  // zn absent
        {"<CFG/>", 13, "(GMT 00:00)"},                       // TIME absent
        {"<CFG><TIME zn=\"90\"/></CFG>", -1, ""},
        {"<CFG><TIME zn=\"-301\"/></CFG>", -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.config);
        CConfigDocument doc;
        ASSERT_TRUE(doc.LoadText(c.config));
        CTimeZoneList list;
        EXPECT_EQ(list.SelectFromDocument(doc), c.selection >= 0);
        EXPECT_EQ(list.Selection(), c.selection);
        int32_t offset = 12345;
        EXPECT_EQ(list.SelectedOffset(offset), c.selection >= 0);
        if (c.selection < 0) {
            EXPECT_EQ(offset, 12345);
            continue;
        }
        EXPECT_EQ(list.Items()[static_cast<size_t>(c.selection)].label, c.label);
        // Written back as the same decimal text, sign included.
        EXPECT_TRUE(doc.SetTimeZone(offset));
        int32_t back = 0;
        EXPECT_TRUE(doc.GetTimeZone(back));
        EXPECT_EQ(back, offset);
        EXPECT_NE(doc.GetText().find("zn=\"" + std::to_string(offset) + "\""), std::string::npos);
    }
}

TEST(TimeZoneList, SelectionByIndex)
{
    CTimeZoneList list;
    list.Select(32);
    EXPECT_EQ(list.Selection(), 32);
    list.Select(33);
    EXPECT_EQ(list.Selection(), -1);
    EXPECT_TRUE(list.SelectOffset(-210));
    EXPECT_EQ(list.Selection(), 9);
    EXPECT_FALSE(list.SelectOffset(1));
    EXPECT_EQ(list.Selection(), -1);
    EXPECT_EQ(list.IndexOf(570), 28);
}

}  // namespace
