// Every message the tool shows to the operator goes through here: one box
// with a single OK button and the tool's name as title (questions get Yes
// and No). The Qt application installs a sink that shows real boxes on the
// window thread; tests install a recorder.
#pragma once

#include <string>

inline constexpr const char* kJxToolName = "JxConfig";

// What a message tells the operator, and so the icon its box shows. The
// place that raises a message chooses its kind.
enum class JxMessageKind {
    Information,  // something went as asked ("... successfully sent")
    Warning,      // a check or refusal: the operator can put it right and retry
    Critical,     // a failure: the display or the tool could not do it
};

// For logs and test output: "information", "warning", "critical".
const char* JxMessageKindName(JxMessageKind kind);

class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    virtual void Show(JxMessageKind kind, const std::string& text) = 0;
    // true for Yes. `defaultYes` says which button Enter presses.
    virtual bool AskYesNo(const std::string& text, bool defaultYes) = 0;
};

// Installs `sink` (not owned; null restores the default, which writes to
// stderr and answers questions with their default). Returns the previous one.
IMessageSink* JxSetMessageSink(IMessageSink* sink);
void JxShowMessage(JxMessageKind kind, const std::string& text);
bool JxAskYesNo(const std::string& text, bool defaultYes);
