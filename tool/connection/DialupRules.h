// The dial-up panel's rules: the modems the library can call with, and the
// configure step.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CJxConfigApp;
class CKorNetwork;

struct CListedModem {
    std::string name;
    uint32_t dialupId = 0;
};

// The modems `link` offers once configured for dial-up without a number
// (the link is left that way).
std::vector<CListedModem> ModemsOf(CKorNetwork& link);
// The same through a link of its own, for filling the "Modem:" list.
std::vector<CListedModem> ReadModemList();

// Checks that there is a modem at `modemIndex` and a phone number, applies
// the dial-up policies and configures the link for the call.
bool ConfigureDialupLink(CJxConfigApp& app, CKorNetwork& link, int modemIndex, const std::string& phoneNumber);
