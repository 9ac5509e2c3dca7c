// The INI settings stores: where they are, what a value reads back as, and
// the application's settings across two runs.
#include <QStandardPaths>
#include <filesystem>

#include "GuiTest.h"
#include "shell/CJxConfigApp.h"
#include "shell/views/CQtSettingsStore.h"

namespace {
class SettingsStore : public GuiTest {};

TEST_F(SettingsStore, Locations)
{
    EXPECT_EQ(JxUserSettingsPath(), dir.File("config") + "/JxConfig.ini");
    EXPECT_EQ(JxMachineSettingsPath(), dir.File("config") + "/Settings.ini");
    unsetenv("JXCONFIG_CONFIG_DIR");
    const std::string home = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation).toStdString();
    EXPECT_EQ(JxUserSettingsPath(), home + "/Corvanta/Tolvar/V2/JxConfig.ini");
    setenv("XDG_CONFIG_DIRS", "/opt/site/xdg:/etc/xdg", 1);
    EXPECT_EQ(JxMachineSettingsPath(), "/opt/site/xdg/Corvanta/Tolvar/V2/Settings.ini");
    unsetenv("XDG_CONFIG_DIRS");
    EXPECT_EQ(JxMachineSettingsPath(), "/etc/xdg/Corvanta/Tolvar/V2/Settings.ini");
}

TEST_F(SettingsStore, ValuesReadBackAsWritten)
{
    const std::string path = dir.File("config/JxConfig.ini");
    {
        CQtSettingsStore store(path);
        EXPECT_FALSE(store.Open(false));  // not there yet
        ASSERT_TRUE(store.Open(true));
        EXPECT_TRUE(store.WriteString("Saved Directory", "/srv/signs/\xe9t\xe9/"));
        EXPECT_TRUE(store.WriteNumber("Socket Number", 4000));
        EXPECT_TRUE(store.WriteNumber("Serial Port", 12));
        EXPECT_TRUE(store.WriteString("Saved Phone Number", "01234567890123456789"));  // 20: too long to read
        EXPECT_TRUE(store.WriteString("IP Address", "display.example"));
    }
    CQtSettingsStore store(path);
    ASSERT_TRUE(store.Open(false));
    EXPECT_EQ(store.ReadString("Saved Directory", 260), "/srv/signs/\xe9t\xe9/");
    EXPECT_EQ(store.ReadNumber("Socket Number"), 4000u);
    EXPECT_EQ(store.ReadNumber("Serial Port"), 12u);
    EXPECT_EQ(store.ReadString("Saved Phone Number", 20), std::nullopt);
    EXPECT_EQ(store.ReadString("Saved Phone Number", 21), "01234567890123456789");
    EXPECT_EQ(store.ReadNumber("IP Address"), std::nullopt);  // not a number
    EXPECT_EQ(store.ReadString("Saved Firmware File", 260), std::nullopt);
    EXPECT_EQ(store.ReadNumber("Missing"), std::nullopt);
}

TEST_F(SettingsStore, AHandWrittenFileIsRead)
{
    std::filesystem::create_directories(dir.File("config"));
    WriteWholeFile(dir.File("config/Settings.ini"), "[General]\nServer Configuration Path=/srv/jx/\n");
    CQtSettingsStore machine(dir.File("config/Settings.ini"));
    ASSERT_TRUE(machine.Open(false));
    EXPECT_EQ(machine.ReadString("Server Configuration Path", 260), "/srv/jx/");
}

TEST_F(SettingsStore, AStoreThatCannotBeCreatedIsReportedAtStart)
{
    WriteWholeFile(dir.File("file"), "x");
    CQtSettingsStore user(dir.File("file/JxConfig.ini"));  // beneath a file: cannot be made
    CQtSettingsStore machine(dir.File("nowhere/Settings.ini"));
    CJxConfigApp app(user, machine);
    EXPECT_EQ(app.StartupMessage(),
              "Error in creating registry key: Software\\Corvanta\\Tolvar\\V2\\JxConfig under HKEY_CURRENT_USER");
    EXPECT_EQ(app.saved.socketNumber, 3001);
}

TEST_F(SettingsStore, TheToolsSettingsLastFromOneRunToTheNext)
{
    std::filesystem::create_directories(dir.File("work"));
    {
        CQtSettingsStore user(JxUserSettingsPath()), machine(JxMachineSettingsPath());
        CJxConfigApp app(user, machine);
        app.StartUp();
        EXPECT_EQ(app.StartupMessage(), "");
        app.saved.phoneNumber = "5551234";
        app.saved.directory = dir.File("work") + "/";
        app.StoreSerialPort(3);
        app.StoreSocket(3001, "10.0.0.7");
        app.SaveOnExit();
    }
    CQtSettingsStore user(JxUserSettingsPath()), machine(JxMachineSettingsPath());
    CJxConfigApp app(user, machine);
    app.StartUp();
    EXPECT_EQ(app.saved.phoneNumber, "5551234");
    EXPECT_EQ(app.saved.directory, dir.File("work") + "/");
    EXPECT_EQ(app.saved.serialPort, "COM3");
    EXPECT_EQ(app.saved.ipAddress, "10.0.0.7");
    EXPECT_TRUE(app.saved.socketIsDefault);
}
}  // namespace
