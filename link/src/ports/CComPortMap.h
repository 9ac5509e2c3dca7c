// COM numbers on a system that names its serial devices by path. The port
// map file holds lines "COM3=/dev/ttyUSB0" (comments start with '#'); serial
// devices present but not in the map are numbered after it in a stable order
// (ttyS, ttyUSB, ttyACM, ttyAMA, rfcomm; each by its own number).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CComPortEntry {
    int16_t number;
    std::string device;
};

// Path of the port map: $KORNET_PORTMAP, else ~/.config/kornet/ports.
std::string KorNetPortMapPath();
// Every COM port known now, ascending by number.
std::vector<CComPortEntry> KorNetComPorts();
// Device path of COM n; empty when unknown.
std::string KorNetResolveComPort(int16_t number);
