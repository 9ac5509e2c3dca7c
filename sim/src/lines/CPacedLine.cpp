#include "lines/CPacedLine.h"

#include <algorithm>
#include <thread>

namespace jxsim {

namespace {
// Bytes handed to the line at a time: small enough that they arrive about
// when the cable would deliver them.
constexpr size_t kChunk = 8;
}  // namespace

CLineClock::Clock::duration CLineClock::ByteTime(uint32_t baud)
{
    return std::chrono::duration_cast<Clock::duration>(std::chrono::nanoseconds(10'000'000'000LL / baud));
}

CLineClock::Clock::time_point CLineClock::Pass(size_t count, uint32_t baud, Clock::time_point now)
{
    if (baud == 0) return now;  // a dropped line (B0) has no speed to keep
    m_free = std::max(m_free, now) + ByteTime(baud) * static_cast<int64_t>(count);
    return m_free;
}

CSimLine::ReadResult CPacedLine::Read(uint8_t* buffer, size_t capacity, int timeoutMs)
{
    ReadResult r = m_inner->Read(buffer, capacity, timeoutMs);
    // The host wrote them at once; on a cable the last one is here only now.
    if (r.status == ReadResult::Data && r.count > 0)
        std::this_thread::sleep_until(m_in.Pass(r.count, r.speed, CLineClock::Clock::now()));
    return r;
}

bool CPacedLine::Write(const uint8_t* bytes, size_t count)
{
    const uint32_t baud = m_inner->HostSpeed();
    for (size_t done = 0; done < count;) {
        const size_t n = std::min(kChunk, count - done);
        std::this_thread::sleep_until(m_out.Pass(n, baud, CLineClock::Clock::now()));
        if (!m_inner->Write(bytes + done, n)) return false;
        done += n;
    }
    return true;
}

}  // namespace jxsim
