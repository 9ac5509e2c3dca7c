#include "CTcpIpConfigPresenter.h"

#include <strings.h>

#include "CConfigDocument.h"

CIpAddressValue JxClassMask(int firstNumber)
{
    if (firstNumber < 0) return {};
    if (firstNumber <= 127) return CIpAddressValue::Of(255, 0, 0, 0);
    if (firstNumber <= 191) return CIpAddressValue::Of(255, 255, 0, 0);
    if (firstNumber <= 223) return CIpAddressValue::Of(255, 255, 255, 0);
    return {};
}

CTcpIpConfigState CTcpIpConfigPresenter::Open(const CConfigDocument& document)
{
    std::string ip, msk, gtw, name;
    document.GetIpAddress(ip);
    document.GetSubnetMask(msk);
    document.GetGateway(gtw);
    document.GetDhcpName(name);
    CTcpIpConfigInput input;
    input.address = CIpAddressValue::Parse(ip);
    input.mask = CIpAddressValue::Parse(msk);
    input.gateway = CIpAddressValue::Parse(gtw);
    input.dhcpName = name;
    input.dhcp = strcasecmp(ip.c_str(), kJxDhcpAddress) == 0;
    return Change(input);
}

CTcpIpConfigState CTcpIpConfigPresenter::Change(const CTcpIpConfigInput& input)
{
    m_state = {input, input.dhcp, !input.dhcp};
    return m_state;
}

CTcpIpConfigState CTcpIpConfigPresenter::MaskEntered(const CTcpIpConfigInput& input)
{
    Change(input);
    if (!input.address.Complete()) return m_state;
    const CIpAddressValue classMask = JxClassMask(input.address.Part(0));
    if (!classMask.Blank()) m_state.input.mask = classMask;
    return m_state;
}

CFunctionApply CTcpIpConfigPresenter::Apply(const CTcpIpConfigInput& input, CConfigDocument& document)
{
    Change(input);
    const CIpAddressValue& address = input.address;
    const CIpAddressValue& mask = input.mask;
    CFunctionApply result;
    if (input.dhcp) {
        // Every write is checked: a document that took none of them would
        // otherwise go back to the display unchanged and be reported as sent.
        const bool written = document.SetDhcpName(input.dhcpName) && document.SetIpAddress(kJxDhcpAddress) &&
                             document.SetSubnetMask(kJxDhcpAddress);
        if (!written) {
            result.kind = JxMessageKind::Critical;
            result.message = kJxTcpIpWriteFailed;
            return result;
        }
        result.accepted = true;
        result.update = {CConnectionSettingUpdate::Setting::IpAddress, input.dhcpName};
        return result;
    }

    // The checks: the operator corrects the field and tries again.
    result.kind = JxMessageKind::Warning;
    if (!address.Complete()) result.message = kJxIpIncomplete;
    else if (!mask.Complete()) result.message = kJxMaskIncomplete;
    else if (address.Part(0) == 0) result.message = kJxIpFirstZero;
    else if (mask.Part(0) == 0) result.message = kJxMaskFirstZero;
    else if (mask == CIpAddressValue::Of(255, 255, 255, 255)) result.message = kJxMaskAllOnes;
    if (!result.message.empty()) return result;

    const std::string ip = address.Text();
    // SetGateway writes "0.0.0.0" (a blank gateway) as no gateway.
    const bool written = document.SetIpAddress(ip) && document.SetSubnetMask(mask.Text()) &&
                         document.SetGateway(input.gateway.Text()) && document.SetDhcpName("");
    if (!written) {
        result.kind = JxMessageKind::Critical;
        result.message = kJxTcpIpWriteFailed;
        return result;
    }
    result.accepted = true;
    result.update = {CConnectionSettingUpdate::Setting::IpAddress, ip};
    return result;
}
