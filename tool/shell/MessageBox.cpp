#include "MessageBox.h"

#include <atomic>
#include <cstdio>

namespace {
class CStderrSink : public IMessageSink {
public:
    void Show(JxMessageKind kind, const std::string& text) override
    {
        std::fprintf(stderr, "%s: %s: %s\n", kJxToolName, JxMessageKindName(kind), text.c_str());
    }
    bool AskYesNo(const std::string& text, bool defaultYes) override
    {
        std::fprintf(stderr, "%s: %s [%s]\n", kJxToolName, text.c_str(), defaultYes ? "Yes" : "No");
        return defaultYes;
    }
};

CStderrSink g_stderrSink;
std::atomic<IMessageSink*> g_sink{&g_stderrSink};
}  // namespace

const char* JxMessageKindName(JxMessageKind kind)
{
    switch (kind) {
    case JxMessageKind::Information:
        return "information";
    case JxMessageKind::Warning:
        return "warning";
    case JxMessageKind::Critical:
        return "critical";
    }
    return "message";
}

IMessageSink* JxSetMessageSink(IMessageSink* sink)
{
    IMessageSink* previous = g_sink.exchange(sink != nullptr ? sink : &g_stderrSink);
    return previous == &g_stderrSink ? nullptr : previous;
}

void JxShowMessage(JxMessageKind kind, const std::string& text) { g_sink.load()->Show(kind, text); }

bool JxAskYesNo(const std::string& text, bool defaultYes) { return g_sink.load()->AskYesNo(text, defaultYes); }
