#include "CSimRegistry.h"

namespace jxsim {

// JxSimExtensions.inc is written by the build: one JXSIM_EXTENSION(Name) per
// file in src/families/ and src/frontends/.
#define JXSIM_EXTENSION(Name) JXSIM_REGISTER(Name);
#include "JxSimExtensions.inc"
#undef JXSIM_EXTENSION

const CSimRegistry& CSimRegistry::Instance()
{
    static const CSimRegistry registry = [] {
        CSimRegistry r;
        CSimRegistry& registry = r;
#define JXSIM_EXTENSION(Name) JxSimRegister_##Name(registry);
#include "JxSimExtensions.inc"
#undef JXSIM_EXTENSION
        return r;
    }();
    return registry;
}

const CLineFrontEnd* CSimRegistry::FindFrontEnd(const std::string& name) const
{
    for (const auto& f : m_frontEnds)
        if (f.name == name) return &f;
    return nullptr;
}

}  // namespace jxsim
