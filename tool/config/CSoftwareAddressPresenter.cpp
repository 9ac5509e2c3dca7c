#include "CSoftwareAddressPresenter.h"

#include "CConfigDocument.h"

int32_t JxEditNumber(const std::string& text)
{
    int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') break;
        value = value * 10 + (c - '0');
        if (value > 99999) return 99999;  // far beyond any address; stop before it could wrap
    }
    return value;
}

namespace {
// The address text corrected to 1..240; the text itself when it stands.
std::string CorrectedAddress(const std::string& text)
{
    const int32_t value = JxEditNumber(text);
    if (value < kJxSoftwareAddressMin) return std::to_string(kJxSoftwareAddressMin);
    if (value > kJxSoftwareAddressMax) return std::to_string(kJxSoftwareAddressMax);
    return text;
}
}  // namespace

CSoftwareAddressState CSoftwareAddressPresenter::Open(const CConfigDocument& document)
{
    int32_t sw = 0;
    document.GetSoftwareAddress(sw);
    const bool use = sw >= kJxSoftwareAddressMin && sw <= kJxSoftwareAddressMax;
    return Change({use, use ? std::to_string(sw) : "1"});
}

CSoftwareAddressState CSoftwareAddressPresenter::Change(const CSoftwareAddressInput& input)
{
    m_state = {input, input.useSoftwareAddressing, false};
    return m_state;
}

CSoftwareAddressState CSoftwareAddressPresenter::LeaveAddressEdit(const CSoftwareAddressInput& input)
{
    Change(input);
    const std::string corrected = CorrectedAddress(input.addressText);
    m_state.selectAddress = corrected != input.addressText;
    m_state.input.addressText = corrected;
    return m_state;
}

CFunctionApply CSoftwareAddressPresenter::Apply(const CSoftwareAddressInput& input, CConfigDocument& document)
{
    int32_t sw = 0;
    Change(input);
    if (input.useSoftwareAddressing) {
        m_state.input.addressText = CorrectedAddress(input.addressText);
        sw = JxEditNumber(m_state.input.addressText);
    }
    CFunctionApply result;
    if (!document.SetSoftwareAddress(sw)) {
        result.kind = JxMessageKind::Critical;
        result.message = kJxSoftwareAddressWriteFailed;
        return result;
    }
    result.accepted = true;
    result.update = {CConnectionSettingUpdate::Setting::NetworkAddress,
                     input.useSoftwareAddressing ? std::to_string(sw) : "1"};
    return result;
}
