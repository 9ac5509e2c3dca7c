// Everything that plugs into the simulator: command families and line front
// ends. Each lives in a file of its own under src/families/ or
// src/frontends/ and begins with
//
//     JXSIM_REGISTER(Name) { registry.Commands().RegisterExtended(...); }
//
// where Name is the file's name without ".cpp"; the build lists those files
// and calls every one of them once, so adding a family or a front end is
// adding its file.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CCommandTable.h"
#include "CSimLine.h"

namespace jxsim {

// A front end wraps the line the simulator opened (TCP or pseudo-terminal)
// and hands the engine the line it should use: a modem that answers AT
// commands and only then carries frames, for example.
struct CLineFrontEnd {
    std::string name;         // the program's option is --<name>
    std::string valueName;    // empty: a flag without a value
    std::string help;         // one line for --help
    // The wrapped line, or null with a reason in `error`.
    std::function<std::unique_ptr<CSimLine>(std::unique_ptr<CSimLine> inner, const std::string& value,
                                            std::string& error)>
        wrap;
};

class CSimRegistry {
public:
    // The registry with every family and front end of the build in it.
    static const CSimRegistry& Instance();

    CCommandTable& Commands() { return m_commands; }
    const CCommandTable& Commands() const { return m_commands; }

    void AddFrontEnd(CLineFrontEnd frontEnd) { m_frontEnds.push_back(std::move(frontEnd)); }
    const CLineFrontEnd* FindFrontEnd(const std::string& name) const;
    const std::vector<CLineFrontEnd>& FrontEnds() const { return m_frontEnds; }

private:
    CCommandTable m_commands;
    std::vector<CLineFrontEnd> m_frontEnds;
};

#define JXSIM_REGISTER(Name) void JxSimRegister_##Name(::jxsim::CSimRegistry& registry)

}  // namespace jxsim
