// The "File Transfer" window: the local folder ("Local System:") on the
// left, the controller's files, name and memory ("Remote Display:") on the
// right, ">>" and "<<" between them. It runs on the window thread over the
// link of its connection window; each remote job runs on a worker under the
// "Communication Progress" window (RunLinkOperation), the rules and jobs
// themselves are in the filetransfer folder. Every way out ("&Disconnect",
// the close box, Escape) remembers the local folder.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "filetransfer/RemotePane.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;
class CFileListModel;
class CJxConfigApp;
class CLinkOwner;
struct CFileTransferJob;
struct CFileTransferOutcome;
struct CLocalOperationResult;
struct CLocalPaneState;

class CFileTransferDlg : public QDialog {
    Q_OBJECT
public:
    // `owner`'s link is connected to the display at `address`; the window
    // uses it and leaves it connected.
    CFileTransferDlg(QWidget* parent, CJxConfigApp& app, CLinkOwner& owner, uint8_t address);
    ~CFileTransferDlg() override;

    const std::string& LocalFolder() const { return m_localFolder; }
    const CListSortState& LocalSort() const { return m_localSort; }
    const CListSortState& RemoteSort() const { return m_remoteSort; }
    CFileListModel& LocalModel() { return *m_localModel; }
    CFileListModel& RemoteModel() { return *m_remoteModel; }
    // A remote job is running (its progress window is up).
    bool JobRunning() const { return m_jobRunning; }
    // Tests shorten the download batch's first wait; empty: the real one.
    void SetWaitFunction(std::function<void(int)> wait) { m_wait = std::move(wait); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeView* MakeList(CFileListModel* model, const char* name);
    QPushButton* MakeButton(const char* text, const char* name);
    void LayOut();

    // local pane
    void FillLocalList();
    void ShowLocalPane(const CLocalPaneState& pane);
    void ApplyDirectoryField();
    void OnBrowse();
    void OnLocalDelete();
    void OnLocalRename();
    void OnMakeFolder();
    void OnLocalEdited(int row, const QString& oldName, const QString& text);
    void ShowLocalResult(const CLocalOperationResult& result);

    // remote pane
    using Job = std::function<CFileTransferOutcome(const CFileTransferJob&)>;
    void RunJob(const Job& job);
    void ApplyOutcome(const CFileTransferOutcome& outcome);
    void ShowRemotePane(const CRemotePaneState& pane);
    CRemotePaneState ShownRemotePane() const;
    void OnUpload();
    void OnDownload();
    void OnRemoteRefresh();
    void OnRemoteDelete();
    void OnRemoteRename();
    void OnRemoteReset();
    void OnRemoteEdited(int row, const QString& oldName, const QString& text);

    // both lists
    std::vector<std::string> SelectedNames(QTreeView* list) const;
    void OnColumnClick(QTreeView* list, CFileListModel* model, CListSortState& sort, int column);
    void ShowSortIndicator(QTreeView* list, const CListSortState& sort);

    CJxConfigApp& m_app;
    CLinkOwner& m_owner;
    uint8_t m_address;
    std::function<void(int)> m_wait;
    std::string m_localFolder;
    CListSortState m_localSort;
    CListSortState m_remoteSort;
    std::string m_displayName = kJxDisplayNameInitial;
    std::string m_memoryLine = kJxMemoryInitial;
    std::string m_volatileMemoryLine = kJxVolatileMemoryInitial;
    bool m_layoutReady = false;
    bool m_opened = false;
    bool m_jobRunning = false;

    CFileListModel* m_localModel;
    CFileListModel* m_remoteModel;
    QGroupBox* m_localPane;
    QLabel* m_directoryLabel;
    QLineEdit* m_directory;
    QPushButton* m_browse;
    QTreeView* m_localList;
    std::array<QPushButton*, 4> m_localButtons{};
    QPushButton* m_upload;
    QPushButton* m_download;
    QGroupBox* m_remotePane;
    QLabel* m_displayNameLabel;
    QLabel* m_displayNameValue;
    QLabel* m_memory;
    QLabel* m_volatileMemory;
    QTreeView* m_remoteList;
    std::array<QPushButton*, 4> m_remoteButtons{};
    QPushButton* m_disconnect;
};
