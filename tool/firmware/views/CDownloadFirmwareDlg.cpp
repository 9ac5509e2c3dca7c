#include "CDownloadFirmwareDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "connection/views/CCommunicationsGroup.h"
#include "connection/views/RunLinkOperation.h"
#include "firmware/DownloadFirmwareRules.h"
#include "shell/CJxConfigApp.h"

namespace {
QString Latin1(const std::string& s) { return QString::fromLatin1(s.c_str()); }
std::string Latin1(const QString& s) { return s.toLatin1().toStdString(); }
}  // namespace

CDownloadFirmwareDlg::CDownloadFirmwareDlg(QWidget* parent, CJxConfigApp& app) : QDialog(parent), m_app(app)
{
    setObjectName("downloadFirmwareDialog");
    setWindowTitle("Download Firmware");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    m_firmware = new QLineEdit(this);
    m_firmware->setObjectName("firmwareFile");
    auto* browseFirmware = new QPushButton("&Browse...", this);
    browseFirmware->setObjectName("browseFirmware");
    browseFirmware->setAutoDefault(false);
    m_driver = new QLineEdit(this);
    m_driver->setObjectName("driverFile");
    auto* browseDriver = new QPushButton("B&rowse...", this);
    browseDriver->setObjectName("browseDriver");
    browseDriver->setAutoDefault(false);
    connect(browseFirmware, &QPushButton::clicked, this, [this] { Browse(JxImageKind::Firmware); });
    connect(browseDriver, &QPushButton::clicked, this, [this] { Browse(JxImageKind::Driver); });

    auto* files = new QGridLayout;
    auto* firmwareLabel = new QLabel("Firmware File:", this);
    firmwareLabel->setBuddy(m_firmware);
    auto* driverLabel = new QLabel("Driver File:", this);
    driverLabel->setBuddy(m_driver);
    files->addWidget(firmwareLabel, 0, 0);
    files->addWidget(m_firmware, 0, 1);
    files->addWidget(browseFirmware, 0, 2);
    files->addWidget(driverLabel, 1, 0);
    files->addWidget(m_driver, 1, 1);
    files->addWidget(browseDriver, 1, 2);
    files->setColumnStretch(1, 1);

    m_group = new CCommunicationsGroup(this);
    m_highSpeed = new QCheckBox("Enable high speed download (Direct connection only)", this);
    m_highSpeed->setObjectName("highSpeed");

    m_download = new QPushButton("&Download Firmware", this);
    m_download->setObjectName("downloadButton");
    m_download->setDefault(true);
    m_close = new QPushButton("&Close", this);
    m_close->setObjectName("closeButton");
    m_close->setAutoDefault(false);
    connect(m_download, &QPushButton::clicked, this, &CDownloadFirmwareDlg::OnDownload);
    connect(m_close, &QPushButton::clicked, this, &QDialog::accept);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_download);
    buttons->addWidget(m_close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(files);
    layout->addWidget(m_group);
    layout->addWidget(m_highSpeed);
    layout->addLayout(buttons);
    setMinimumWidth(fontMetrics().averageCharWidth() * 72);

    // The group keeps its list to itself; the box follows the kind shown.
    if (auto* kinds = m_group->findChild<QComboBox*>("connectionList"))
        connect(kinds, &QComboBox::currentIndexChanged, this, [this] { OnKindChanged(m_group->Kind()); });

    const CFirmwareDownloadRequest saved = LoadFirmwareDownloadChoice(m_app);
    m_firmware->setText(Latin1(saved.firmwarePath));
    m_driver->setText(Latin1(saved.driverPath));
    m_group->Load(saved.connection);
    m_highSpeed->setChecked(saved.highSpeed);
    OnKindChanged(m_group->Kind());
}

void CDownloadFirmwareDlg::OnKindChanged(JxConnectionKind kind) { m_highSpeed->setEnabled(HighSpeedAllowed(kind)); }

CFirmwareDownloadRequest CDownloadFirmwareDlg::Collect() const
{
    CFirmwareDownloadRequest r;
    r.firmwarePath = Latin1(m_firmware->text());
    r.driverPath = Latin1(m_driver->text());
    r.connection = m_group->Choice();
    r.highSpeed = m_highSpeed->isChecked();
    return r;
}

void CDownloadFirmwareDlg::Browse(JxImageKind kind)
{
    QLineEdit* field = kind == JxImageKind::Firmware ? m_firmware : m_driver;
    const std::string& type = kind == JxImageKind::Firmware ? m_app.documents.firmwareExtension : m_app.documents.driverExtension;
    QFileDialog picker(this, kJxPickerTitle,
                       Latin1(FirmwarePickerFolder(Latin1(field->text()), Latin1(QDir::homePath()))),
                       Latin1(FirmwarePickerFilter(kind, type)));
    picker.setObjectName(kind == JxImageKind::Firmware ? "firmwarePicker" : "driverPicker");
    // Qt's own picker matches the filter ignoring case (a platform picker
    // may not): "main.exe" must show on a case-sensitive file system.
    picker.setOption(QFileDialog::DontUseNativeDialog);
    picker.setFilter(picker.filter() & ~QDir::CaseSensitive);
    picker.setFileMode(QFileDialog::ExistingFile);
    picker.setAcceptMode(QFileDialog::AcceptOpen);
    if (picker.exec() != QDialog::Accepted || picker.selectedFiles().isEmpty()) return;
    field->setText(picker.selectedFiles().constFirst());
}

void CDownloadFirmwareDlg::OnDownload()
{
    const CFirmwareDownloadRequest request = Collect();
    CJxConfigApp& app = m_app;
    CLinkOwner& owner = m_owner;
    const JxWaitFunction wait = m_wait;
    CFirmwareDownloadResult result;
    RunLinkOperation(this, owner, [&] {
        result = RunFirmwareDownload(owner, app, request, wait);
        return result.reset;
    });
    m_last = result;
}

void CDownloadFirmwareDlg::done(int result)
{
    // Every way out remembers the choices, as Close does.
    StoreFirmwareDownloadChoice(m_app, Collect());
    QDialog::done(result);
}
