// The About window: the program's version, the module catalogue's version
// and the customer service contact.
#pragma once

#include <QDialog>
#include <string>

class QLabel;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    // `programVersion` "%d.%d.%d.%d", or empty when it is not known;
    // `cataloguePath` the MODULES.XML to read.
    CAboutDlg(QWidget* parent, const std::string& programVersion, const std::string& cataloguePath);
};
