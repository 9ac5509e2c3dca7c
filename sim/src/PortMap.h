// The host's port map (lines "COM3=/dev/ttyUSB0"), through which the link
// library reaches a serial device as COM n. jxsim enters its
// pseudo-terminal there and takes it out again when it stops.
#pragma once

#include <string>
#include <vector>

namespace jxsim {

// $KORNET_PORTMAP, else $XDG_CONFIG_HOME/kornet/ports, else ~/.config/kornet/ports.
std::string DefaultPortMapPath();
// Replaces every line for COMn with "COMn=device"; other lines stay. The
// lines it replaced go to `replaced`, for RemovePortMapEntry to put back.
// The map is replaced whole or not at all: false with a reason when it
// could not be read or the new one could not be written completely.
bool AddPortMapEntry(const std::string& mapPath, int number, const std::string& device,
                     std::vector<std::string>& replaced, std::string& error);
// Takes the line "COMn=device" out again, if it is still there, and puts
// back the lines it replaced; false with a reason when the map could not
// be rewritten (it is then left as it was).
bool RemovePortMapEntry(const std::string& mapPath, int number, const std::string& device,
                        const std::vector<std::string>& replaced, std::string& error);

}  // namespace jxsim
