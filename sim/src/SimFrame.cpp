#include "SimFrame.h"

namespace jxsim {

uint8_t FrameChecksum(const uint8_t* p, size_t n)
{
    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i) sum += p[i];
    return static_cast<uint8_t>(0x100 - (sum & 0xFF));
}

Bytes BuildFrame(uint8_t address, uint8_t seqType, const Bytes& data)
{
    const size_t n = data.size() < kMaxFrameData ? data.size() : kMaxFrameData;
    Bytes f;
    f.reserve(n + 7);
    f.push_back(kFrameStart1);
    f.push_back(kFrameStart2);
    f.push_back(address);
    f.push_back(static_cast<uint8_t>(n));
    f.push_back(seqType);
    f.push_back(FrameChecksum(f.data(), 5));
    if (n > 0) {
        f.insert(f.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(n));
        f.push_back(FrameChecksum(data.data(), n));
    }
    return f;
}

void CFrameReceiver::Reset()
{
    m_dropped += m_pending.size();
    m_pending.clear();
}

void CFrameReceiver::Feed(const uint8_t* bytes, size_t count, std::vector<Event>& events)
{
    m_pending.insert(m_pending.end(), bytes, bytes + count);
    Scan(events);
}

void CFrameReceiver::Scan(std::vector<Event>& events)
{
    size_t pos = 0;
    for (;;) {
        // Hunt for the first start byte.
        while (pos < m_pending.size() && m_pending[pos] != kFrameStart1) {
            ++pos;
            ++m_dropped;
        }
        if (m_pending.size() - pos < 6) break;
        const uint8_t* h = m_pending.data() + pos;
        if (h[1] != kFrameStart2 || FrameChecksum(h, 5) != h[5]) {
            // Not a header after all: resume the hunt one byte further on,
            // so a frame that follows a stray start byte is still found.
            ++pos;
            ++m_dropped;
            ++m_badHeaders;
            continue;
        }
        const size_t n = h[3];
        const size_t total = n == 0 ? 6 : n + 7;
        if (m_pending.size() - pos < total) break;
        Event ev{Event::Frame, {}};
        ev.frame.address = h[2];
        ev.frame.seqType = h[4];
        if (n > 0) {
            ev.frame.data.assign(h + 6, h + 6 + n);
            if (FrameChecksum(h + 6, n) != h[6 + n]) ev.kind = Event::BadData;
        }
        events.push_back(std::move(ev));
        pos += total;
    }
    m_pending.erase(m_pending.begin(), m_pending.begin() + static_cast<std::ptrdiff_t>(pos));
}

}  // namespace jxsim
