#include "CAboutDlg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "JxProgramIcon.h"
#include "config/ModuleCatalogue.h"

CAboutDlg::CAboutDlg(QWidget* parent, const std::string& programVersion, const std::string& cataloguePath)
    : QDialog(parent)
{
    setObjectName("aboutDialog");
    setWindowTitle("Ru Zuvizavavadud Irivir");
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    auto* icon = new QLabel(this);
    icon->setPixmap(JxProgramIcon().pixmap(48, 48));
    auto* program = new QLabel(QString("JxConfig Version: %1")
                                   .arg(QString::fromLatin1(programVersion.empty() ? "?.?.?.?" : programVersion.c_str())),
                               this);
    program->setObjectName("programVersion");
    auto* catalogue = new QLabel(
        QString("MODULES.XML Version: %1").arg(QString::fromLatin1(JxCatalogueVersion(cataloguePath).c_str())), this);
    catalogue->setObjectName("catalogueVersion");

    auto* service = new QGroupBox("Corvanta Customer Service", this);
    auto* contact = new QLabel(
        "For help with a display, its controller or this program, call\n"
        "Corvanta Customer Service and have the display's serial number\n"
        "and the versions shown above at hand.",
        service);
    contact->setObjectName("contactText");
    auto* serviceLayout = new QVBoxLayout(service);
    serviceLayout->addWidget(contact);

    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout;
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(program, 0, 1);
    grid->addWidget(catalogue, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(service);
    layout->addWidget(ok);
}
