// Dial-up configuration of a link, the modem list and the call limit.
#include <string>

#include "../CKorNetLink.h"
#include "../ports/CKorNetModemPort.h"

namespace {
CKorNetModemPort* ModemPort(CKorNetLink& link) { return dynamic_cast<CKorNetModemPort*>(link.port.get()); }

// "Dialup ID3 #5551234.txt". A '/' cannot stand in a file name; the number
// is otherwise kept as typed.
std::string DialupLogName(uint32_t dialupId, const std::string& number)
{
    std::string name = "Dialup ID" + std::to_string(dialupId) + " #";
    for (char c : number) name.push_back(c == '/' ? '_' : c);
    return name + ".txt";
}
}  // namespace

int16_t CKorNetwork::ConfigureDialup(const char* phoneNumber, uint32_t dialupId)
{
    CKorNetLink& link = *m_link;
    if (link.connected.load()) return ERR_COMMAND_ALREADY_CONNECTED;
    const std::string number = phoneNumber != nullptr ? phoneNumber : "";
    auto port = std::make_unique<CKorNetModemPort>(number, dialupId);
    port->SetEventHandler(link.eventHandler, link.userValue);
    if (CKorNetModemPort* previous = ModemPort(link)) port->SetCallLimit(previous->CallLimit());
    return link.ReplacePort(std::move(port), DialupLogName(dialupId, number));
}

const modemlist_entry_s* CKorNetwork::GetModemList(int16_t& status, int16_t& count)
{
    status = ERR_COMMAND_NOT_CONFIGURED;
    count = 0;
    CKorNetLink& link = *m_link;
    // The list is built on the port's state; a command running on another
    // thread must not see it change under it.
    if (link.busy.exchange(true)) {
        status = ERR_COMMAND_BUSY;
        return nullptr;
    }
    const modemlist_entry_s* list = nullptr;
    if (CKorNetModemPort* modem = ModemPort(link)) {
        list = modem->GetModemList(count);
        if (list != nullptr) status = KORNET_OK;
    }
    link.busy.store(false);
    return list;
}

int16_t CKorNetwork::SetDialupCallLimit(int32_t milliseconds)
{
    CKorNetModemPort* modem = ModemPort(*m_link);
    if (modem == nullptr) return ERR_COMMAND_NOT_CONFIGURED;
    modem->SetCallLimit(milliseconds);
    return KORNET_OK;
}
