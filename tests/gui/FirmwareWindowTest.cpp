// The "Download Firmware" window: its controls, the address corrections, the
// high-speed box following the connection kind, the file pickers, the
// choices remembered on Close, and a download from the main window's button
// against jxsim.
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <memory>

#include "../firmware/ImageBuilder.h"
#include "GuiTest.h"
#include "firmware/views/CDownloadFirmwareDlg.h"
#include "firmware/views/FirmwareFunctions.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CJxConfigApp.h"
#include "shell/views/CMainWindow.h"

namespace {

class FirmwareWindow : public GuiTest {
protected:
    CMemorySettingsStore user, machine;
    std::unique_ptr<CJxConfigApp> app;

    void SetUp() override
    {
        GuiTest::SetUp();
        ShortLinkWaits();
        machine.exists = false;
        app = std::make_unique<CJxConfigApp>(user, machine);
        app->folders.temp = dir.Path();
    }

    static void ChooseTcpIp(QWidget& dlg, uint16_t port)
    {
        Find<QComboBox>(dlg, "connectionList")->setCurrentIndex(2);
        Find<QLineEdit>(dlg, "ipAddress")->setText("127.0.0.1");
        Find<QCheckBox>(dlg, "useDefault")->setChecked(false);
        Find<QLineEdit>(dlg, "socketNumber")->setText(QString::number(port));
    }
    std::string File(const std::string& name, const std::string& content = "x")
    {
        WriteWholeFile(dir.File(name), content);
        return dir.File(name);
    }
};

}  // namespace

TEST_F(FirmwareWindow, ControlsAndTheHighSpeedBoxFollowingTheConnection)
{
    CDownloadFirmwareDlg dlg(nullptr, *app);
    dlg.show();
    EXPECT_EQ(dlg.windowTitle(), "Download Firmware");
    EXPECT_EQ(Find<QPushButton>(dlg, "browseFirmware")->text(), "&Browse...");
    EXPECT_EQ(Find<QPushButton>(dlg, "browseDriver")->text(), "B&rowse...");
    EXPECT_EQ(Find<QPushButton>(dlg, "downloadButton")->text(), "&Download Firmware");
    EXPECT_EQ(Find<QPushButton>(dlg, "closeButton")->text(), "&Close");
    QStringList labels;
    for (QLabel* l : dlg.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains("Firmware File:"));
    EXPECT_TRUE(labels.contains("Driver File:"));

    auto* kinds = Find<QComboBox>(dlg, "connectionList");
    auto* box = Find<QCheckBox>(dlg, "highSpeed");
    EXPECT_EQ(box->text(), "Enable high speed download (Direct connection only)");
    EXPECT_EQ(kinds->currentText(), "Direct");
    EXPECT_TRUE(box->isChecked());
    EXPECT_TRUE(box->isEnabled());
    const struct {
        int item;  // Dialup, Direct, TCP/IP
        bool enabled;
    } cases[] = {{2, false}, {1, true}, {0, false}, {1, true}};
    for (const auto& c : cases) {
        kinds->setCurrentIndex(c.item);
        EXPECT_EQ(box->isEnabled(), c.enabled) << c.item;
        EXPECT_TRUE(box->isChecked());  // the tick stays for the next Direct
    }

    auto* address = Find<QLineEdit>(dlg, "networkAddress");
    const struct {
        const char* typed;
        const char* shown;
    } addresses[] = {{"0", "1"}, {"300", "240"}, {"", "1"}, {"57", "57"}};
    for (const auto& a : addresses) {
        Retype(address, a.typed);
        EXPECT_EQ(address->text(), a.shown) << a.typed;
    }
    EXPECT_EQ(dlg.Collect().connection.networkAddress, "57");
}

TEST_F(FirmwareWindow, CloseRemembersThePathsAndTheConnection)
{
    const std::string image = File("Main.exe"), driver = File("drv.rbf");
    {
        CDownloadFirmwareDlg dlg(nullptr, *app);
        dlg.show();
        Find<QLineEdit>(dlg, "firmwareFile")->setText(QString::fromStdString(image));
        Find<QLineEdit>(dlg, "driverFile")->setText(QString::fromStdString(driver));
        ChooseTcpIp(dlg, 4123);
        Retype(Find<QLineEdit>(dlg, "networkAddress"), "12");
        QTest::mouseClick(Find<QPushButton>(dlg, "closeButton"), Qt::LeftButton);
        EXPECT_FALSE(dlg.isVisible());
    }
    EXPECT_EQ(app->saved.firmwareFile, image);
    EXPECT_EQ(app->saved.firmwareDriver, driver);
    EXPECT_EQ(app->saved.connectionKind, JxConnectionKind::TcpIp);
    EXPECT_EQ(app->saved.networkAddress, "12");
    EXPECT_EQ(app->saved.socketNumber, 4123);

    CDownloadFirmwareDlg again(nullptr, *app);
    EXPECT_EQ(Find<QLineEdit>(again, "firmwareFile")->text().toStdString(), image);
    EXPECT_EQ(Find<QLineEdit>(again, "driverFile")->text().toStdString(), driver);
    EXPECT_EQ(Find<QComboBox>(again, "connectionList")->currentText(), "TCP/IP");
    EXPECT_EQ(Find<QLineEdit>(again, "networkAddress")->text(), "12");
    EXPECT_FALSE(Find<QCheckBox>(again, "highSpeed")->isEnabled());
}

TEST_F(FirmwareWindow, ThePickerShowsImagesInEitherCaseAndStartsInTheSavedFolder)
{
    std::filesystem::create_directories(dir.File("images"));
    for (const char* name : {"images/main.exe", "images/OLD.EXE", "images/Mixed.Exe", "images/notes.txt",
                             "images/drv.rbf"})
        File(name);
    app->saved.firmwareFile = dir.File("images/OLD.EXE");
    CDownloadFirmwareDlg dlg(nullptr, *app);
    dlg.show();

    QStringList listed;
    QString title, folder;
    QStringList filters;
    WhenShown<QFileDialog>([&](QFileDialog* picker) {
        title = picker->windowTitle();
        filters = picker->nameFilters();
        folder = picker->directory().absolutePath();
        auto* model = picker->findChild<QFileSystemModel*>();
        auto* name = picker->findChild<QLineEdit*>("fileNameEdit");
        if (model == nullptr || name == nullptr) {
            ADD_FAILURE() << "not Qt's own picker";
            picker->reject();
            return;
        }
        const QModelIndex root = model->index(folder);
        // The folder is read on a thread of its own.
        for (int i = 0; i < 500 && model->rowCount(root) < 3; ++i) QTest::qWait(10);
        QTest::qWait(50);
        for (int row = 0; row < model->rowCount(root); ++row) {
            const QModelIndex index = model->index(row, 0, root);
            // filtered names are hidden or shown disabled
            if (model->flags(index) & Qt::ItemIsEnabled) listed << model->fileName(index);
        }
        // as the operator types a name and presses Enter
        name->setText("main.exe");
        QTest::keyClick(name, Qt::Key_Return);
    });
    QTest::mouseClick(Find<QPushButton>(dlg, "browseFirmware"), Qt::LeftButton);

    EXPECT_EQ(title, "Select a File To Download:");
    EXPECT_EQ(filters, QStringList{"Jx Firmware File (*.EXE)"});
    EXPECT_EQ(folder.toStdString(), dir.File("images"));
    listed.sort();
    EXPECT_EQ(listed, (QStringList{"Mixed.Exe", "OLD.EXE", "main.exe"}));
    EXPECT_EQ(Find<QLineEdit>(dlg, "firmwareFile")->text().toStdString(), dir.File("images/main.exe"));

    // The driver's picker, with an empty field, starts at home.
    WhenShown<QFileDialog>([&](QFileDialog* picker) {
        filters = picker->nameFilters();
        folder = picker->directory().absolutePath();
        picker->reject();
    });
    QTest::mouseClick(Find<QPushButton>(dlg, "browseDriver"), Qt::LeftButton);
    EXPECT_EQ(filters, QStringList{"Jx Firmware Driver (*.RBF)"});
    EXPECT_EQ(folder, QDir::homePath());
    EXPECT_TRUE(Find<QLineEdit>(dlg, "driverFile")->text().isEmpty());
}

TEST_F(FirmwareWindow, TheMainWindowsButtonUpdatesASimulatedDisplay)
{
    jxsim::CSimOptions options;
    options.samples = false;
    options.bootMs = 100;
    jxsim::CJxSimulator sim(options);
    ASSERT_TRUE(sim.ListenTcp()) << sim.Error();
    ASSERT_TRUE(sim.PutFile("OLD.EXE", jxsim::Bytes(300, 1)));
    const Image built = ImageBuilder().Revision("JX V 3.09").Section(".text", std::string(3000, 'T')).Build();
    const std::string image(built.begin(), built.end());
    const std::string path = File("Main.exe", image);
    app->catalogueLoaded = true;

    CMainWindow main(*app, "1.0.0.0");
    WireFirmwareFunction(main);
    auto* button = Find<QPushButton>(main, "downloadFirmwareButton");
    ASSERT_TRUE(button->isEnabled());
    main.show();

    WhenShown<CDownloadFirmwareDlg>([&](CDownloadFirmwareDlg* dlg) {
        dlg->SetWaitFunction([](int) {});
        Find<QLineEdit>(*dlg, "firmwareFile")->setText(QString::fromStdString(path));
        ChooseTcpIp(*dlg, sim.TcpPort());
        QTest::mouseClick(Find<QPushButton>(*dlg, "downloadButton"), Qt::LeftButton);
        EXPECT_TRUE(dlg->LastResult().updated);
        EXPECT_TRUE(dlg->isVisible());  // another display may follow
        dlg->reject();
    });
    QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_EQ(messages.Messages(),
              std::vector<std::string>{"Firmware successfully updated. The display is rebooting.\nWait until the boot "
                                       "sequence is complete before reconnecting."});
    jxsim::Bytes stored;
    ASSERT_TRUE(sim.GetFile("MAIN.EXE", stored));
    EXPECT_EQ(std::string(stored.begin(), stored.end()), image);
    EXPECT_FALSE(sim.GetFile("OLD.EXE", stored));
    EXPECT_EQ(sim.ResetCount(), 1);
    EXPECT_EQ(sim.FirmwareVersion(), "TJX-3.09");
    EXPECT_EQ(app->saved.firmwareFile, path);
}
