// The controller the link benchmarks talk to: it answers every sync and
// acknowledges every command with the eight-byte Jx reply.
#pragma once

#include <cstdint>
#include <vector>

#include "TcpController.h"

namespace bench {
constexpr uint8_t kAddr = 1;
// A blank-display request: 80 0A, the rest zero (8 data bytes).
inline constexpr uint8_t kRequest[8] = {0x80, 0x0A, 0, 0, 0, 0, 0, 0};

inline TcpController::Answer Acknowledge(const std::vector<uint8_t>& frame)
{
    if ((frame[4] & 0x0F) == 3) return {ControllerReply(frame, 3)};
    return {ControllerReply(frame, 1, {0x80, frame[7], 0, 0, 0, 0, 0, 0})};
}
}  // namespace bench
