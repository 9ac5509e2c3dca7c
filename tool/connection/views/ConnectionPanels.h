// The three settings panels of the Communications group. Each only shows
// and collects; the rules behind them are in the connection folder.
#pragma once

#include <QGroupBox>
#include <string>
#include <vector>

#include "connection/CConnectionChoice.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class CDLCatchEdit;

// "Dialup Network Attributes": the installed modems and a phone number.
class CDialupPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit CDialupPanel(QWidget* parent = nullptr);
    void Load(const CConnectionChoice& choice);
    void Collect(CConnectionChoice& choice) const;

private:
    QComboBox* m_modems;
    QLineEdit* m_phone;
};

// "Direct Network Attributes": the serial ports and the baud rate.
class CDirectPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit CDirectPanel(QWidget* parent = nullptr);
    void Load(const CConnectionChoice& choice);
    void Collect(CConnectionChoice& choice) const;

private:
    QComboBox* m_ports;
    QComboBox* m_bauds;
};

// "Network Attributes": host, socket and "Use Default".
class CTcpIpPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit CTcpIpPanel(QWidget* parent = nullptr);
    void Load(const CConnectionChoice& choice);
    void Collect(CConnectionChoice& choice) const;

private:
    void OnUseDefault(bool ticked);

    QLineEdit* m_address;
    CDLCatchEdit* m_socket;
    QCheckBox* m_useDefault;
};
