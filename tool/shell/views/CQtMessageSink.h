// The message boxes of the application: one box with a single OK button (or
// Yes and No for a question) titled "JxConfig", always shown on the window
// thread. A worker thread that reports something waits until the operator
// has closed the box.
#pragma once

#include "shell/MessageBox.h"

class CQtMessageSink : public CMessageSink {
public:
    void Show(const std::string& text) override;
    bool AskYesNo(const std::string& text, bool defaultYes) override;
};
