// The Hayes modem that jxsim puts in front of its line with the "modem"
// front end (CSimOptions::frontEnd = "modem", frontEndValue = the numbers
// and what they answer, as for --modem). A test reaches it through the
// simulator it belongs to.
#pragma once

#include <string>
#include <vector>

namespace jxsim {

class CJxSimulator;

struct CSimModemState {
    bool present = false;        // the simulator runs with a modem in front
    bool offHook = false;        // dialling or in a call
    bool online = false;         // the call carries the line to the controllers
    bool dtrLow = false;         // the host holds DTR down (line speed 0)
    int dials = 0;               // ATD commands
    int connects = 0;            // calls answered with CONNECT
    std::string lastNumber;      // the latest number dialled, digits only
    int commandHangUps = 0;      // ATH with a call up
    int dtrHangUps = 0;          // calls ended by the host dropping DTR
    int escapes = 0;             // escape sequences (+++) recognised
    int remoteHangUps = 0;       // calls ended from the far end
    std::vector<std::string> commands;  // command lines received, the latest 256
};

// The modem in front of `sim` (present false when it has none).
CSimModemState SimModemState(const CJxSimulator& sim);

// The far end hangs up: the modem drops the call, tells the host NO CARRIER
// and stops carrying the line. Returns once that is done; false when no
// call was up (or there is no modem).
bool SimModemHangUp(const CJxSimulator& sim);

}  // namespace jxsim
