// Site policies from "KorConfig.xml" in the data folder: time-out and retry
// count per connection kind and the library's relaxed validation, plus
// values the tool keeps but does not act on.
#pragma once

#include <cstdint>
#include <string>

// Policy kinds (not the connection-list order): 0 TCP/IP, 1 direct, 2 dial-up.
enum class JxPolicyKind { TcpIp = 0, Direct = 1, Dialup = 2 };

struct CNetworkPolicies {
    int32_t timeout[3] = {3000, 3000, 3000};         // by JxPolicyKind
    uint8_t retries[3] = {3, 3, 3};
    int32_t disconnect[3] = {30000, 5000, 1800000};
    int32_t taskFailureMaxTime = 300000;
    int32_t mode = 0;
    int32_t minFrameDuration = 36000;
    bool enforceNoFlash = false;
    bool enforceNoEffects = false;
    bool enforceMinFrameDuration = false;
    bool relaxedValidation = false;
};

// Reads a policy document from its text (UTF-8). Anything missing or
// unreadable takes its default; elements are looked for in their fixed
// order, forward only.
CNetworkPolicies ReadNetworkPolicies(const std::string& text);
// The same from a file; a missing file gives every default.
CNetworkPolicies ReadNetworkPoliciesFile(const std::string& path);
