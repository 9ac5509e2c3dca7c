// "Set TCP/IP Configuration": DHCP (with the name or address the display is
// reached by) or static (address, subnet mask and gateway fields); "Set
// TCP/IP &Configuration" checks and writes ADDR ip, msk, gtw and dhcp.
#pragma once

#include "CFunctionDlg.h"
#include "config/CTcpIpConfigPresenter.h"

class QLineEdit;
class QRadioButton;
class CIpAddressEdit;

class CTcpIpConfigDlg : public CFunctionDlg {
    Q_OBJECT
public:
    CTcpIpConfigDlg(QWidget* parent, CConfigDocument& document);

protected:
    void OnSet() override;

private:
    void Show(const CTcpIpConfigState& state);
    CTcpIpConfigInput Collect() const;

    CTcpIpConfigPresenter m_rules;
    QRadioButton* m_dhcp;
    QRadioButton* m_static;
    QLineEdit* m_dhcpName;
    CIpAddressEdit* m_address;
    CIpAddressEdit* m_mask;
    CIpAddressEdit* m_gateway;
};
