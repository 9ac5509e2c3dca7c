// The connection kinds the Connect window offers, in the order of its list.
// The settings and the item data of the list hold the kind as its number;
// these conversions are the only places that see that number.
#pragma once

#include <cstdint>
#include <optional>

enum class JxConnectionKind { Dialup = 0, Direct = 1, TcpIp = 2 };

inline constexpr JxConnectionKind kJxConnectionKinds[3] = {JxConnectionKind::Dialup, JxConnectionKind::Direct,
                                                           JxConnectionKind::TcpIp};
inline constexpr const char* kJxConnectionNames[3] = {"Dialup", "Direct", "TCP/IP"};

inline constexpr int JxConnectionKindNumber(JxConnectionKind kind) { return static_cast<int>(kind); }
// The kind a stored number stands for; nothing for a number that is none.
inline constexpr std::optional<JxConnectionKind> JxConnectionKindFromNumber(int64_t number)
{
    if (number < 0 || number > 2) return std::nullopt;
    return static_cast<JxConnectionKind>(number);
}
// "Dialup", "Direct", "TCP/IP": the kind as the list names it.
inline constexpr const char* JxConnectionName(JxConnectionKind kind)
{
    return kJxConnectionNames[JxConnectionKindNumber(kind)];
}
