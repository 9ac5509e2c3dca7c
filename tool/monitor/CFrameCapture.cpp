#include "CFrameCapture.h"

#include <algorithm>
#include <cstdio>

void CFrameCapture::OnFrame(const KorNetFrameRecord& frame)
{
    if (m_paused.load()) return;
    CCapturedFrame f;
    f.timeUs = frame.timeUs;
    f.wallTime = std::time(nullptr);
    f.direction = frame.direction;
    f.bytes.assign(frame.bytes, frame.bytes + frame.length);
    f.attempt = frame.attempt;
    f.status = frame.status;
    std::lock_guard lock(m_mutex);
    if (m_pending.size() >= kPendingLimit) {
        m_dropped.fetch_add(1);
        return;
    }
    m_pending.push_back(std::move(f));
}

std::vector<CCapturedFrame> CFrameCapture::TakePending()
{
    std::vector<CCapturedFrame> taken;
    std::lock_guard lock(m_mutex);
    taken.swap(m_pending);
    return taken;
}

namespace {
std::string Timestamp(std::time_t when)
{
    char text[64];
    return std::string(text, KorNetLogTimestamp(when, text, sizeof text));
}

// As the link dumps its frame buffers: as many bytes as the length byte
// says, bytes that never came as zeros.
std::string Dump(const uint8_t* frame)
{
    const size_t n = frame[3] == 0 ? 6 : frame[3] + 7u;
    std::string out;
    char hex[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(hex, sizeof hex, " %X", frame[i]);
        out += hex;
    }
    return out;
}
}  // namespace

std::string DiagnosticsLogText(const std::vector<CCapturedFrame>& frames)
{
    // The link's buffers: a broadcast logs the reply buffer as the last
    // receive left it.
    uint8_t sent[262] = {};
    uint8_t received[262] = {};
    std::string text;
    const CCapturedFrame* pendingSend = nullptr;
    auto attempt = [&](const CCapturedFrame& s, int16_t status, std::time_t when) {
        if (s.attempt == 0) text += Timestamp(when);
        std::fill(std::begin(sent), std::end(sent), 0);
        std::copy_n(s.bytes.begin(), std::min<size_t>(s.bytes.size(), sizeof sent), sent);
        text += "Sent:   " + Dump(sent) + "\n";
        text += "Recv'd: " + Dump(received) + "\n";
        text += std::string("Error Status: ") + KorNetStatusName(status) + "\n";
    };
    for (const CCapturedFrame& f : frames) {
        if (f.direction == KorNetFrameDirection::Stray) continue;
        if (f.direction == KorNetFrameDirection::Sent) {
            // A send with nothing received after it: a broadcast or a failed write.
            if (pendingSend != nullptr) attempt(*pendingSend, pendingSend->status, pendingSend->wallTime);
            pendingSend = &f;
            continue;
        }
        if (pendingSend == nullptr) continue;
        std::fill(std::begin(received), std::end(received), 0);
        std::copy_n(f.bytes.begin(), std::min<size_t>(f.bytes.size(), sizeof received), received);
        attempt(*pendingSend, f.status, f.wallTime);
        pendingSend = nullptr;
    }
    if (pendingSend != nullptr) attempt(*pendingSend, pendingSend->status, pendingSend->wallTime);
    return text;
}
