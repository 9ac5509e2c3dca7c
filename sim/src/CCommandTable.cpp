#include "CCommandTable.h"

#include <stdexcept>

namespace jxsim {

CCommandReply CCommandReply::Extended(uint8_t sub, uint8_t error, size_t size)
{
    CCommandReply r;
    r.data.assign(size < 3 ? 3 : size, 0);
    r.data[0] = kExtendedPrefix;
    r.data[1] = sub;
    r.data[2] = error;
    return r;
}

CCommandReply CCommandReply::Single(uint8_t code, uint8_t error, size_t size)
{
    CCommandReply r;
    r.data.assign(size < 2 ? 2 : size, 0);
    r.data[0] = code;
    r.data[1] = error;
    return r;
}

CCommandReply CCommandReply::OfType(uint8_t type)
{
    CCommandReply r;
    r.type = type;
    return r;
}

uint8_t CCommandReply::ErrorByte() const
{
    if (type != kTypeReply || data.empty() || statusByte) return 0;
    if (data[0] == kExtendedPrefix) return data.size() > 2 ? data[2] : 0;
    return data.size() > 1 ? data[1] : 0;
}

void CCommandTable::Add(uint16_t key, std::string name, CCommandHandler handler)
{
    // Two families claiming one command is a mistake of the build, not of a
    // host: say so at once rather than let one of them lose silently.
    if (auto it = m_entries.find(key); it != m_entries.end())
        throw std::logic_error("jxsim: \"" + name + "\" and \"" + it->second.name + "\" claim the same command");
    m_entries.emplace(key, Entry{std::move(name), std::move(handler)});
}

void CCommandTable::Register(uint8_t code, std::string name, CCommandHandler handler)
{
    if (code == 0 || code >= kExtendedPrefix) throw std::logic_error("jxsim: command code out of range for " + name);
    Add(code, std::move(name), std::move(handler));
}

void CCommandTable::RegisterExtended(uint8_t sub, std::string name, CCommandHandler handler)
{
    Add(static_cast<uint16_t>(0x8000 | sub), std::move(name), std::move(handler));
}

uint16_t CCommandTable::KeyOf(const Bytes& data)
{
    if (data.empty()) return 0;
    if (data[0] == kExtendedPrefix) return static_cast<uint16_t>(0x8000 | (data.size() > 1 ? data[1] : 0));
    return data[0];
}

const CCommandTable::Entry* CCommandTable::Find(const Bytes& data) const
{
    if (data.empty()) return nullptr;
    if (data[0] == kExtendedPrefix && data.size() < 2) return nullptr;
    auto it = m_entries.find(KeyOf(data));
    return it == m_entries.end() ? nullptr : &it->second;
}

}  // namespace jxsim
