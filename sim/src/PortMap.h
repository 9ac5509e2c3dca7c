// The host's port map (lines "COM3=/dev/ttyUSB0"), through which the link
// library reaches a serial device as COM n. jxsim enters its
// pseudo-terminal there and takes it out again when it stops.
#pragma once

#include <string>

namespace jxsim {

// $KORNET_PORTMAP, else $XDG_CONFIG_HOME/kornet/ports, else ~/.config/kornet/ports.
std::string DefaultPortMapPath();
// Replaces every line for COMn with "COMn=device"; other lines stay.
bool AddPortMapEntry(const std::string& mapPath, int number, const std::string& device, std::string& error);
// Removes the line "COMn=device" if it is still there.
void RemovePortMapEntry(const std::string& mapPath, int number, const std::string& device);

}  // namespace jxsim
