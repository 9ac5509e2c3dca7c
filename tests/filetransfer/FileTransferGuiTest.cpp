// The File Transfer windows offscreen against jxsim over loopback TCP: the
// main window's button, the connection window, files sent and fetched back
// through the window's own buttons, the in-place rename of a controller
// file, column sorting, and the window's smallest size.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>
#include <QWindow>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <thread>
#include <atomic>
#include <chrono>

#include "GuiTest.h"
#include "connection/views/CCommProgressDialog.h"
#include "filetransfer/views/CFileListModel.h"
#include "filetransfer/views/CFileTransferConnectDlg.h"
#include "filetransfer/views/CFileTransferDlg.h"
#include "filetransfer/views/CRenameFileDlg.h"
#include "filetransfer/views/FileTransferFunctions.h"
#include "jxsim/CJxSimulator.h"
#include "shell/CJxConfigApp.h"
#include "shell/views/CMainWindow.h"

namespace {

std::string RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(gen() & 0xFF);
    return s;
}

// Acts on the File Transfer window once it is up and idle: its opening
// refresh has ended and no progress window of it is in front.
void WhenIdle(std::function<void(CFileTransferDlg*)> act)
{
    WhenShown<CFileTransferDlg>(act, [](CFileTransferDlg* window) {
        return !window->JobRunning() && QApplication::activeModalWidget() == window;
    });
}

QStringList Names(const CFileListModel& model)
{
    QStringList names;
    for (const CFileListRow& row : model.Rows()) names << QString::fromStdString(row.name);
    return names;
}

// Selects the rows of `list` showing `names` (as ctrl-clicks would).
void Select(QTreeView* list, const QStringList& names)
{
    auto* model = static_cast<CFileListModel*>(list->model());
    list->clearSelection();
    for (int row = 0; row < model->rowCount(); ++row)
        if (names.contains(QString::fromStdString(model->At(row).name)))
            list->selectionModel()->select(model->index(row, 0),
                                           QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void Click(QWidget& w, const char* name) { QTest::mouseClick(Find<QPushButton>(w, name), Qt::LeftButton); }

class FileTransferWindow : public GuiTest {
protected:
    CMemorySettingsStore user, machine;
    std::unique_ptr<CJxConfigApp> app;
    std::unique_ptr<jxsim::CJxSimulator> sim;

    void SetUp() override
    {
        GuiTest::SetUp();
        ShortLinkWaits();
        machine.exists = false;
        app = std::make_unique<CJxConfigApp>(user, machine);
        app->catalogueLoaded = true;
        jxsim::CSimOptions options;
        options.samples = false;
        sim = std::make_unique<jxsim::CJxSimulator>(options);
        ASSERT_TRUE(sim->ListenTcp()) << sim->Error();
    }

    std::string Folder(const std::string& name)
    {
        std::filesystem::create_directories(dir.File(name));
        return dir.File(name) + "/";
    }

    void ChooseTcpIp(QWidget& dlg)
    {
        Find<QComboBox>(dlg, "connectionList")->setCurrentIndex(2);
        Find<QLineEdit>(dlg, "ipAddress")->setText("127.0.0.1");
        Find<QCheckBox>(dlg, "useDefault")->setChecked(false);
        Find<QLineEdit>(dlg, "socketNumber")->setText(QString::number(sim->TcpPort()));
    }

    // Connects from a connection window of its own and runs `act` on the
    // File Transfer window; `act` leaves it open, this closes it with
    // "&Disconnect". True when the connection window ended finished.
    bool WithWindow(const std::function<void(CFileTransferDlg&)>& act)
    {
        CFileTransferConnectDlg connect(nullptr, *app);
        connect.show();
        ChooseTcpIp(connect);
        WhenIdle([&](CFileTransferDlg* w) {
            act(*w);
            if (w->isVisible()) Click(*w, "disconnectButton");
        });
        Click(connect, "connectButton");
        return connect.Finished();
    }
};

}  // namespace

TEST_F(FileTransferWindow, FilesGoUpAndComeBackByteForByteFromTheMainWindowsButton)
{
    const std::string up = Folder("up"), down = Folder("down");
    // A compressible text, noise, and an empty file; names in any case.
    const std::map<std::string, std::string> files = {
        {"readme.txt", std::string(5000, 'a') + "the end\r\n"},
        {"Noise.Bin", RandomBytes(70000, 7)},
        {"EMPTY.DAT", ""},
    };
    for (const auto& [name, content] : files) WriteWholeFile(up + name, content);
    WriteWholeFile(up + "left.alone", "not selected");
    app->saved.directory = up;

    CMainWindow main(*app, "1.0.0.0");
    WireFileTransferFunction(main);
    auto* button = Find<QPushButton>(main, "fileTransferButton");
    ASSERT_TRUE(button->isEnabled());
    EXPECT_TRUE(Find<QAction>(main, "fileTransferAction")->isEnabled());
    main.show();

    bool finished = false;
    QStringList remoteAfterUpload, localAfterDownload, labels;
    WhenShown<CFileTransferConnectDlg>([&](CFileTransferConnectDlg* connect) {
        EXPECT_EQ(connect->windowTitle(), "File Transfer");
        EXPECT_EQ(Find<QPushButton>(*connect, "connectButton")->text(), "&Connect");
        EXPECT_EQ(Find<QPushButton>(*connect, "exitButton")->text(), "E&xit");
        ChooseTcpIp(*connect);
        WhenIdle([&](CFileTransferDlg* w) {
            EXPECT_EQ(w->windowTitle(), "File Transfer");
            EXPECT_TRUE(w->windowState() & Qt::WindowMaximized);
            EXPECT_EQ(w->LocalFolder(), up);
            EXPECT_EQ(Names(w->LocalModel()), (QStringList{"EMPTY.DAT", "left.alone", "Noise.Bin", "readme.txt"}));
            const QStringList before = Names(w->RemoteModel());
            EXPECT_FALSE(before.contains("README.TXT"));
            // The link's progress window of the connection is still up behind.
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->objectName() == "commProgressDialog" && top->isVisible()) labels << "progress";

            Select(Find<QTreeView>(*w, "localList"), {"readme.txt", "Noise.Bin", "EMPTY.DAT"});
            Click(*w, "uploadButton");
            remoteAfterUpload = Names(w->RemoteModel());

            // Into an empty folder typed in the Directory field.
            auto* field = Find<QLineEdit>(*w, "directoryEdit");
            Retype(field, QString::fromStdString(down));
            QTest::keyClick(field, Qt::Key_Return);
            EXPECT_EQ(w->LocalFolder(), down);
            EXPECT_TRUE(Names(w->LocalModel()).isEmpty());
            w->SetWaitFunction([](int) {});
            Select(Find<QTreeView>(*w, "remoteList"), {"README.TXT", "NOISE.BIN", "EMPTY.DAT"});
            Click(*w, "downloadButton");
            localAfterDownload = Names(w->LocalModel());
            Click(*w, "disconnectButton");
        });
        Click(*connect, "connectButton");
        finished = connect->Finished();
        EXPECT_FALSE(connect->isVisible());
    });
    QTest::mouseClick(button, Qt::LeftButton);

    EXPECT_EQ(messages.Messages(), std::vector<std::string>{});
    EXPECT_TRUE(finished);
    EXPECT_EQ(labels, QStringList{"progress"});
    for (const char* name : {"EMPTY.DAT", "NOISE.BIN", "README.TXT"}) EXPECT_TRUE(remoteAfterUpload.contains(name));
    EXPECT_FALSE(remoteAfterUpload.contains("LEFT.ALONE"));
    EXPECT_EQ(localAfterDownload, (QStringList{"EMPTY.DAT", "NOISE.BIN", "README.TXT"}));
    for (const auto& [name, content] : files) {
        const std::string upper = QString::fromStdString(name).toUpper().toStdString();
        jxsim::Bytes stored;
        ASSERT_TRUE(sim->GetFile(upper, stored)) << upper;
        EXPECT_EQ(std::string(stored.begin(), stored.end()), content) << upper;
        EXPECT_EQ(ReadWholeFile(down + upper), content) << upper;
    }
    jxsim::Bytes none;
    EXPECT_FALSE(sim->GetFile("LEFT.ALONE", none));
    // "&Disconnect" remembers the folder it showed.
    EXPECT_EQ(app->saved.directory, down);
}

TEST_F(FileTransferWindow, AnInPlaceRenameSendsOnlyANameNoOtherFileHas)
{
    for (const char* name : {"A.TXT", "B.TXT"}) ASSERT_TRUE(sim->PutFile(name, jxsim::Bytes(10, 'x')));
    app->saved.directory = Folder("local");
    const struct {
        const char* typed;
        const char* message;  // empty: none
        bool sent;
        const char* shown;    // the edited row afterwards
    } cases[] = {
        {"B.TXT", "A file with the name you specified already exists.  Specify a different file name.", false, "A.TXT"},
        {"", "You must type a file name.", false, "A.TXT"},
        {"A.TXT", "", false, "A.TXT"},
        // Names are compared exactly: another case is another name.
        {"b.txt", "", true, "b.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        ASSERT_TRUE(sim->PutFile("A.TXT", jxsim::Bytes(10, 'x')));
        sim->RemoveFile("b.txt");
        QStringList shown;
        std::vector<std::string> sent;
        const size_t before = messages.Messages().size();
        EXPECT_TRUE(WithWindow([&](CFileTransferDlg& w) {
            auto* list = Find<QTreeView>(w, "remoteList");
            const QModelIndex a = w.RemoteModel().index(0, 0);
            ASSERT_EQ(a.data().toString(), "A.TXT");
            sim->ClearCommands();
            // As the operator edits the name in the list and presses Enter.
            list->setCurrentIndex(a);
            list->edit(a);
            auto* editor = list->findChild<QLineEdit*>();
            ASSERT_NE(editor, nullptr);
            editor->setText(c.typed);
            QTest::keyClick(editor, Qt::Key_Return);
            Settle();
            for (const auto& command : sim->Commands()) sent.push_back(command.name);
            shown = Names(w.RemoteModel());
        }));
        const std::vector<std::string> all = messages.Messages();
        const std::vector<std::string> raised(all.begin() + static_cast<long>(before), all.end());
        EXPECT_EQ(raised, c.message[0] != '\0' ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        EXPECT_EQ(!sent.empty(), c.sent) << (sent.empty() ? "" : sent.front());
        EXPECT_TRUE(shown.contains(c.shown)) << shown.join(",").toStdString();
        jxsim::Bytes data;
        EXPECT_EQ(sim->GetFile(c.shown, data), true);
    }
}

TEST_F(FileTransferWindow, ColumnClicksSortByNameAndSizeNeverByTimeAndKeepTheSelection)
{
    const struct {
        const char* name;
        size_t size;
    } files[] = {{"b.txt", 300}, {"C.TXT", 20}, {"a.txt", 1000}};
    const std::string local = Folder("local");
    for (const auto& f : files) WriteWholeFile(local + f.name, std::string(f.size, 'z'));
    app->saved.directory = local;
    const struct {
        int column;  // clicked
        QStringList order;
    } clicks[] = {
        {1, {"C.TXT", "b.txt", "a.txt"}},  // Size, ascending
        {1, {"a.txt", "b.txt", "C.TXT"}},  // Size again: descending
        {2, {"a.txt", "b.txt", "C.TXT"}},  // Time: nothing changes
        {0, {"a.txt", "b.txt", "C.TXT"}},  // Name, ascending, any case
        {0, {"C.TXT", "b.txt", "a.txt"}},
    };
    EXPECT_TRUE(WithWindow([&](CFileTransferDlg& w) {
        auto* list = Find<QTreeView>(w, "localList");
        Select(list, {"b.txt"});
        QHeaderView* header = list->header();
        for (const auto& c : clicks) {
            SCOPED_TRACE(c.column);
            const QPoint at(header->sectionViewportPosition(c.column) + 5, header->height() / 2);
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
            EXPECT_EQ(Names(w.LocalModel()), c.order);
            EXPECT_NE(header->sortIndicatorSection(), 2);
            const QModelIndexList selected = list->selectionModel()->selectedRows();
            ASSERT_EQ(selected.size(), 1);
            EXPECT_EQ(selected.front().data().toString(), "b.txt");
        }
    }));
}

TEST_F(FileTransferWindow, AWindow582PixelsWideCannotBeMadeNarrowerAndKeepsEveryControlInside)
{
    EXPECT_TRUE(WithWindow([&](CFileTransferDlg& w) {
        w.showNormal();
        w.resize(582, 440);
        Settle();
        const QSize sizes[] = {{300, 440}, {581, 440}, {582, 200}, {100, 100}};
        for (const QSize& s : sizes) {
            w.resize(s);
            Settle();
            EXPECT_EQ(w.width(), 582) << s.width();
            EXPECT_EQ(w.height(), 440) << s.height();
        }
        ASSERT_NE(w.windowHandle(), nullptr);
        EXPECT_EQ(w.windowHandle()->minimumSize(), QSize(582, 440));
        // At the smallest size every control is inside the window, the two
        // panes side by side with the arrows between them.
        for (QWidget* child : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (!child->isVisible()) continue;
            EXPECT_TRUE(w.rect().contains(child->geometry())) << child->objectName().toStdString();
        }
        const QRect local = Find<QGroupBox>(w, "localPane")->geometry();
        const QRect remote = Find<QGroupBox>(w, "remotePane")->geometry();
        const QRect upload = Find<QPushButton>(w, "uploadButton")->geometry();
        EXPECT_LT(local.right(), upload.left());
        EXPECT_LT(upload.right(), remote.left());
        EXPECT_EQ(local.width(), remote.width());
        // Larger again: the lists grow with the window.
        const int listWidth = Find<QTreeView>(w, "remoteList")->width();
        w.resize(1000, 700);
        Settle();
        EXPECT_GT(Find<QTreeView>(w, "remoteList")->width(), listWidth);
    }));
}

TEST_F(FileTransferWindow, TheRenameFileWindowAnswersTheRemoteBatchAndNamesANewFolder)
{
    ASSERT_TRUE(sim->PutFile("OLD.TXT", jxsim::Bytes(5, 'o')));
    ASSERT_TRUE(sim->PutFile("TAKEN.TXT", jxsim::Bytes(5, 't')));
    const std::string local = Folder("local");
    std::filesystem::create_directories(local + "there");
    app->saved.directory = local;
    // What the operator sees and types in each Rename File window, in turn.
    struct Step {
        QString title, prompt, shown;
        QString typed;  // then OK
    };
    std::vector<Step> steps;
    const QStringList answers = {"TAKEN.TXT", "NEW.TXT", "there", "made"};
    std::function<void(CRenameFileDlg*)> answer = [&](CRenameFileDlg* d) {
        auto* edit = Find<QLineEdit>(*d, "nameEdit");
        steps.push_back({d->windowTitle(), Find<QLabel>(*d, "prompt")->text(), edit->text(), answers[steps.size()]});
        edit->setText(steps.back().typed);
        Click(*d, "okButton");
        // A refused name keeps the window up for the next answer.
        if (d->isVisible() && steps.size() < static_cast<size_t>(answers.size())) WhenShown<CRenameFileDlg>(answer);
        else if (d->isVisible()) d->reject();
    };
    QStringList remote;
    EXPECT_TRUE(WithWindow([&](CFileTransferDlg& w) {
        // From the batch's worker, in front of its progress window.
        Select(Find<QTreeView>(w, "remoteList"), {"OLD.TXT"});
        WhenShown<CRenameFileDlg>(answer);
        Click(w, "remoteRename");
        remote = Names(w.RemoteModel());
        // From the window itself.
        WhenShown<CRenameFileDlg>(answer);
        Click(w, "localMkDir");
    }));
    ASSERT_EQ(steps.size(), 4u);
    EXPECT_EQ(steps[0].title, "Rename File");
    EXPECT_EQ(steps[0].prompt, "Enter new name for \"OLD.TXT\":");
    EXPECT_EQ(steps[0].shown, "OLD.TXT");
    EXPECT_EQ(steps[2].title, "Create Directory");
    EXPECT_EQ(steps[2].prompt, "Enter name for new directory:");
    EXPECT_EQ(steps[2].shown, "");
    const std::string exists = "A file with the name you specified already exists.  Specify a different file name.";
    EXPECT_EQ(messages.Messages(), (std::vector<std::string>{exists, exists}));
    EXPECT_TRUE(remote.contains("NEW.TXT"));
    EXPECT_FALSE(remote.contains("OLD.TXT"));
    jxsim::Bytes data;
    EXPECT_TRUE(sim->GetFile("NEW.TXT", data));
    EXPECT_TRUE(sim->GetFile("TAKEN.TXT", data));
    EXPECT_TRUE(std::filesystem::is_directory(local + "made"));
}

TEST_F(FileTransferWindow, ResetTellsTheOperatorAndClosesTheWindowAndTheLink)
{
    bool open = true;
    EXPECT_TRUE(WithWindow([&](CFileTransferDlg& w) {
        Click(w, "remoteReset");
        open = w.isVisible();
    }));
    EXPECT_FALSE(open);
    EXPECT_EQ(sim->ResetCount(), 1);
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{"The display has been reset and the connection will be "
                                                            "closed.\nWait until the boot sequence is complete before "
                                                            "reconnecting."});
}

TEST_F(FileTransferWindow, AbortInTheProgressWindowStopsTheDownloadBatchSilentlyAndOnlyIt)
{
    for (const char* name : {"ONE.BIN", "TWO.BIN", "THREE.BIN"}) ASSERT_TRUE(sim->PutFile(name, jxsim::Bytes(900, 'd')));
    const std::string local = Folder("local");
    app->saved.directory = local;
    std::atomic<bool> aborted{false};
    std::string cancelText;
    QStringList localAfter, remoteAfterRefresh;
    EXPECT_TRUE(WithWindow([&](CFileTransferDlg& w) {
        // The batch's first pause lasts until Abort was pressed.
        w.SetWaitFunction([&](int) {
            for (int i = 0; i < 20000 && !aborted.load(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
        auto* timer = new QTimer(&w);
        timer->setInterval(5);
        QObject::connect(timer, &QTimer::timeout, [&, timer] {
            auto* progress = qobject_cast<CCommProgressDialog*>(QApplication::activeModalWidget());
            if (progress == nullptr) return;
            timer->stop();
            Click(*progress, "abortButton");
            cancelText = progress->StatusText();
            aborted.store(true);
        });
        timer->start();
        Select(Find<QTreeView>(w, "remoteList"), {"ONE.BIN", "TWO.BIN", "THREE.BIN"});
        Click(w, "downloadButton");
        localAfter = Names(w.LocalModel());
        // The next job is not cancelled.
        sim->RemoveFile("TWO.BIN");
        Click(w, "remoteRefresh");
        remoteAfterRefresh = Names(w.RemoteModel());
    }));
    EXPECT_TRUE(aborted.load());
    EXPECT_EQ(cancelText, "Cancelling communications...");
    EXPECT_EQ(messages.Messages(), std::vector<std::string>{});
    EXPECT_TRUE(localAfter.isEmpty()) << localAfter.join(",").toStdString();
    EXPECT_FALSE(std::filesystem::exists(local + "ONE.BIN"));
    EXPECT_TRUE(remoteAfterRefresh.contains("ONE.BIN"));
    EXPECT_FALSE(remoteAfterRefresh.contains("TWO.BIN"));
}
