#include "CMainWindow.h"

#include <QAction>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "CAboutDlg.h"
#include "JxProgramIcon.h"
#include "connection/ConnectionSequence.h"
#include "connection/views/CConnectDlg.h"
#include "connection/views/RunLinkOperation.h"
#include "monitor/views/CLinkMonitorWnd.h"
#include "shell/CJxConfigApp.h"
#include "shell/JxPaths.h"
#include "shell/MessageBox.h"
#include "shell/StatusText.h"

namespace {
struct FunctionTexts {
    const char* button;
    const char* menu;
    const char* name;  // object names: <name>Button, <name>Action
};
// In the order of JxMainFunction.
constexpr FunctionTexts kTexts[kJxMainFunctionCount] = {
    {"&Set Configuration", "&Set Configuration", "setConfiguration"},
    {"Download &Firmware", "Download &Firmware", "downloadFirmware"},
    {"Set Clock &Mode", "Set Clock &Mode", "setClockMode"},
    {"Set Software &Address", "Set Software &Address", "setSoftwareAddress"},
    {"Jx File &Transfer", "Jx File &Transfer", "fileTransfer"},
    {"TCP/IP &Configuration", "TCP/IP Configuration", "tcpIpConfiguration"},
};
// Order of the "&File" menu.
constexpr JxMainFunction kMenuOrder[kJxMainFunctionCount] = {
    JxMainFunction::DownloadFirmware,   JxMainFunction::SetClockMode, JxMainFunction::SetConfiguration,
    JxMainFunction::SetSoftwareAddress, JxMainFunction::FileTransfer, JxMainFunction::TcpIpConfiguration,
};

int Index(JxMainFunction f) { return static_cast<int>(f); }
}  // namespace

CMainWindow::CMainWindow(CJxConfigApp& app, std::string programVersion, QWidget* parent)
    : QMainWindow(parent), m_app(app), m_version(std::move(programVersion))
{
    setObjectName("mainWindow");
    setWindowTitle(kJxMainTitle);
    setWindowIcon(JxProgramIcon());

    auto* central = new QWidget(this);
    auto* icon = new QLabel(central);
    icon->setObjectName("warningIcon");
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
    auto* warning = new QLabel(kJxMainWarning, central);
    warning->setObjectName("warningText");
    warning->setWordWrap(true);

    auto* frame = new QGroupBox(central);
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < kJxMainFunctionCount; ++i) {
        auto* button = new QPushButton(kTexts[i].button, frame);
        button->setObjectName(QString(kTexts[i].name) + "Button");
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, i] { RunFunction(static_cast<JxMainFunction>(i)); });
        grid->addWidget(button, i / 2, i % 2);
        m_buttons[i] = button;
    }

    auto* top = new QHBoxLayout;
    top->addWidget(icon, 0, Qt::AlignTop);
    top->addWidget(warning, 1);
    auto* layout = new QVBoxLayout(central);
    layout->addLayout(top);
    layout->addWidget(frame);
    setCentralWidget(central);
    central->setMinimumWidth(central->fontMetrics().averageCharWidth() * 64);

    QMenu* file = menuBar()->addMenu("&File");
    file->setObjectName("fileMenu");
    for (JxMainFunction f : kMenuOrder) {
        const int i = Index(f);
        QAction* action = file->addAction(kTexts[i].menu);
        action->setObjectName(QString(kTexts[i].name) + "Action");
        connect(action, &QAction::triggered, this, [this, f] { RunFunction(f); });
        m_actions[i] = action;
    }
    file->addSeparator();
    QAction* exit = file->addAction("E&xit");
    exit->setObjectName("exitAction");
    connect(exit, &QAction::triggered, this, &QWidget::close);
    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("viewMenu");
    QAction* monitor = view->addAction("&Link Monitor");
    monitor->setObjectName("linkMonitorAction");
    connect(monitor, &QAction::triggered, this, &CMainWindow::ShowLinkMonitor);
    // No system menu to add "&About JxConfig..." to here: "&Help" leads there.
    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("helpMenu");
    QAction* about = help->addAction("&About");
    about->setObjectName("aboutAction");
    connect(about, &QAction::triggered, this, &CMainWindow::ShowAbout);

    // A new window starts with no progress window and nothing cancelled;
    // the link's events object is registered by the owner.
    m_owner.SetProgressView(nullptr);
    m_owner.ClearCancel();
    UpdateEnabled();
}

CMainWindow::~CMainWindow()
{
    // The monitor watches the owner's link: it goes before the link does,
    // not later with the window's other children.
    delete m_monitor;
}

void CMainWindow::SetFunction(JxMainFunction which, Function function)
{
    m_functions[Index(which)] = std::move(function);
    UpdateEnabled();
}

void CMainWindow::UpdateEnabled()
{
    for (int i = 0; i < kJxMainFunctionCount; ++i) {
        const bool present = static_cast<bool>(m_functions[i]);
        m_actions[i]->setEnabled(present);
        m_buttons[i]->setEnabled(present);
    }
    // Without the catalogue a configuration cannot be edited; the menu
    // entry stays as it is.
    if (!m_app.catalogueLoaded) m_buttons[Index(JxMainFunction::SetConfiguration)]->setEnabled(false);
}

void CMainWindow::RunFunction(JxMainFunction which)
{
    if (const Function& f = m_functions[Index(which)]) f(*this);
}

void CMainWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_opened) return;
    m_opened = true;
    if (!m_app.catalogueLoaded) {
        // Once the window is on screen, so that the box has a window to sit on.
        QTimer::singleShot(0, this, [this] {
            JxShowMessage(JxMessageKind::Critical, FormatName(kJxCatalogueFailed, m_app.documents.catalogue));
        });
    }
}

bool CMainWindow::RunConfigurationExchange(const std::function<void()>& exchange)
{
    CConnectDlg connect(this, m_app, &m_owner);
    if (connect.exec() != QDialog::Accepted) return false;
    m_connectionKind = connect.ConnectionKind();
    m_displayAddress = connect.DisplayAddress();

    exchange();

    JxDisconnect(m_owner, [this](const std::function<bool()>& work) { return RunLinkOperation(this, m_owner, work); });
    return true;
}

CLinkMonitorWnd* CMainWindow::ShowLinkMonitor()
{
    // One monitor per main window, kept when closed so that it still holds
    // its frames when opened again.
    if (m_monitor == nullptr) m_monitor = new CLinkMonitorWnd(m_owner.Link(), &m_app, this);
    m_monitor->show();
    m_monitor->raise();
    m_monitor->activateWindow();
    return m_monitor;
}

void CMainWindow::ShowAbout()
{
    const std::string& name = m_app.documents.catalogue;
    CAboutDlg about(this, m_version, JxJoinPath(JxShippedDataFolder(name), name));
    about.exec();
}
