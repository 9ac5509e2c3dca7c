// What the display shows and runs. Every command family that drives the
// display (the Jx display commands, the older single-byte set) changes this
// one state, so STATUS.XML and the tests see one display.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "SimTypes.h"

namespace jxsim {

struct CPlaylistEntry {
    std::string name;
    uint8_t p[6] = {};   // P1..P6 as the host sent them
    uint32_t value = 0;  // V
    uint8_t option = 0;
};

struct CDisplayState {
    bool blanked = false;
    uint8_t blankArgument = 0;
    uint8_t dimmingMode = 0;
    uint8_t dimmingLevel = 100;
    uint8_t displayModeA = 0;
    uint8_t displayModeB = 0;
    bool clockSet = false;
    int64_t clockOffset = 0;  // controller clock minus host clock, seconds
    std::string schedule;     // the running schedule; empty when none
    std::vector<CPlaylistEntry> playlist;
    uint8_t frameA = 0;
    uint16_t frameW = 0;
    std::string frameName;
    Bytes rtd;                // real-time data as the host placed it
    Bytes rtdHeader;          // the last header sent with it
    uint8_t lastResetA = 0;
    uint8_t lastResetB = 0;

    // A reboot starts the display afresh; the clock keeps running.
    void Reboot()
    {
        const bool set = clockSet;
        const int64_t offset = clockOffset;
        const uint8_t a = lastResetA, b = lastResetB;
        *this = CDisplayState{};
        clockSet = set;
        clockOffset = offset;
        lastResetA = a;
        lastResetB = b;
    }
};

}  // namespace jxsim
