// The rules of the "Set TCP/IP Configuration" window: DHCP or static mode,
// the three address fields (controller address, subnet mask, gateway) and
// the DHCP name, the mask taken from the address class, the checks of a
// static configuration with their messages, and the writes of ADDR ip, msk,
// gtw and dhcp. On success the tool's TCP/IP address follows the display.
#pragma once

#include <string>

#include "CFunctionResult.h"
#include "CIpAddressValue.h"

class CConfigDocument;

inline constexpr const char* kJxIpIncomplete = "All fields for IP address must be completed.";
inline constexpr const char* kJxMaskIncomplete = "All fields for subnet mask must be completed.";
inline constexpr const char* kJxIpFirstZero = "First octet of IP address cannot be 0.";
inline constexpr const char* kJxMaskFirstZero = "First octet of subnet mask cannot be 0.";
inline constexpr const char* kJxMaskAllOnes = "Subnet mask cannot be 255.255.255.255.";
inline constexpr const char* kJxTcpIpWriteFailed = "Error: could not set the settings in the CONFIG.XML file stream";
// The ip a DHCP-configured controller carries.
inline constexpr const char* kJxDhcpAddress = "0.0.0.0";

// What the operator has set in the window.
struct CTcpIpConfigInput {
    bool dhcp = false;
    CIpAddressValue address;
    CIpAddressValue mask;
    CIpAddressValue gateway;
    std::string dhcpName;

    bool operator==(const CTcpIpConfigInput&) const = default;
};

// What the window shows: the input and which fields take input.
struct CTcpIpConfigState {
    CTcpIpConfigInput input;
    bool dhcpNameEnabled = false;
    bool addressFieldsEnabled = true;

    bool operator==(const CTcpIpConfigState&) const = default;
};

class CTcpIpConfigPresenter {
public:
    // Fields from ip, msk, gtw (blank unless a well-formed address) and dhcp;
    // DHCP mode exactly when ip is "0.0.0.0".
    CTcpIpConfigState Open(const CConfigDocument& document);
    // One of the two radio buttons was chosen, or a field changed.
    CTcpIpConfigState Change(const CTcpIpConfigInput& input);
    // The operator moved into the Subnet Mask field: with a complete address,
    // the mask becomes the one of the address class (first number 0-127:
    // 255.0.0.0, 128-191: 255.255.0.0, 192-223: 255.255.255.0; 224 and
    // above: left alone).
    CTcpIpConfigState MaskEntered(const CTcpIpConfigInput& input);
    const CTcpIpConfigState& State() const { return m_state; }

    // "Set TCP/IP &Configuration". Static mode: the checks in order (the
    // first failure is the message, nothing is written), then ip, msk, gtw
    // (a blank gateway is none) and an empty dhcp. DHCP mode: dhcp := the
    // name, ip and msk "0.0.0.0", gtw left as it is.
    CFunctionApply Apply(const CTcpIpConfigInput& input, CConfigDocument& document);

private:
    CTcpIpConfigState m_state;
};

// The subnet mask of the address class of `firstNumber`; blank for 224 and above.
CIpAddressValue JxClassMask(int firstNumber);
