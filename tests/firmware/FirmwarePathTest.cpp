// The checks of the two file fields of the firmware download: which name a
// file gets on the controller, and which fields stop the run.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "firmware/FirmwareDownload.h"

TEST(FirmwarePath, ChecksAndRemoteNames)
{
    TempDir dir;
    WriteWholeFile(dir.File("Main.exe"), "x");
    WriteWholeFile(dir.File("drv.v2.Rbf"), "x");
    WriteWholeFile(dir.File("MAIN.EXE.bak"), "x");
    struct Case {
        std::string path;
        const char* type;
        JxImageKind kind;
        CFirmwarePathCheck expected;
    };
    const auto F = JxImageKind::Firmware;
    const auto D = JxImageKind::Driver;
    const Case cases[] = {
        {"", ".EXE", F, {}},
        {"", ".RBF", D, {}},
        {"Main.exe", ".EXE", F, {false, "", "The Firmware path you specified is invalid."}},
        {"C:\\fw\\MAIN.EXE", ".EXE", F, {false, "", "The Firmware path you specified is invalid."}},
        {"drv.rbf", ".RBF", D, {false, "", "The Driver path you specified is invalid."}},
        {dir.File("Main.exe"), ".EXE", F, {true, "MAIN.EXE", ""}},
        {dir.File("drv.v2.Rbf"), ".RBF", D, {true, "DRV.V2.RBF", ""}},
        {dir.File("MAIN.EXE.bak"), ".EXE", F, {false, "", "The Firmware file needs to be .EXE extension."}},
        {dir.File("main.bin"), ".EXE", F, {false, "", "The Firmware file needs to be .EXE extension."}},
        {dir.File("noextension"), ".EXE", F, {false, "", "The Firmware file needs to be .EXE extension."}},
        {dir.Path() + "/", ".RBF", D, {false, "", "The Firmware Driver needs to be .RBF extension."}},
        {dir.File("main.exe"), ".RBF", D, {false, "", "The Firmware Driver needs to be .RBF extension."}},
        // a missing file still counts as chosen: the run stops before it connects
        {dir.File("gone.eXe"), ".EXE", F, {true, "GONE.EXE", "The Firmware file was not found."}},
        {dir.File("gone.rbf"), ".RBF", D, {true, "GONE.RBF", "The Driver file was not found."}},
        {dir.File("Main.exe") + "/", ".EXE", F, {false, "", "The Firmware file needs to be .EXE extension."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const CFirmwarePathCheck got = CheckFirmwarePath(c.path, c.type, c.kind);
        EXPECT_EQ(got.selected, c.expected.selected);
        EXPECT_EQ(got.remoteName, c.expected.remoteName);
        EXPECT_EQ(got.message, c.expected.message);
    }
}
