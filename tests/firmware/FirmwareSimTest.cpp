// Controller versions, the firmware listing and the removal of old firmware
// against jxsim over loopback TCP.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "MessageRecorder.h"
#include "TempDir.h"
#include "connection/LinkOperation.h"
#include "firmware/FirmwareChecks.h"
#include "jxsim/CJxSimulator.h"

using jxsim::CJxSimulator;
using jxsim::CSimOptions;
using Names = std::vector<std::string>;

namespace {

CSimOptions Options(const std::string& version = "3.08")
{
    CSimOptions o;
    o.version = version;
    o.samples = false;
    return o;
}

// A simulated controller at address 1 and a link owner connected to it.
class Controller {
public:
    explicit Controller(CSimOptions options = Options()) : sim(std::move(options))
    {
        EXPECT_TRUE(sim.ListenTcp()) << sim.Error();
        const uint8_t loopback[4] = {127, 0, 0, 1};
        owner.Link().SetTimeOut(300);
        EXPECT_EQ(owner.Link().ConfigureRemote(loopback, static_cast<int16_t>(sim.TcpPort())), KORNET_OK);
        EXPECT_EQ(owner.Link().Connect(), KORNET_OK);
    }
    ~Controller() { owner.Link().Disconnect(); }
    CKorNetwork& Link() { return owner.Link(); }
    void Put(const std::string& name, size_t size = 16) { ASSERT_TRUE(sim.PutFile(name, jxsim::Bytes(size, 0x5A))); }
    Names Files() const
    {
        Names names;
        for (const auto& f : sim.Files()) names.push_back(f.name);
        return names;
    }

    CJxSimulator sim;
    CLinkOwner owner;
};

class Reports {
public:
    JxFailureReporter Reporter()
    {
        return [this](const std::string& m) { messages.push_back(m); };
    }
    Names messages;
};

bool FolderIsEmpty(const std::string& path) { return std::filesystem::is_empty(path); }

}  // namespace

TEST(FirmwareSim, ControllerVersionsFromStatus)
{
    struct Case {
        const char* version;
        int expected;
    };
    const Case cases[] = {
        {"3.07", 2}, {"3.10", 3}, {"2.50", 1}, {"NOVERSION", -1},
    };
    for (const Case& c : cases) {
        Controller controller(Options(c.version));
        EXPECT_EQ(ClassifyControllerFirmware(controller.Link(), 1), c.expected) << c.version;
    }
}

TEST(FirmwareSim, ControllerWithoutStatusHasNoKnownVersion)
{
    Controller controller(Options("3.07"));
    controller.sim.FailFile("STATUS.XML", 2);
    EXPECT_EQ(ClassifyControllerFirmware(controller.Link(), 1), -1);
    controller.sim.FailFile("STATUS.XML", 0);
    EXPECT_EQ(ClassifyControllerFirmware(controller.Link(), 1), 2);
    // a display at another address never answers
    EXPECT_EQ(ClassifyControllerFirmware(controller.Link(), 7), -1);
}

TEST(FirmwareSim, ListsFirmwareImagesOnly)
{
    Controller controller;
    for (const char* name : {"A.EXE", "a.exe", "B.RBF", "README", "MAIN.EXE", "NOTES.EXE.TXT", "DIR\\OLD.Exe"})
        controller.Put(name);
    TempDir temp;
    Reports reports;
    Names list{"left over"};
    EXPECT_TRUE(ListDisplayFirmware(controller.Link(), 1, temp.Path(), reports.Reporter(), list));
    EXPECT_EQ(list, (Names{"A.EXE", "DIR\\OLD.Exe", "MAIN.EXE", "a.exe"}));
    EXPECT_TRUE(reports.messages.empty());
    EXPECT_TRUE(FolderIsEmpty(temp.Path()));  // the saved copy is gone again
}

TEST(FirmwareSim, ListingFailures)
{
    Controller controller;
    controller.Put("A.EXE");
    TempDir temp;
    {
        // A controller without DIRECTORY.XML has no old firmware: nothing to say.
        controller.sim.FailFile("DIRECTORY.XML", 2);
        Reports reports;
        Names list{"left over"};
        EXPECT_TRUE(ListDisplayFirmware(controller.Link(), 1, temp.Path(), reports.Reporter(), list));
        EXPECT_TRUE(list.empty());
        EXPECT_TRUE(reports.messages.empty());
    }
    {
        controller.sim.FailFile("DIRECTORY.XML", 1);
        Reports reports;
        Names list;
        EXPECT_FALSE(ListDisplayFirmware(controller.Link(), 1, temp.Path(), reports.Reporter(), list));
        EXPECT_EQ(reports.messages, Names{"Unable to open DIRECTORY.XML: Can't Access File System"});
        controller.sim.FailFile("DIRECTORY.XML", 0);
    }
    {
        Reports reports;
        Names list;
        EXPECT_FALSE(ListDisplayFirmware(controller.Link(), 1, temp.File("no such folder"), reports.Reporter(), list));
        EXPECT_EQ(reports.messages, Names{"Unable to save DIRECTORY.XML after retrieving it from display."});
        EXPECT_TRUE(list.empty());
    }
    {
        Reports reports;
        Names list;
        EXPECT_FALSE(ListDisplayFirmware(controller.Link(), 9, temp.Path(), reports.Reporter(), list));
        EXPECT_EQ(reports.messages, Names{"Unable to open DIRECTORY.XML: No Response from Display"});
    }
    EXPECT_TRUE(FolderIsEmpty(temp.Path()));
}

TEST(FirmwareSim, DeletesOldFirmwareAndSaysWhichFailureMatters)
{
    Controller controller;
    for (const char* name : {"A.EXE", "K.EXE", "MAIN.EXE", "Z.EXE", "B.RBF"}) controller.Put(name);
    controller.sim.FailFile("A.EXE", 1);
    controller.sim.FailFile("Z.EXE", 1);
    Reports reports;
    int disabled = 0;
    DeleteOldFirmware(controller.Link(), 1, {"A.EXE", "K.EXE", "Z.EXE", "GONE.EXE", "a.exe"}, "MAIN.EXE",
                      reports.Reporter(), [&] { ++disabled; });
    EXPECT_EQ(disabled, 1);
    EXPECT_EQ(reports.messages,
              (Names{"Unable to delete old firmware (A.EXE). The new firmware cannot take affect.\n"
                     "Error cause: Can't Access File System",
                     "Unable to delete old firmware (Z.EXE): Can't Access File System",
                     "Unable to delete old firmware (GONE.EXE). The new firmware cannot take affect.\n"
                     "Error cause: Can't Find the File(s)",
                     "Unable to delete old firmware (a.exe). The new firmware cannot take affect.\n"
                     "Error cause: Can't Find the File(s)"}));
    EXPECT_EQ(controller.Files(), (Names{"A.EXE", "B.RBF", "CONFIG.XML", "MAIN.EXE", "Z.EXE"}));
}

TEST(FirmwareSim, NewImageReplacesEveryOtherImage)
{
    // The download's last steps: list, keep the image just sent, delete the rest.
    Controller controller;
    for (const char* name : {"A.EXE", "MAIN.EXE", "B.RBF"}) controller.Put(name);
    TempDir temp;
    CMessageRecorder messages;
    Names list;
    ASSERT_TRUE(ListDisplayFirmware(controller.owner, 1, temp.Path(), list));
    std::erase(list, std::string("MAIN.EXE"));
    DeleteOldFirmware(controller.owner, 1, list, "MAIN.EXE");
    EXPECT_EQ(controller.Files(), (Names{"B.RBF", "CONFIG.XML", "MAIN.EXE"}));
    EXPECT_TRUE(messages.Messages().empty());
}

TEST(FirmwareSim, NothingIsShownAfterAbort)
{
    Controller controller;
    controller.Put("A.EXE");
    controller.sim.FailFile("A.EXE", 1);
    TempDir temp;
    CMessageRecorder messages;
    DeleteOldFirmware(controller.owner, 1, {"A.EXE"}, "MAIN.EXE");
    ASSERT_EQ(messages.Messages().size(), 1u);

    controller.owner.OnAbortRequest();
    DeleteOldFirmware(controller.owner, 1, {"A.EXE"}, "MAIN.EXE");
    controller.sim.FailFile("DIRECTORY.XML", 1);
    Names list;
    EXPECT_FALSE(ListDisplayFirmware(controller.owner, 1, temp.Path(), list));
    EXPECT_EQ(messages.Messages().size(), 1u);
}
