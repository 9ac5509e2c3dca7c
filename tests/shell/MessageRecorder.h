#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "shell/MessageBox.h"

// Collects every message box instead of showing it; installed for its life.
class CMessageRecorder : public CMessageSink {
public:
    CMessageRecorder() { m_previous = JxSetMessageSink(this); }
    ~CMessageRecorder() override { JxSetMessageSink(m_previous); }
    void Show(const std::string& text) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(text);
    }
    bool AskYesNo(const std::string& text, bool) override
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_messages.push_back(text);
        return answer;
    }
    std::vector<std::string> Messages() const
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_messages;
    }
    bool answer = true;

private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_messages;
    CMessageSink* m_previous = nullptr;
};
