// The "Download Firmware" window: the firmware and driver files with their
// pickers, the connection and address (the Communications group the Connect
// window has), the high-speed box, and the download run as a link operation
// on the window's own link.
#pragma once

#include <QDialog>

#include "connection/LinkOperation.h"
#include "firmware/FirmwareDownload.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class CCommunicationsGroup;
class CJxConfigApp;

class CDownloadFirmwareDlg : public QDialog {
    Q_OBJECT
public:
    CDownloadFirmwareDlg(QWidget* parent, CJxConfigApp& app);

    // What the controls say now.
    CFirmwareDownloadRequest Collect() const;
    // Tests shorten the procedure's waits; empty: the real ones.
    void SetWaitFunction(JxWaitFunction wait) { m_wait = std::move(wait); }
    CLinkOwner& Owner() { return m_owner; }
    // How the last download ended.
    const CFirmwareDownloadResult& LastResult() const { return m_last; }

    void done(int result) override;

private:
    void OnKindChanged(JxConnectionKind kind);
    void Browse(JxImageKind kind);
    void OnDownload();

    CJxConfigApp& m_app;
    CLinkOwner m_owner;
    JxWaitFunction m_wait;
    CFirmwareDownloadResult m_last;
    QLineEdit* m_firmware;
    QLineEdit* m_driver;
    CCommunicationsGroup* m_group;
    QCheckBox* m_highSpeed;
    QPushButton* m_download;
    QPushButton* m_close;
};
