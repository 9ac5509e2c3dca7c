// The "Communications" group that the Connect window, the file transfer
// connect page and the firmware window share: the connection list, the
// "Network Address:" field and the panel of the chosen kind.
#pragma once

#include <QGroupBox>

#include "connection/CConnectionChoice.h"

class QComboBox;
class QStackedWidget;
class CDLCatchEdit;
class CDialupPanel;
class CDirectPanel;
class CTcpIpPanel;

class CCommunicationsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit CCommunicationsGroup(QWidget* parent = nullptr);

    // Fills every control from `choice` (the dial-up panel asks the library
    // for its modems, the direct panel for its serial ports).
    void Load(const CConnectionChoice& choice);
    // What the controls say now; read on the window thread before a link
    // operation configures the link from it.
    CConnectionChoice Choice() const;
    JxConnectionKind Kind() const;

private:
    QWidget* PanelOf(JxConnectionKind kind) const;
    void ShowPanel(JxConnectionKind kind);
    void OnAddressChanged(const QString& text);

    QComboBox* m_kinds;
    CDLCatchEdit* m_address;
    QStackedWidget* m_panels;
    CDialupPanel* m_dialup;
    CDirectPanel* m_direct;
    CTcpIpPanel* m_tcpIp;
};
