// Fuzz target for the site policy file (KorConfig.xml): any text gives a set
// of policies without crashing, and a text without the KORCONFIG element
// gives every default.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "shell/CNetworkPolicies.h"

namespace {
bool SameAsDefaults(const CNetworkPolicies& p)
{
    const CNetworkPolicies d;
    for (int k = 0; k < 3; ++k)
        if (p.timeout[k] != d.timeout[k] || p.retries[k] != d.retries[k] || p.disconnect[k] != d.disconnect[k])
            return false;
    return p.taskFailureMaxTime == d.taskFailureMaxTime && p.mode == d.mode &&
           p.minFrameDuration == d.minFrameDuration && p.enforceNoFlash == d.enforceNoFlash &&
           p.enforceNoEffects == d.enforceNoEffects && p.enforceMinFrameDuration == d.enforceMinFrameDuration &&
           p.relaxedValidation == d.relaxedValidation;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    const CNetworkPolicies policies = ReadNetworkPolicies(text);
    if (text.find("KORCONFIG") == std::string::npos && !SameAsDefaults(policies)) {
        std::fprintf(stderr, "policies read from a text without KORCONFIG\n%s\n", text.c_str());
        std::abort();
    }
    return 0;
}
