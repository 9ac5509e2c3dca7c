#include "CliMessages.h"

namespace {
thread_local CliMessageCapture* t_capture = nullptr;

class CCliSink : public IMessageSink {
public:
    void Show(JxMessageKind kind, const std::string& text) override
    {
        if (t_capture != nullptr) t_capture->messages.emplace_back(kind, text);
    }
    // Nothing to ask in a script: the default answer, as without a screen.
    bool AskYesNo(const std::string&, bool defaultYes) override { return defaultYes; }
};

std::string OneLine(std::string text)
{
    for (auto& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}
}  // namespace

void CliInstallMessageSink()
{
    static CCliSink sink;
    JxSetMessageSink(&sink);
}

CliMessageCapture::CliMessageCapture() : m_outer(t_capture) { t_capture = this; }
CliMessageCapture::~CliMessageCapture() { t_capture = m_outer; }

std::string CliMessageCapture::Texts(JxMessageKind kind) const
{
    std::string out;
    for (const auto& [k, text] : messages) {
        if (k != kind) continue;
        if (!out.empty()) out += " ";
        out += OneLine(text);
    }
    return out;
}

std::string CliMessageCapture::AllTexts() const
{
    std::string out;
    for (const auto& [k, text] : messages) {
        if (!out.empty()) out += " ";
        out += OneLine(text);
    }
    return out;
}

bool CliMessageCapture::Has(JxMessageKind kind) const
{
    for (const auto& m : messages)
        if (m.first == kind) return true;
    return false;
}
