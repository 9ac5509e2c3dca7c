// Set Configuration from the main window against jxsim (the working copy
// through the advanced window, the writes, the send and reset, a document
// whose writes fail), and the two windows and the technology panel driven
// by the operator's keys and clicks, offscreen.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <map>

#include "ConfigFunctionsFixture.h"
#include "config/CConfigDocument.h"
#include "config/views/CAdvancedConfigDlg.h"
#include "config/views/CArrowEdit.h"
#include "config/views/CSetConfigDlg.h"
#include "config/views/CTechnologyPanel.h"

namespace {

// Replaces an arrow field's text as the operator does.
void RetypeArrow(CArrowEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// Every element of a document with its attributes (by name), in document order.
using Element = std::pair<std::string, std::map<std::string, std::string>>;
std::vector<Element> Elements(const std::string& text)
{
    std::vector<Element> out;
    for (const auto& e : jxsim::ScanXmlElements(text))
        out.push_back({e.name, std::map<std::string, std::string>(e.attributes.begin(), e.attributes.end())});
    return out;
}

// The element `name` (the `nth` of that name) of a list from Elements.
std::map<std::string, std::string>& Of(std::vector<Element>& elements, const std::string& name, int nth = 0)
{
    for (auto& e : elements)
        if (e.first == name && nth-- == 0) return e.second;
    static std::map<std::string, std::string> none;
    ADD_FAILURE() << "no " << name;
    return none;
}

// A controller's factory document, named by its operator.
std::string Factory()
{
    jxsim::CConfigDefaults defaults;
    defaults.displayName = "Lobby";
    return jxsim::FactoryConfigXml(defaults);
}

bool Sent(const jxsim::CJxSimulator& sim, const std::string& name)
{
    const auto commands = sim.Commands();
    return std::any_of(commands.begin(), commands.end(), [&](const auto& c) { return c.name == name; });
}

// ---- end to end ------------------------------------------------------------------

TEST_F(ConfigFunctions, SetConfigurationWritesWhatWasChangedAndKeepsTheRest)
{
    const std::string factory = Stored();
    Run<CSetConfigDlg>("setConfigurationButton", [](CSetConfigDlg* dlg) {
        // The controller's factory document holds the defaults.
        auto* useDefault = Find<QCheckBox>(*dlg, "useDefault");
        auto* advanced = Find<QPushButton>(*dlg, "advancedButton");
        EXPECT_TRUE(useDefault->isChecked());
        EXPECT_FALSE(advanced->isEnabled());
        EXPECT_FALSE(Find<QComboBox>(*dlg, "technologyList")->isEnabled());
        EXPECT_EQ(Find<QComboBox>(*dlg, "timeZoneList")->currentText(), "(GMT -05:00)");
        EXPECT_EQ(Find<QComboBox>(*dlg, "moduleTypeList")->currentText(), "Amber 16x48 20mm");

        Retype(Find<QLineEdit>(*dlg, "displayName"), "Lobby East");
        auto* zones = Find<QComboBox>(*dlg, "timeZoneList");
        zones->setCurrentIndex(zones->findData(60));
        QTest::mouseClick(useDefault, Qt::LeftButton);
        EXPECT_TRUE(advanced->isEnabled());

        WhenShown<CAdvancedConfigDlg>([](CAdvancedConfigDlg* adv) {
            QApplication::setActiveWindow(adv);
            auto* port = Find<CArrowEdit>(*adv, "ethernetPort");
            EXPECT_EQ(port->Text(), "3001");
            RetypeArrow(port, "3005");
            Find<QComboBox>(*adv, "fileMode")->setFocus();  // leave the field
            EXPECT_EQ(port->Text(), "3005");
            QTest::mouseClick(Find<QPushButton>(*adv, "applyButton"), Qt::LeftButton);
            EXPECT_FALSE(adv->isVisible()) << "nothing to report: Apply closes";
        });
        QTest::mouseClick(advanced, Qt::LeftButton);
        EXPECT_EQ(dlg->Workset().ethernetPort.num, 3005);
        QTest::mouseClick(Find<QPushButton>(*dlg, "setButton"), Qt::LeftButton);
    });
    ASSERT_TRUE(windowShown);
    EXPECT_EQ(messages.Messages(), Texts{kSuccess});
    EXPECT_EQ(messages.Kinds(), Kinds{kInformation});
    EXPECT_EQ(sim->ResetCount(5), 1);

    // Exactly the three values changed; every other attribute of every
    // element reads as the controller had it.
    std::vector<Element> expected = Elements(factory);
    Of(expected, "CFG")["ds"] = "Lobby East";
    Of(expected, "TIME")["zn"] = "60";
    Of(expected, "PORT", 1)["num"] = "3005";
    EXPECT_EQ(Of(expected, "PORT", 1)["type"], "TCPIP");
    EXPECT_EQ(Elements(Stored()), expected);

    // The next connection looks for the display on its new port.
    EXPECT_EQ(app->saved.socketNumber, 3005);
    EXPECT_FALSE(app->saved.socketIsDefault);
    EXPECT_EQ(app->saved.serialBaud, 19200);
    EXPECT_EQ(DataFile("CONFIGsent.XML"), Stored());
}

TEST_F(ConfigFunctions, SetConfigurationNamesTheSettingsNotSavedAndCloseSendsNothing)
{
    // An ENET element whose start tag holds a ">" in a quoted value cannot
    // be rewritten without damaging it.
    std::string crafted = Stored();
    const std::string enet = "<ENET spd=\"AUTO\" dplx=\"AUTO\"/>";
    ASSERT_NE(crafted.find(enet), std::string::npos);
    crafted.replace(crafted.find(enet), enet.size(), "<ENET note=\"x>y\"></ENET>");
    ASSERT_TRUE(sim->PutFile("CONFIG.XML", jxsim::Bytes(crafted.begin(), crafted.end()), 0, 5));
    const int32_t socketBefore = sim->TcpPort();

    bool stayedOpen = false;
    Run<CSetConfigDlg>("setConfigurationButton", [&](CSetConfigDlg* dlg) {
        Retype(Find<QLineEdit>(*dlg, "displayName"), "Platform 2");
        QTest::mouseClick(Find<QPushButton>(*dlg, "setButton"), Qt::LeftButton);
        stayedOpen = dlg->isVisible();
        QTest::mouseClick(Find<QPushButton>(*dlg, "closeButton"), Qt::LeftButton);
    });
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages.Messages(),
              Texts{"The following settings couldn't be saved to CONFIG.XML:\nEthernet Configuration"});
    EXPECT_EQ(messages.Kinds(), Kinds{kCritical});
    EXPECT_FALSE(Sent(*sim, "JxSendFile header"));
    EXPECT_FALSE(Sent(*sim, "JxResetDisplay"));
    EXPECT_TRUE(Sent(*sim, "JxGetFile header"));
    EXPECT_EQ(sim->ResetCount(5), 0);
    EXPECT_EQ(Stored(), crafted);
    EXPECT_EQ(progress.size(), 3u);  // connect, fetch, disconnect
    EXPECT_EQ(app->saved.socketNumber, socketBefore) << "still the socket the Connect window used";
}

TEST_F(ConfigFunctions, WithoutTheCatalogueTheMenuEntryConnectsToNothing)
{
    // The window would write an empty module identifier over the display's.
    app->catalogueLoaded = false;
    CWindowWatch<CConnectDlg> watch;
    Find<QAction>(*main, "setConfigurationAction")->trigger();
    Settle();
    EXPECT_FALSE(watch.seen);
    EXPECT_EQ(messages.Messages(), Texts{"Failed to load MODULES.XML.  Will not be able to set configuration."});
    EXPECT_EQ(messages.Kinds(), Kinds{kCritical});
    EXPECT_TRUE(sim->Commands().empty());
}

// ---- the windows on their own ---------------------------------------------------------

class SetConfigWindows : public GuiTest {
protected:
    CMemorySettingsStore user, machine;
    std::unique_ptr<CJxConfigApp> app;
    CConfigDocument doc;

    void SetUp() override
    {
        GuiTest::SetUp();
        machine.exists = false;
        app = std::make_unique<CJxConfigApp>(user, machine);
        ASSERT_TRUE(app->LoadCatalogue(JX_SHIPPED_MODULES_XML));
        ASSERT_TRUE(doc.LoadText(Factory()));
    }
    std::string Attribute(bool (CConfigDocument::*get)(std::string&) const)
    {
        std::string value;
        (doc.*get)(value);
        return value;
    }
    // The working copy as the Set Configuration window opens it.
    ConfigWorkset OpenedWorkset()
    {
        CSetConfigDlg owner(nullptr, doc, app->catalogue, app->factory);
        return owner.Workset();
    }
    // The advanced window on `workset`, shown and active so keys reach it.
    std::unique_ptr<CAdvancedConfigDlg> ShowAdvanced(ConfigWorkset& workset)
    {
        auto dlg = std::make_unique<CAdvancedConfigDlg>(nullptr, workset, app->factory);
        dlg->show();
        QApplication::setActiveWindow(dlg.get());
        return dlg;
    }
};

// Each list of the panel, chosen by the operator: the Display Name is
// generated anew and Set writes the type and module that go with it.
TEST_F(SetConfigWindows, EachPanelChoiceRecomposesTheDisplay)
{
    const struct {
        const char* list;
        const char* item;
        const char* name;
        const char* type;
        const char* module;
        int modules;  // items of the Module Type list afterwards
    } rows[] = {
        {"heightList", "24", "Halvane 24 x 48 Monochrome", "24X48MONO1.HLV.Jx", "HLV-M16X48-1", 6},
        {"widthList", "96", "Halvane 16 x 96 Monochrome", "16X96MONO1.HLV.Jx", "HLV-M16X48-1", 6},
        {"colourDepthList", "Tricolor", "Halvane 16 x 48 Tricolor", "16X48TRI3.HLV.Jx", "HLV-T16X48-1", 3},
        {"colourDepthList", "RGB 32K Colors", "Halvane 16 x 48 RGB 32K", "16X48RGB32K.HLV.Jx", "HLV-C24X48-1", 4},
        {"moduleTypeList", "Red 7x40 30mm", "Halvane 16 x 48 Monochrome", "16X48MONO1.HLV.Jx", "HLV-M7X40-2", 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.list) + " " + row.item);
        ASSERT_TRUE(doc.LoadText(Factory()));
        CSetConfigDlg dlg(nullptr, doc, app->catalogue, app->factory);
        dlg.show();
        auto* name = Find<QLineEdit>(dlg, "displayName");
        EXPECT_EQ(name->text(), "Lobby") << "ds as the document has it";
        auto* list = Find<QComboBox>(dlg, row.list);
        list->setCurrentIndex(list->findText(row.item));
        EXPECT_EQ(name->text(), row.name);
        EXPECT_EQ(Find<QComboBox>(dlg, "moduleTypeList")->count(), row.modules);
        QTest::mouseClick(Find<QPushButton>(dlg, "setButton"), Qt::LeftButton);
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(Attribute(&CConfigDocument::GetDescription), row.name);
        EXPECT_EQ(Attribute(&CConfigDocument::GetDisplayType), row.type);
        EXPECT_EQ(Attribute(&CConfigDocument::GetModuleId), row.module);
    }
    EXPECT_TRUE(messages.Messages().empty());
}

TEST_F(SetConfigWindows, TabOrderFollowsTheWindow)
{
    CSetConfigDlg dlg(nullptr, doc, app->catalogue, app->factory);
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    QTest::mouseClick(Find<QCheckBox>(dlg, "useDefault"), Qt::LeftButton);  // "Advanced >>>" takes the focus too
    Find<QComboBox>(dlg, "heightList")->setFocus(Qt::TabFocusReason);
    const char* const order[] = {"widthList",      "colourDepthList", "moduleTypeList", "displayName",
                                 "timeZoneList",   "daylightSaving",  "useDefault",     "advancedButton",
                                 "setButton",      "closeButton",     "heightList"};
    for (const char* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_NE(QApplication::focusWidget(), nullptr);
        EXPECT_EQ(QApplication::focusWidget()->objectName().toStdString(), next);
    }
}

// The advanced window's fields as the operator steps and leaves them: each
// row starts from the working copy the factory document gives (Ethernet
// 3001, RTD network 3002).
TEST_F(SetConfigWindows, AdvancedFieldsKeepTheirLimits)
{
    enum Act { Up, Down, Leave };
    const struct {
        const char* field;
        const char* typed;  // null: as opened
        Act act;
        const char* shown;
    } rows[] = {
        {"ethernetPort", nullptr, Up, "3003"},        // over the RTD port
        {"ethernetPort", "65535", Up, "65535"},
        {"ethernetPort", "3002", Leave, "3001"},       // the RTD port's, less one
        {"ethernetPort", "70000", Leave, "65535"},
        {"rtdPort", "3001", Leave, "3002"},            // the Ethernet port's, plus one
        {"rtdPort", nullptr, Down, "3000"},            // over the Ethernet port
        {"gamma", "2.33", Leave, "2.35"},
        {"gamma", "3", Leave, "2.75"},
        {"gamma", "2.75", Up, "2.75"},
        {"gamma", nullptr, Down, "2.15"},
        {"signNumber", "99", Up, "99"},
        {"signNumber", "0", Down, "0"},
        {"thermalLow", "65", Up, "65"},                // not above High
        {"thermalLow", "40", Down, "40"},
        {"thermalHigh", "30", Leave, "30"},            // typed limits wait for Apply
        {"brightnessHigh", "100", Up, "100"},
        {"brightnessLow", nullptr, Up, "1"},
        {"refreshRate", nullptr, Down, "120"},         // its arrows are off
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.field) + " " + (row.typed ? row.typed : "") + " " + std::to_string(row.act));
        ConfigWorkset workset = OpenedWorkset();
        const auto shown = ShowAdvanced(workset);
        CAdvancedConfigDlg& dlg = *shown;
        auto* field = Find<CArrowEdit>(dlg, row.field);
        if (row.typed) RetypeArrow(field, row.typed);
        field->setFocus();
        if (row.act == Up) QTest::keyClick(field, Qt::Key_Up);
        if (row.act == Down) QTest::keyClick(field, Qt::Key_Down);
        Find<QComboBox>(dlg, "fileMode")->setFocus();
        EXPECT_EQ(field->Text().toStdString(), row.shown);
    }
}

// Enter in an arrow field ends the edit, so the field is corrected before
// the default button, "&Apply", checks the ports.
TEST_F(SetConfigWindows, EnterInAnArrowFieldCorrectsItThenApplies)
{
    ConfigWorkset workset = OpenedWorkset();
    const auto shown = ShowAdvanced(workset);
    CAdvancedConfigDlg& dlg = *shown;
    auto* port = Find<CArrowEdit>(dlg, "ethernetPort");
    RetypeArrow(port, "70000");
    QTest::keyClick(port, Qt::Key_Return);
    EXPECT_EQ(port->Text(), "65535");
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(workset.ethernetPort.num, 65535);
}

TEST_F(SetConfigWindows, AdvancedListsAndFilteredFields)
{
    ConfigWorkset workset = OpenedWorkset();
    const auto shown = ShowAdvanced(workset);
    CAdvancedConfigDlg& dlg = *shown;
    auto* type = Find<QComboBox>(dlg, "connectionType");
    auto* baud = Find<QComboBox>(dlg, "baudRate");
    auto* init = Find<QLineEdit>(dlg, "modemInit");
    type->setCurrentIndex(type->findText("Modem"));
    EXPECT_FALSE(baud->isEnabled());
    EXPECT_TRUE(init->isEnabled());
    type->setCurrentIndex(type->findText("Direct"));
    EXPECT_TRUE(baud->isEnabled());
    EXPECT_FALSE(init->isEnabled());
    auto* protocol = Find<QComboBox>(dlg, "requiredProtocol");
    protocol->setCurrentIndex(protocol->findText("Brellmart"));
    EXPECT_EQ(baud->currentText(), "115200");
    EXPECT_FALSE(baud->isEnabled());
    auto* rtdSerial = Find<QCheckBox>(dlg, "rtdSerialEnabled");
    EXPECT_TRUE(rtdSerial->isChecked());
    QTest::mouseClick(rtdSerial, Qt::LeftButton);
    EXPECT_FALSE(Find<QComboBox>(dlg, "rtdBaudRate")->isEnabled());
    EXPECT_FALSE(Find<QComboBox>(dlg, "handShaking")->isEnabled());

    // Digits only, three for brightness and two for thermal thresholds.
    const struct {
        const char* field;
        const char* typed;
        const char* shown;
    } rows[] = {{"brightnessLow", "1234", "123"}, {"brightnessHigh", "95a", "95"}, {"thermalLow", "456", "45"},
                {"thermalHigh", "-7", "7"},       {"gamma", "2.255", "2.25"}};
    for (const auto& row : rows) {
        auto* field = Find<CArrowEdit>(dlg, row.field);
        RetypeArrow(field, row.typed);
        EXPECT_EQ(field->Text().toStdString(), row.shown) << row.field << " " << row.typed;
    }
    auto* logSize = Find<QLineEdit>(dlg, "logSize");
    Retype(logSize, "5000000");
    type->setFocus();
    Settle();
    EXPECT_EQ(logSize->text(), "1000000");
    EXPECT_TRUE(logSize->hasSelectedText());

    // Apply: brightness Low 123 over High 95 and over its maximum, thermal
    // Low 45 over High 7: the lines are shown in order, the window stays,
    // the working copy holds the values as corrected.
    QTest::mouseClick(Find<QPushButton>(dlg, "applyButton"), Qt::LeftButton);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0],
              "An error has been detected in the following settings: \n"
              "\n\t- Low brightness greater than high brightness value."
              "\n\t- High brightness less than low brightness value."
              "\n\t- Low brightness greater than maximum allowable value; forcing value to minimum."
              "\n\t- Low threshold greater than high threshold value."
              "\n\t- High threshold less than low threshold value."
              "\n\t- High threshold less than minimum allowable value; forcing value to maximum."
              "\n\nPlease review the settings and click Apply.");
    EXPECT_EQ(messages.Kinds(), Kinds{kWarning});
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(Find<CArrowEdit>(dlg, "brightnessLow")->Text(), "0");
    EXPECT_EQ(Find<CArrowEdit>(dlg, "thermalHigh")->Text(), "85");
    EXPECT_EQ(workset.brightnessLow, 0);
    EXPECT_EQ(workset.brightnessHigh, 95);
    EXPECT_EQ(workset.logMax, "1000000");
    EXPECT_EQ(workset.requiredSerialPort.protocol, "HTCH");
    EXPECT_EQ(workset.requiredSerialPort.baud, 115200);
    EXPECT_FALSE(workset.rtdSerialEnabled);

    // The second Apply finds nothing to report and closes.
    QTest::mouseClick(Find<QPushButton>(dlg, "applyButton"), Qt::LeftButton);
    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
}

// The panel alone, for each technology: caption, the Color Depth list's
// state and the catalogue's modules.
TEST_F(SetConfigWindows, PanelShowsEachTechnology)
{
    const struct {
        int technology;
        const char* caption;
        bool colourDepth;
        const char* firstModule;
        int modules;
    } rows[] = {{0, "Halvane Technology", true, "Amber 16x48 20mm", 6},
                {1, "Brightel Technology", false, "Amber 7x80 Line Board", 3},
                {2, "Cindrel Technology", false, "Amber 16x16 Tile 10mm", 2}};
    for (const auto& row : rows) {
        CTechnologyPanelModel model(app->catalogue);
        ASSERT_TRUE(model.SelectTechnology(row.technology));
        CTechnologyPanel panel;
        int reported = 0;
        QObject::connect(&panel, &CTechnologyPanel::heightChosen, [&] { ++reported; });
        QObject::connect(&panel, &CTechnologyPanel::moduleChosen, [&] { ++reported; });
        panel.Show(model.State());
        EXPECT_EQ(Find<QGroupBox>(panel, "technologyGroup")->title().toStdString(), row.caption);
        EXPECT_EQ(Find<QComboBox>(panel, "colourDepthList")->isEnabled(), row.colourDepth) << row.caption;
        EXPECT_EQ(Find<QLabel>(panel, "colourDepthLabel")->isEnabled(), row.colourDepth) << row.caption;
        auto* modules = Find<QComboBox>(panel, "moduleTypeList");
        EXPECT_EQ(modules->count(), row.modules) << row.caption;
        EXPECT_EQ(modules->currentText().toStdString(), row.firstModule);
        EXPECT_EQ(Find<QComboBox>(panel, "heightList")->currentText(), "7");
        EXPECT_EQ(Find<QComboBox>(panel, "widthList")->count(), 128);
        EXPECT_EQ(reported, 0) << "drawing a state reports no choice";
    }
}

}  // namespace
