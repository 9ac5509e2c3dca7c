// The tool's messages in korctl. The tool's rules report through one
// message function; korctl runs one link per thread, so each thread collects
// its own messages and the result of the command carries them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "shell/MessageBox.h"

// Installs the collecting sink (once, before any worker thread starts).
void CliInstallMessageSink();

// Collects the messages shown on this thread while it lives.
class CliMessageCapture {
public:
    CliMessageCapture();
    ~CliMessageCapture();
    CliMessageCapture(const CliMessageCapture&) = delete;
    CliMessageCapture& operator=(const CliMessageCapture&) = delete;

    std::vector<std::pair<JxMessageKind, std::string>> messages;
    // The texts of the messages of `kind`, one line each (newlines in a
    // message become spaces).
    std::string Texts(JxMessageKind kind) const;
    std::string AllTexts() const;
    bool Has(JxMessageKind kind) const;
    void Clear() { messages.clear(); }

private:
    CliMessageCapture* m_outer;
};
