#include "DialupRules.h"

#include <cstring>

#include <KorNet.h>

#include "shell/CJxConfigApp.h"

std::vector<CListedModem> ModemsOf(CKorNetwork& link)
{
    std::vector<CListedModem> modems;
    link.ConfigureDialup("", 0);
    int16_t status = KORNET_OK;
    int16_t count = 0;
    const modemlist_entry_s* list = link.GetModemList(status, count);
    if (list == nullptr || status != KORNET_OK) return modems;
    for (int16_t i = 0; i < count; ++i) {
        // A name that fills its 50 bytes has no terminating zero.
        modems.push_back({std::string(list[i].name, strnlen(list[i].name, sizeof list[i].name)), list[i].dialupId});
    }
    return modems;
}

std::vector<CListedModem> ReadModemList()
{
    CKorNetwork link;
    return ModemsOf(link);
}

bool ConfigureDialupLink(CJxConfigApp& app, CKorNetwork& link, int modemIndex, const std::string& phoneNumber)
{
    const std::vector<CListedModem> modems = ModemsOf(link);
    if (modems.empty() || modemIndex < 0 || modemIndex >= static_cast<int>(modems.size()) || phoneNumber.empty())
        return false;
    app.ApplyNetworkPolicies(link, JxPolicyKind::Dialup);
    // The call itself is placed by Connect; this records where to. A refused
    // number must not leave the link set up for the number-less listing.
    return link.ConfigureDialup(phoneNumber.c_str(), modems[static_cast<size_t>(modemIndex)].dialupId) == KORNET_OK;
}
