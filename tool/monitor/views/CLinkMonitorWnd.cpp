#include "CLinkMonitorWnd.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <fstream>

#include "CFrameTableModel.h"
#include "connection/views/CFolderDialog.h"
#include "shell/CJxConfigApp.h"
#include "shell/MessageBox.h"

CLinkMonitorWnd::CLinkMonitorWnd(CKorNetwork& link, CJxConfigApp* app, QWidget* parent)
    : QWidget(parent, Qt::Window), m_link(link), m_app(app)
{
    setWindowTitle("Link Monitor");
    setObjectName("linkMonitor");

    m_model = new CFrameTableModel(this);
    m_filter = new CFrameFilter(this);
    m_filter->setSourceModel(m_model);

    m_address = new QLineEdit(this);
    m_address->setObjectName("addressFilter");
    m_address->setPlaceholderText("all");
    m_address->setMaximumWidth(m_address->fontMetrics().averageCharWidth() * 8);
    m_command = new QLineEdit(this);
    m_command->setObjectName("commandFilter");
    m_command->setPlaceholderText("all");
    m_pause = new QPushButton("&Pause", this);
    m_pause->setObjectName("pauseButton");
    m_pause->setCheckable(true);
    auto* clear = new QPushButton("&Clear", this);
    clear->setObjectName("clearButton");
    auto* save = new QPushButton("Save &As...", this);
    save->setObjectName("saveAsButton");

    auto* bar = new QHBoxLayout;
    auto* addressLabel = new QLabel("A&ddress:", this);
    addressLabel->setBuddy(m_address);
    auto* commandLabel = new QLabel("Co&mmand:", this);
    commandLabel->setBuddy(m_command);
    bar->addWidget(addressLabel);
    bar->addWidget(m_address);
    bar->addWidget(commandLabel);
    bar->addWidget(m_command, 1);
    bar->addWidget(m_pause);
    bar->addWidget(clear);
    bar->addWidget(save);

    m_table = new QTableView(this);
    m_table->setObjectName("frameTable");
    m_table->setModel(m_filter);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().height() + 4);
    m_table->horizontalHeader()->setStretchLastSection(false);
    m_table->horizontalHeader()->setSectionResizeMode(CFrameTableModel::kSummary, QHeaderView::Stretch);
    const int ch = m_table->fontMetrics().averageCharWidth();
    const int widths[] = {10, 15, 8, 4, 22, 0, 28};
    for (int c = 0; c < CFrameTableModel::kColumnCount; ++c)
        if (widths[c] > 0) m_table->setColumnWidth(c, widths[c] * ch + 12);

    m_detail = new QPlainTextEdit(this);
    m_detail->setObjectName("frameDetail");
    m_detail->setReadOnly(true);
    m_detail->setFont(QFont("monospace"));
    m_detail->setLineWrapMode(QPlainTextEdit::NoWrap);

    auto* split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_table);
    split->addWidget(m_detail);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(split, 1);
    if (m_app != nullptr) {
        const CDiagnosticsChoice choice = m_app->Diagnostics();
        m_diagnostics = new QCheckBox("Diagnostics &log", this);
        m_diagnostics->setObjectName("diagnosticsLog");
        m_diagnostics->setChecked(choice.enabled);
        m_diagnostics->setToolTip("Every attempt of every exchange of the tool's links, appended to one file per link");
        m_diagnosticsFolder = new QLineEdit(
            QString::fromStdString(choice.folder.empty() ? m_app->DefaultDiagnosticsFolder() : choice.folder), this);
        m_diagnosticsFolder->setObjectName("diagnosticsFolder");
        auto* folderLabel = new QLabel("&Folder:", this);
        folderLabel->setBuddy(m_diagnosticsFolder);
        auto* browse = new QPushButton("&Browse...", this);
        browse->setObjectName("diagnosticsBrowse");
        auto* logRow = new QHBoxLayout;
        logRow->addWidget(m_diagnostics);
        logRow->addWidget(folderLabel);
        logRow->addWidget(m_diagnosticsFolder, 1);
        logRow->addWidget(browse);
        layout->addLayout(logRow);
        connect(m_diagnostics, &QCheckBox::clicked, this, &CLinkMonitorWnd::ApplyDiagnostics);
        connect(m_diagnosticsFolder, &QLineEdit::editingFinished, this, [this] {
            if (m_diagnostics->isChecked()) ApplyDiagnostics(true);
        });
        connect(browse, &QPushButton::clicked, this, &CLinkMonitorWnd::BrowseDiagnosticsFolder);
    }
    resize(sizeHint());

    m_timer = new QTimer(this);
    m_timer->setInterval(kJxMonitorDrainMs);
    connect(m_timer, &QTimer::timeout, this, &CLinkMonitorWnd::Drain);
    connect(m_address, &QLineEdit::textChanged, this, &CLinkMonitorWnd::ApplyFilter);
    connect(m_command, &QLineEdit::textChanged, this, &CLinkMonitorWnd::ApplyFilter);
    connect(m_pause, &QPushButton::toggled, this, [this](bool on) { m_capture.SetPaused(on); });
    connect(clear, &QPushButton::clicked, this, [this] {
        (void)m_capture.TakePending();
        m_model->Clear();
        m_detail->clear();
    });
    connect(save, &QPushButton::clicked, this, &CLinkMonitorWnd::SaveAs);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &CLinkMonitorWnd::ShowSelected);
}

QSize CLinkMonitorWnd::sizeHint() const
{
    // Room for every column and a screenful of frames.
    return {m_table->fontMetrics().averageCharWidth() * 150, m_table->fontMetrics().height() * 40};
}

CLinkMonitorWnd::~CLinkMonitorWnd()
{
    if (m_link.FrameObserver() == &m_capture) m_link.SetFrameObserver(nullptr);
}

void CLinkMonitorWnd::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    m_link.SetFrameObserver(&m_capture);
    m_timer->start();
}

void CLinkMonitorWnd::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // The capture object stays alive with the window, so a frame of a call
    // that is still running may land in it harmlessly.
    if (m_link.FrameObserver() == &m_capture) m_link.SetFrameObserver(nullptr);
    m_timer->stop();
    Drain();
}

void CLinkMonitorWnd::Drain()
{
    std::vector<CCapturedFrame> frames = m_capture.TakePending();
    if (frames.empty()) return;
    QScrollBar* bar = m_table->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    m_model->Append(std::move(frames));
    if (atEnd) m_table->scrollToBottom();
}

void CLinkMonitorWnd::ApplyDiagnostics(bool on)
{
    const std::string error = m_app->SetDiagnostics(on, m_diagnosticsFolder->text().trimmed().toStdString());
    if (!error.empty()) {
        m_diagnostics->setChecked(m_app->Diagnostics().enabled);
        JxShowMessage(JxMessageKind::Critical, error);
        return;
    }
    m_diagnosticsFolder->setText(QString::fromStdString(m_app->Diagnostics().folder));
    m_app->ApplyDiagnostics(m_link);
}

void CLinkMonitorWnd::BrowseDiagnosticsFolder()
{
    CFolderDialog picker("Select A Folder", m_diagnosticsFolder->text(), this, kJxBrowseFileSystemOnly | kJxBrowseEditBox);
    if (picker.ChooseFolder() != CFolderDialog::kOk) return;
    m_diagnosticsFolder->setText(picker.Path());
    if (m_diagnostics->isChecked()) ApplyDiagnostics(true);
}

void CLinkMonitorWnd::ApplyFilter()
{
    bool ok = false;
    const int address = m_address->text().trimmed().toInt(&ok);
    m_filter->SetFilter(ok && address >= 0 && address <= 255 ? address : -1, m_command->text());
}

void CLinkMonitorWnd::ShowSelected()
{
    const QModelIndex index = m_filter->mapToSource(m_table->currentIndex());
    if (!index.isValid()) {
        m_detail->clear();
        return;
    }
    const CFrameTableModel::Row& r = m_model->At(index.row());
    const CDecodedFrame& d = r.decoded;
    const auto& b = r.frame.bytes;
    std::string text = d.summary + "\n";
    if (r.frame.direction != KorNetFrameDirection::Stray && !b.empty() && b[0] == 0x55) {
        text += "Address: " + std::to_string(d.address) + (d.broadcast ? " (broadcast)" : "") + "\n";
        text += "Sequence: " + std::to_string(d.sequence) + "\n";
        text += "Frame type: " + std::to_string(d.frameType) + " (" + d.typeName + ")\n";
        if (d.command >= 0) text += "Command: " + d.commandName + "\n";
        if (!d.fileName.empty()) text += "File name: " + d.fileName + "\n";
        if (d.block >= 0) text += "Block: " + std::to_string(d.block) + "\n";
        if (d.errorByte >= 0) text += "Error byte: " + std::to_string(d.errorByte) + " (" + d.errorText + ")\n";
        text += std::string("Checksum: ") + (!d.complete ? "frame incomplete" : d.checksumOk ? "good" : "bad") + "\n";
    }
    text += "Attempt: " + std::to_string(r.frame.attempt) + "\n";
    text += std::string("Status: ") + KorNetStatusName(r.frame.status) + "\n";
    text += "\n";
    for (size_t at = 0; at < b.size(); at += 16)
        text += HexBytes(b.data() + at, std::min<size_t>(16, b.size() - at)) + "\n";
    m_detail->setPlainText(QString::fromLatin1(text));
}

bool CLinkMonitorWnd::SaveLog(const std::string& path) const
{
    std::vector<CCapturedFrame> frames;
    frames.reserve(m_model->Rows().size());
    for (const CFrameTableModel::Row& r : m_model->Rows()) frames.push_back(r.frame);
    const std::string text = DiagnosticsLogText(frames);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

void CLinkMonitorWnd::SaveAs()
{
    Drain();
    const QString path = QFileDialog::getSaveFileName(this, "Save As", "kornet.log", "Log files (*.log);;All files (*)");
    if (path.isEmpty()) return;
    if (!SaveLog(path.toStdString()))
        JxShowMessage(JxMessageKind::Critical, "Unable to write " + path.toStdString() + ".");
}
