#pragma once

#include <functional>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

#include "shell/MessageBox.h"

// Collects every message box instead of showing it; installed for its life.
class CMessageRecorder : public IMessageSink {
public:
    CMessageRecorder() { m_previous = JxSetMessageSink(this); }
    ~CMessageRecorder() override { JxSetMessageSink(m_previous); }
    void Show(JxMessageKind kind, const std::string& text) override
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_messages.push_back(text);
            m_kinds.push_back(kind);
        }
        // What the box would do to the window behind it while it is up.
        if (whileShown) whileShown();
    }
    bool AskYesNo(const std::string& text, bool) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(text);
        return answer;
    }
    // The texts of every box and question, in order.
    std::vector<std::string> Messages() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }
    // The kinds of the message boxes (questions have none), in order.
    std::vector<JxMessageKind> Kinds() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_kinds;
    }
    bool answer = true;
    // Runs as each message box "shows" (on the showing thread).
    std::function<void()> whileShown;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_messages;
    std::vector<JxMessageKind> m_kinds;
    IMessageSink* m_previous = nullptr;
};

// Readable test output for a kind.
inline void PrintTo(JxMessageKind kind, std::ostream* os) { *os << JxMessageKindName(kind); }
