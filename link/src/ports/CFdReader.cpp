#include "CFdReader.h"

#include <cerrno>
#include <chrono>
#include <poll.h>
#include <unistd.h>

int64_t KorNetNowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

CFdReader::Result CFdReader::ReadByte(uint8_t& byte, int32_t timeOutMs)
{
    if (m_begin < m_end) {
        byte = m_buffer[m_begin++];
        return Result::Byte;
    }
    if (m_fd < 0) return Result::Error;
    const int64_t deadline = KorNetNowMs() + (timeOutMs > 0 ? timeOutMs : 0);
    for (;;) {
        const int64_t left = deadline - KorNetNowMs();
        pollfd p{m_fd, POLLIN, 0};
        const int ready = poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return Result::Error;
        }
        if (ready == 0) return Result::TimedOut;
        const ssize_t got = read(m_fd, m_buffer, sizeof m_buffer);
        if (got > 0) {
            m_begin = 1;
            m_end = static_cast<size_t>(got);
            byte = m_buffer[0];
            return Result::Byte;
        }
        if (got == 0) return Result::Closed;
        if (errno == EINTR || errno == EAGAIN || errno == EWOULDBLOCK) {
            if (KorNetNowMs() >= deadline) return Result::TimedOut;
            continue;
        }
        return Result::Error;
    }
}

bool KorNetWriteAll(int fd, const uint8_t* bytes, size_t count, int64_t deadlineMs)
{
    if (fd < 0) return false;
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            const int64_t left = deadlineMs - KorNetNowMs();
            if (left <= 0) return false;
            pollfd p{fd, POLLOUT, 0};
            (void)poll(&p, 1, static_cast<int>(left));
            continue;
        }
        return false;
    }
    return true;
}
