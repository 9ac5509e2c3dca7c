#include "CFileTransferDlg.h"

#include <QApplication>
#include <QEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelection>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <unordered_set>

#include "CFileListModel.h"
#include "CRenameFileDlg.h"
#include "connection/LinkOperation.h"
#include "connection/views/CCommProgressDialog.h"
#include "connection/views/CFolderDialog.h"
#include "connection/views/RunLinkOperation.h"
#include "filetransfer/FileTransferJobs.h"
#include "filetransfer/FileTransferLayout.h"
#include "filetransfer/LocalPane.h"
#include "shell/CJxConfigApp.h"
#include "shell/MessageBox.h"

namespace {
QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }
std::string Latin1(const QString& s) { return s.toLatin1().toStdString(); }

QRect Rect(const CLayoutRect& r) { return {r.x, r.y, r.width, r.height}; }

// The checks of a rename are the operator's to put right; anything else is
// the file system refusing.
JxMessageKind KindOfLocalMessage(const std::string& message)
{
    return message == kJxMustTypeName || message == kJxNameExists || message == kJxNameHasSeparator ||
                   message == kJxDirectoryNotFound
               ? JxMessageKind::Warning
               : JxMessageKind::Critical;
}

CLayoutSize Larger(CLayoutSize a, const QSize& b) { return {std::max(a.width, b.width()), std::max(a.height, b.height())}; }

// A button as wide as its text with a little room, as tall as the style
// wants: the style's own width has a floor meant for dialog rows, and eight
// of those do not fit under two lists of a 582-pixel window.
CLayoutSize CompactSize(const QPushButton* button)
{
    const QFontMetrics fm = button->fontMetrics();
    QString text = button->text();
    text.remove('&');
    return {fm.horizontalAdvance(text) + 2 * fm.averageCharWidth() + 6, button->sizeHint().height()};
}
}  // namespace

CFileTransferDlg::CFileTransferDlg(QWidget* parent, CJxConfigApp& app, CLinkOwner& owner, uint8_t address)
    : QDialog(parent), m_app(app), m_owner(owner), m_address(address)
{
    setObjectName("fileTransferDialog");
    setWindowTitle("File Transfer");
    setWindowFlags((windowFlags() & ~Qt::WindowContextHelpButtonHint) | Qt::WindowMinMaxButtonsHint);
    setSizeGripEnabled(true);
    setMinimumSize(kJxFileTransferMinWidth, kJxFileTransferMinHeight);

    // The panes are frames behind their controls: the controls are the
    // window's own children, placed by LayOut in window coordinates.
    m_localPane = new QGroupBox("Local System:", this);
    m_localPane->setObjectName("localPane");
    m_remotePane = new QGroupBox("Remote Display:", this);
    m_remotePane->setObjectName("remotePane");

    m_directoryLabel = new QLabel("Directory:", this);
    m_directoryLabel->setObjectName("directoryLabel");
    m_directory = new QLineEdit(this);
    m_directory->setObjectName("directoryEdit");
    m_directoryLabel->setBuddy(m_directory);
    m_browse = MakeButton("&Browse...", "browseButton");
    m_localModel = new CFileListModel(this);
    m_localList = MakeList(m_localModel, "localList");
    const char* const localTexts[4][2] = {
        {"Delete", "localDelete"}, {"Refresh", "localRefresh"}, {"Rename", "localRename"}, {"MkDir", "localMkDir"}};
    for (size_t i = 0; i < m_localButtons.size(); ++i) m_localButtons[i] = MakeButton(localTexts[i][0], localTexts[i][1]);

    m_upload = MakeButton(">>", "uploadButton");
    m_download = MakeButton("<<", "downloadButton");

    m_displayNameLabel = new QLabel("Display Name:", this);
    m_displayNameLabel->setObjectName("displayNameLabel");
    m_displayNameValue = new QLabel(this);
    m_displayNameValue->setObjectName("displayName");
    m_memory = new QLabel(this);
    m_memory->setObjectName("memoryLine");
    m_volatileMemory = new QLabel(this);
    m_volatileMemory->setObjectName("volatileMemoryLine");
    for (QLabel* l : {m_displayNameValue, m_memory, m_volatileMemory}) l->setTextFormat(Qt::PlainText);
    m_remoteModel = new CFileListModel(this);
    m_remoteList = MakeList(m_remoteModel, "remoteList");
    const char* const remoteTexts[4][2] = {
        {"Delete", "remoteDelete"}, {"Refresh", "remoteRefresh"}, {"Rename", "remoteRename"}, {"Reset", "remoteReset"}};
    for (size_t i = 0; i < m_remoteButtons.size(); ++i)
        m_remoteButtons[i] = MakeButton(remoteTexts[i][0], remoteTexts[i][1]);
    m_disconnect = MakeButton("&Disconnect", "disconnectButton");

    connect(m_browse, &QPushButton::clicked, this, &CFileTransferDlg::OnBrowse);
    connect(m_localButtons[0], &QPushButton::clicked, this, &CFileTransferDlg::OnLocalDelete);
    connect(m_localButtons[1], &QPushButton::clicked, this, &CFileTransferDlg::FillLocalList);
    connect(m_localButtons[2], &QPushButton::clicked, this, &CFileTransferDlg::OnLocalRename);
    connect(m_localButtons[3], &QPushButton::clicked, this, &CFileTransferDlg::OnMakeFolder);
    connect(m_upload, &QPushButton::clicked, this, &CFileTransferDlg::OnUpload);
    connect(m_download, &QPushButton::clicked, this, &CFileTransferDlg::OnDownload);
    connect(m_remoteButtons[0], &QPushButton::clicked, this, &CFileTransferDlg::OnRemoteDelete);
    connect(m_remoteButtons[1], &QPushButton::clicked, this, &CFileTransferDlg::OnRemoteRefresh);
    connect(m_remoteButtons[2], &QPushButton::clicked, this, &CFileTransferDlg::OnRemoteRename);
    connect(m_remoteButtons[3], &QPushButton::clicked, this, &CFileTransferDlg::OnRemoteReset);
    connect(m_disconnect, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_directory, &QLineEdit::returnPressed, this, &CFileTransferDlg::ApplyDirectoryField);
    m_directory->installEventFilter(this);
    // Queued: the editor has closed before a message about the name shows.
    connect(m_localModel, &CFileListModel::renameRequested, this, &CFileTransferDlg::OnLocalEdited,
            Qt::QueuedConnection);
    connect(m_remoteModel, &CFileListModel::renameRequested, this, &CFileTransferDlg::OnRemoteEdited,
            Qt::QueuedConnection);
    connect(m_localList->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { OnColumnClick(m_localList, m_localModel, m_localSort, column); });
    connect(m_remoteList->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { OnColumnClick(m_remoteList, m_remoteModel, m_remoteSort, column); });

    // Opening: nothing cancelled yet, the remote texts as they start, the
    // local folder listed; the controller's files once the window is up.
    m_owner.ClearCancel();
    ShowRemotePane(CRemotePaneState{});
    m_localFolder = JxInitialLocalFolder(m_app.saved.directory, m_app.folders.program);
    m_directory->setText(Latin1(m_localFolder));
    FillLocalList();
    resize(900, 600);
    LayOut();
    m_layoutReady = true;
    setWindowState(windowState() | Qt::WindowMaximized);
}

CFileTransferDlg::~CFileTransferDlg() = default;

QPushButton* CFileTransferDlg::MakeButton(const char* text, const char* name)
{
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    // No button of this window is pressed by Enter: Enter in the Directory
    // field applies the folder, Enter in a list edits nothing else.
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

QTreeView* CFileTransferDlg::MakeList(CFileListModel* model, const char* name)
{
    auto* list = new QTreeView(this);
    list->setObjectName(name);
    list->setModel(model);
    list->setRootIsDecorated(false);
    list->setItemsExpandable(false);
    list->setUniformRowHeights(true);  // a hundred thousand rows scroll without measuring each
    list->setAllColumnsShowFocus(true);
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    list->setSortingEnabled(false);  // the window sorts: "Time" is not a sort column
    QHeaderView* header = list->header();
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(kJxColumnName, Qt::AscendingOrder);
    list->setColumnWidth(kJxColumnName, kJxNameColumnInitial);
    list->setColumnWidth(kJxColumnSize, kJxSizeColumnInitial);
    list->setColumnWidth(kJxColumnTime, kJxTimeColumnInitial);
    return list;
}

// ---- layout ---------------------------------------------------------------------

void CFileTransferDlg::LayOut()
{
    CFileTransferLayoutInput in;
    in.clientWidth = width();
    in.clientHeight = height();
    const CLayoutSize upload = CompactSize(m_upload), download = CompactSize(m_download);
    in.arrowButton = {std::max(upload.width, download.width), std::max(upload.height, download.height)};
    CLayoutSize pane{};
    for (QPushButton* b : m_localButtons) pane = Larger(pane, {CompactSize(b).width, CompactSize(b).height});
    for (QPushButton* b : m_remoteButtons) pane = Larger(pane, {CompactSize(b).width, CompactSize(b).height});
    // Four buttons side by side under the list, however narrow the window.
    const int list = (std::max(width(), kJxFileTransferMinWidth) - 4 * kJxFileTransferMargin - in.arrowButton.width) / 2 -
                     2 * kJxFileTransferMargin;
    pane.width = std::min(pane.width, (list - 3 * kJxFileTransferMargin) / 4);
    in.paneButton = pane;
    in.disconnectButton = Larger({}, m_disconnect->sizeHint());
    in.browseButton = Larger({}, m_browse->sizeHint());
    in.groupTitleHeight = fontMetrics().height();
    in.lineHeight = std::max({m_directory->sizeHint().height(), m_browse->sizeHint().height(),
                              m_memory->sizeHint().height()});
    in.directoryLabelWidth = m_directoryLabel->sizeHint().width();
    in.displayNameLabelWidth = m_displayNameLabel->sizeHint().width();

    const CFileTransferLayout l = LayOutFileTransfer(in);
    m_localPane->setGeometry(Rect(l.localPane));
    m_directoryLabel->setGeometry(Rect(l.directoryLabel));
    m_directory->setGeometry(Rect(l.directoryEdit));
    m_browse->setGeometry(Rect(l.browseButton));
    m_localList->setGeometry(Rect(l.localList));
    for (size_t i = 0; i < m_localButtons.size(); ++i) m_localButtons[i]->setGeometry(Rect(l.localButtons[i]));
    m_upload->setGeometry(Rect(l.uploadButton));
    m_download->setGeometry(Rect(l.downloadButton));
    m_remotePane->setGeometry(Rect(l.remotePane));
    m_displayNameLabel->setGeometry(Rect(l.displayNameLabel));
    m_displayNameValue->setGeometry(Rect(l.displayNameValue));
    m_memory->setGeometry(Rect(l.memoryLine));
    m_volatileMemory->setGeometry(Rect(l.volatileMemoryLine));
    m_remoteList->setGeometry(Rect(l.remoteList));
    for (size_t i = 0; i < m_remoteButtons.size(); ++i) m_remoteButtons[i]->setGeometry(Rect(l.remoteButtons[i]));
    m_disconnect->setGeometry(Rect(l.disconnectButton));
    for (QTreeView* list : {m_localList, m_remoteList})
        for (int c = 0; c < 3; ++c) list->setColumnWidth(c, l.columnWidths[static_cast<size_t>(c)]);
}

void CFileTransferDlg::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    if (m_layoutReady) LayOut();
}

void CFileTransferDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_opened) return;
    m_opened = true;
    // Once the window is up, so that the progress window sits in front of it.
    QTimer::singleShot(0, this, &CFileTransferDlg::OnRemoteRefresh);
}

void CFileTransferDlg::done(int result)
{
    // A job's progress window is modal: nothing closes the window under it.
    if (m_jobRunning) return;
    m_app.saved.directory = m_localFolder;
    QDialog::done(result);
}

// ---- local pane -----------------------------------------------------------------

void CFileTransferDlg::ShowLocalPane(const CLocalPaneState& pane)
{
    m_localFolder = pane.folder;
    m_localModel->SetRows(pane.rows, m_localSort);
    if (!pane.message.empty()) JxShowMessage(KindOfLocalMessage(pane.message), pane.message);
}

void CFileTransferDlg::FillLocalList() { ShowLocalPane(RefreshLocalList(m_localFolder, m_localSort)); }

void CFileTransferDlg::ApplyDirectoryField() { ShowLocalPane(ApplyLocalFolder(Latin1(m_directory->text()), m_localSort)); }

bool CFileTransferDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_directory && event->type() == QEvent::FocusOut &&
        DirectoryFieldLeaveApplies(Latin1(m_directory->text()), m_localFolder)) {
        ApplyDirectoryField();
    }
    return QDialog::eventFilter(watched, event);
}

void CFileTransferDlg::OnBrowse()
{
    CFolderDialog picker(kJxSelectFolderTitle, Latin1(m_localFolder), this, kJxBrowseFileSystemOnly | kJxBrowseEditBox);
    if (picker.ChooseFolder() != CFolderDialog::kOk) return;
    m_localFolder = JxWithFinalSeparator(Latin1(picker.Path()));
    m_directory->setText(Latin1(m_localFolder));
    FillLocalList();
}

void CFileTransferDlg::ShowLocalResult(const CLocalOperationResult& result)
{
    if (!result.message.empty()) JxShowMessage(KindOfLocalMessage(result.message), result.message);
    if (result.refill) FillLocalList();
}

void CFileTransferDlg::OnLocalDelete()
{
    const std::vector<std::string> selection = SelectedNames(m_localList);
    if (selection.empty()) return;
    ShowLocalResult(DeleteLocalFiles(m_localFolder, selection));
}

void CFileTransferDlg::OnLocalRename()
{
    const std::vector<std::string> selection = SelectedNames(m_localList);
    if (selection.empty()) return;
    ShowLocalResult(RenameLocalFiles(m_localFolder, selection,
                                     [this](const CRenameFileRequest& r) { return CRenameFileDlg::Ask(this, r); }));
}

void CFileTransferDlg::OnMakeFolder()
{
    const std::optional<std::string> name = CRenameFileDlg::Ask(this, CRenameFileRequest::NewFolder(m_localFolder));
    if (!name) return;
    ShowLocalResult(MakeLocalFolder(m_localFolder, *name));
}

void CFileTransferDlg::OnLocalEdited(int row, const QString& oldName, const QString& text)
{
    // The list may have been filled again since the edit ended.
    if (row >= m_localModel->rowCount() || Latin1(m_localModel->At(row).name) != oldName) return;
    const CLocalInPlaceRename result = RenameLocalInPlace(m_localFolder, Latin1(oldName), Latin1(text));
    if (result.renamed) m_localModel->SetName(row, Latin1(text));
    if (!result.message.empty()) JxShowMessage(KindOfLocalMessage(result.message), result.message);
}

// ---- remote pane ----------------------------------------------------------------

void CFileTransferDlg::RunJob(const Job& job)
{
    if (m_jobRunning) return;
    m_jobRunning = true;
    CFileTransferOutcome outcome;
    CLinkOwner& owner = m_owner;
    const uint8_t address = m_address;
    const std::function<void(int)> wait = m_wait;
    RunLinkOperation(this, owner, [&, this] {
        // On the job's worker: the progress window is the operation's, every
        // box and the Rename File window are queued to the window thread.
        CFileTransferReport report(owner.ProgressView(), owner.CancelFlag(),
                                   [this](const CRenameFileRequest& r) { return CRenameFileDlg::Ask(this, r); });
        const CFileTransferJob context{owner.Link(), address, owner.CancelFlag(), report, wait};
        outcome = job(context);
        return true;
    });
    m_jobRunning = false;
    ApplyOutcome(outcome);
}

void CFileTransferDlg::ApplyOutcome(const CFileTransferOutcome& outcome)
{
    if (outcome.remoteFilled) ShowRemotePane(outcome.remote);
    if (outcome.refillLocalList) FillLocalList();
}

void CFileTransferDlg::ShowRemotePane(const CRemotePaneState& pane)
{
    m_displayName = pane.displayName;
    m_memoryLine = pane.memoryLine;
    m_volatileMemoryLine = pane.volatileMemoryLine;
    // A narrow window cuts the lines off at the pane: the whole text on hover.
    const std::pair<QLabel*, const std::string*> lines[] = {
        {m_displayNameValue, &m_displayName}, {m_memory, &m_memoryLine}, {m_volatileMemory, &m_volatileMemoryLine}};
    for (const auto& [label, text] : lines) {
        label->setText(Latin1(*text));
        label->setToolTip(Latin1(*text));
    }
    m_remoteModel->SetRows(pane.rows, m_remoteSort);
}

CRemotePaneState CFileTransferDlg::ShownRemotePane() const
{
    CRemotePaneState pane;
    pane.rows = m_remoteModel->Rows();
    pane.displayName = m_displayName;
    pane.memoryLine = m_memoryLine;
    pane.volatileMemoryLine = m_volatileMemoryLine;
    return pane;
}

void CFileTransferDlg::OnUpload()
{
    const std::vector<std::string> selection = SelectedNames(m_localList);
    if (selection.empty()) return;
    RunJob([folder = m_localFolder, selection, shown = ShownRemotePane(), sort = m_remoteSort](const CFileTransferJob& j) {
        return UploadFiles(j, folder, selection, shown, sort);
    });
}

void CFileTransferDlg::OnDownload()
{
    const std::vector<std::string> selection = SelectedNames(m_remoteList);
    if (selection.empty()) return;
    RunJob([folder = m_localFolder, selection](const CFileTransferJob& j) { return DownloadFiles(j, folder, selection); });
}

void CFileTransferDlg::OnRemoteRefresh()
{
    RunJob([shown = ShownRemotePane(), sort = m_remoteSort](const CFileTransferJob& j) {
        return RefreshRemoteList(j, shown, sort);
    });
}

void CFileTransferDlg::OnRemoteDelete()
{
    const std::vector<std::string> selection = SelectedNames(m_remoteList);
    if (selection.empty()) return;
    RunJob([selection, shown = ShownRemotePane(), sort = m_remoteSort](const CFileTransferJob& j) {
        return DeleteRemoteFiles(j, selection, shown, sort);
    });
}

void CFileTransferDlg::OnRemoteRename()
{
    const std::vector<std::string> selection = SelectedNames(m_remoteList);
    if (selection.empty()) return;
    RunJob([selection, known = m_remoteModel->Names(), shown = ShownRemotePane(),
            sort = m_remoteSort](const CFileTransferJob& j) { return RenameRemoteFiles(j, selection, known, shown, sort); });
}

void CFileTransferDlg::OnRemoteReset()
{
    if (m_jobRunning) return;
    // A short exchange on the window thread: no progress window.
    const CResetOutcome reset = ResetDisplay(m_owner.Link(), m_address, m_app.resetOption);
    m_owner.ClearCancel();
    JxShowMessage(reset.kind, reset.message);
    if (reset.done) reject();
}

void CFileTransferDlg::OnRemoteEdited(int row, const QString& oldName, const QString& text)
{
    if (m_jobRunning) return;
    if (row >= m_remoteModel->rowCount() || Latin1(m_remoteModel->At(row).name) != oldName) return;
    const std::string oldText = Latin1(oldName), newText = Latin1(text);
    const CInPlaceRenameCheck check = CheckRemoteInPlaceRename(oldText, newText, m_remoteModel->Names());
    if (!check.proceed) {
        if (!check.message.empty()) JxShowMessage(JxMessageKind::Warning, check.message);
        return;
    }
    CLinkStepResult renamed;
    {
        CCommProgressDialog progress(this, &m_owner);
        progress.SetStatusText(kJxRenamingFile);
        progress.ShowModeless();
        renamed = RenameRemoteFile(m_owner.Link(), m_address, oldText, newText);
        progress.CloseModeless();
    }
    m_owner.ClearCancel();
    if (!renamed.ok) {
        JxShowMessage(JxMessageKind::Critical, renamed.message);
        return;
    }
    m_remoteModel->SetName(row, newText);
}

// ---- both lists -----------------------------------------------------------------

std::vector<std::string> CFileTransferDlg::SelectedNames(QTreeView* list) const
{
    auto* model = static_cast<CFileListModel*>(list->model());
    QModelIndexList rows = list->selectionModel()->selectedRows(kJxColumnName);
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    std::vector<std::string> names;
    names.reserve(static_cast<size_t>(rows.size()));
    for (const QModelIndex& index : rows) names.push_back(model->At(index.row()).name);
    return names;
}

void CFileTransferDlg::OnColumnClick(QTreeView* list, CFileListModel* model, CListSortState& sort, int column)
{
    const CListSortState before = sort;
    sort.OnColumnClick(column);
    if (sort.column == before.column && sort.ascending == before.ascending) {
        // "Time": the header put its arrow there all the same.
        ShowSortIndicator(list, sort);
        return;
    }
    // The rows move; the same files stay selected.
    const std::vector<std::string> selected = SelectedNames(list);
    const std::unordered_set<std::string> names(selected.begin(), selected.end());
    model->Sort(sort);
    QItemSelection selection;
    int first = -1;
    for (int row = 0; row <= model->rowCount(); ++row) {
        const bool in = row < model->rowCount() && names.count(model->At(row).name) != 0;
        if (in && first < 0) first = row;
        if (!in && first >= 0) {
            selection.select(model->index(first, 0), model->index(row - 1, 2));
            first = -1;
        }
    }
    list->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    ShowSortIndicator(list, sort);
}

void CFileTransferDlg::ShowSortIndicator(QTreeView* list, const CListSortState& sort)
{
    list->header()->setSortIndicator(sort.column, sort.ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}
