// The message boxes of the application: one box with a single OK button (or
// Yes and No for a question) titled "JxConfig", with the icon of the
// message's kind, always shown on the window thread. A worker thread that
// reports something waits until the operator has closed the box.
#pragma once

#include <memory>

#include "shell/MessageBox.h"

class QMessageBox;
class QWidget;

class CQtMessageSink : public IMessageSink {
public:
    void Show(JxMessageKind kind, const std::string& text) override;
    bool AskYesNo(const std::string& text, bool defaultYes) override;
};

// The box Show runs, not yet shown (for the screenshots as well).
std::unique_ptr<QMessageBox> JxMakeMessageBox(JxMessageKind kind, const std::string& text, QWidget* parent);
