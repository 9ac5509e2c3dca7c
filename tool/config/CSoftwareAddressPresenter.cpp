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

void CSoftwareAddressPresenter::Open(const CConfigDocument& document)
{
    int32_t sw = 0;
    document.GetSoftwareAddress(sw);
    m_use = sw >= kJxSoftwareAddressMin && sw <= kJxSoftwareAddressMax;
    m_text = m_use ? std::to_string(sw) : "1";
}

bool CSoftwareAddressPresenter::LeaveAddressEdit()
{
    const int32_t value = JxEditNumber(m_text);
    if (value < kJxSoftwareAddressMin) m_text = std::to_string(kJxSoftwareAddressMin);
    else if (value > kJxSoftwareAddressMax) m_text = std::to_string(kJxSoftwareAddressMax);
    else return false;
    return true;
}

CFunctionApply CSoftwareAddressPresenter::Apply(CConfigDocument& document)
{
    int32_t sw = 0;
    if (m_use) {
        LeaveAddressEdit();
        sw = JxEditNumber(m_text);
    }
    CFunctionApply result;
    if (!document.SetSoftwareAddress(sw)) {
        result.kind = JxMessageKind::Critical;
        result.message = kJxSoftwareAddressWriteFailed;
        return result;
    }
    result.accepted = true;
    result.update = {CConnectionSettingUpdate::Setting::NetworkAddress, m_use ? std::to_string(sw) : "1"};
    return result;
}
