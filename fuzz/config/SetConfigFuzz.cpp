// Fuzz target for the Set Configuration rules on any CONFIG.XML a display
// may send: open the window's state on it, run the advanced window over the
// working copy (random arrows, leaves and Apply), then set with or without
// "Use Default". Set must either be accepted, leaving a document that loads
// again to the same text and opens again to the working copy that was
// written, or name what failed and stay.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>

#include "config/CAdvancedConfigPresenter.h"
#include "config/CConfigDocument.h"
#include "config/CSetConfigPresenter.h"
#include "shell/CJxConfigApp.h"

namespace {
[[noreturn]] void Fail(const char* what, const std::string& text)
{
    std::fprintf(stderr, "%s\n--- text ---\n%s\n", what, text.c_str());
    std::abort();
}

const CXmlDocument& Catalogue()
{
    static const CXmlDocument catalogue = [] {
        CXmlDocument doc;
        doc.Parse("<MODULES vr=\"1\"><DISPLAYTECH type=\"HLV\"><COLORTECH type=\"MONO\">"
                  "<MODULE type=\"A\" value=\"a\"/></COLORTECH></DISPLAYTECH></MODULES>",
                  false);
        return doc;
    }();
    return catalogue;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    CConfigDocument doc;
    if (!doc.LoadText(input)) return 0;
    static const CFactoryDefaults defaults;
    CSetConfigPresenter window(Catalogue(), defaults);
    CSetConfigState state = window.Open(doc);

    std::minstd_rand rng(static_cast<uint32_t>(std::hash<std::string>{}(input)));
    CAdvancedConfigPresenter advanced(defaults);
    CAdvancedConfigState fields = advanced.Open(window.Workset());
    for (int step = 0; step < 12; ++step) {
        const JxArrow arrow = rng() % 2 ? JxArrow::Up : JxArrow::Down;
        switch (rng() % 10) {
        case 0: fields = advanced.StepEthernetPort(fields, arrow); break;
        case 1: fields = advanced.StepRtdPort(fields, arrow); break;
        case 2: fields = advanced.StepGamma(fields, arrow); break;
        case 3: fields = advanced.StepThermalLow(fields, arrow); break;
        case 4: fields = advanced.StepBrightnessHigh(fields, arrow); break;
        case 5: fields = advanced.LeaveEthernetPort(fields); break;
        case 6: fields = advanced.LeaveRtdPort(fields); break;
        case 7: fields = advanced.LeaveGamma(fields); break;
        case 8: fields = advanced.ChangeConnectionType(fields, static_cast<int32_t>(rng() % 2)); break;
        default: fields = advanced.ChangeRequiredProtocol(fields, static_cast<int32_t>(rng() % 2)); break;
        }
    }
    const CAdvancedApplyResult applied = advanced.Apply(fields, window.Workset());
    if (!applied.stored && applied.message.empty()) Fail("Apply stored nothing and said nothing", input);
    if (applied.stored) {
        // Every forced value is back in its field: a second Apply forces
        // nothing (a low limit above its high one is reported, not mended).
        ConfigWorkset again = window.Workset();
        const CAdvancedApplyResult second = advanced.Apply(applied.state, again);
        if (second.lines.find("forcing") != std::string::npos || second.lines.find("No value") != std::string::npos)
            Fail(("a second Apply still corrects:" + second.message).c_str(), input);
        if (again != window.Workset()) Fail("a second Apply stored other values", input);
    }

    state.input.useDefault = rng() % 2 == 0;
    const CSetConfigResult result = window.Set(state.input, doc);
    if (!result.accepted) {
        if (result.summary.empty() || result.message != kJxSetConfigWriteFailed + result.summary)
            Fail("a refused Set without its summary", input);
        return 0;
    }
    CConfigDocument reloaded;
    if (!reloaded.LoadText(CXmlDocument::SingleByteToUtf8(doc.GetText())) || reloaded.GetText() != doc.GetText())
        Fail("the document set no longer loads to its text", doc.GetText());
    ConfigWorkset readBack;
    JxReadConfigWorkset(reloaded, defaults, readBack);
    ConfigWorkset written = window.Workset();
    // Type and module identifier are the panel's, not read by the workset.
    readBack.displayType = written.displayType;
    readBack.moduleId = written.moduleId;
    if (readBack != written) Fail("the document set does not open to the working copy written", doc.GetText());
    return 0;
}
