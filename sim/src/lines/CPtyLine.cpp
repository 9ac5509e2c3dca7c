#include "lines/CPtyLine.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include "SimTypes.h"

namespace jxsim {

CPtyLine::CPtyLine() { m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

CPtyLine::~CPtyLine()
{
    if (m_slave >= 0) close(m_slave);
    if (m_master >= 0) close(m_master);
    if (m_wake >= 0) close(m_wake);
}

bool CPtyLine::Open(std::string& error)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        error = std::string("cannot open a pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    char name[128] = {};
    if (ptsname_r(m_master, name, sizeof name) != 0) {
        error = std::string("cannot name the pseudo-terminal: ") + std::strerror(errno);
        return false;
    }
    m_slavePath = name;
    m_slave = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    if (m_slave < 0) {
        error = "cannot open " + m_slavePath + ": " + std::strerror(errno);
        return false;
    }
    // Raw until the host sets its own settings: nothing echoed, nothing
    // translated, so frames pass as they are.
    termios tio{};
    tcgetattr(m_slave, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_slave, TCSANOW, &tio);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    return true;
}

bool CPtyLine::WaitForPeer() { return !m_stopped && m_master >= 0; }

CSimLine::ReadResult CPtyLine::Read(uint8_t* buffer, size_t capacity, int timeoutMs)
{
    ReadResult r;
    pollfd p[2] = {{m_master, POLLIN, 0}, {m_wake, POLLIN, 0}};
    const int n = poll(p, 2, timeoutMs);
    if (n < 0) {
        r.status = errno == EINTR ? ReadResult::Timeout : ReadResult::Failed;
        return r;
    }
    if (p[1].revents != 0) {
        m_stopped = true;
        r.status = ReadResult::Stopped;
        return r;
    }
    if (n == 0 || p[0].revents == 0) return r;
    const ssize_t got = read(m_master, buffer, capacity);
    if (got > 0) {
        r.status = ReadResult::Data;
        r.count = static_cast<size_t>(got);
        r.speed = HostSpeed();
    } else if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
        r.status = ReadResult::Timeout;
    } else {
        r.status = ReadResult::Failed;
    }
    return r;
}

bool CPtyLine::Write(const uint8_t* bytes, size_t count)
{
    size_t done = 0;
    bool flushed = false;
    const int64_t deadline = NowMs() + kWriteLimitMs;
    while (done < count) {
        const ssize_t n = write(m_master, bytes + done, count - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno == EAGAIN) {
            // The slave's input queue is full of replies nobody read (the
            // host closed the port or gave up): they are stale, so drop them
            // once rather than block the line.
            if (!flushed) {
                tcflush(m_slave, TCIFLUSH);
                flushed = true;
                continue;
            }
            const int64_t left = deadline - NowMs();
            if (left <= 0) return false;
            pollfd p[2] = {{m_master, POLLOUT, 0}, {m_wake, POLLIN, 0}};
            (void)poll(p, 2, static_cast<int>(left < 50 ? left : 50));
            if (p[1].revents != 0) return false;  // stopping
            continue;
        }
        return false;
    }
    return true;
}

void CPtyLine::Interrupt()
{
    const uint64_t one = 1;
    (void)!write(m_wake, &one, sizeof one);
}

uint32_t CPtyLine::HostSpeed() const
{
    termios tio{};
    if (m_slave < 0 || tcgetattr(m_slave, &tio) != 0) return 0;
    return BaudOf(cfgetospeed(&tio));
}

uint32_t CPtyLine::BaudOf(unsigned speedConstant)
{
    static const struct {
        speed_t constant;
        uint32_t baud;
    } kSpeeds[] = {
        {B0, 0},           {B50, 50},         {B75, 75},         {B110, 110},       {B134, 134},
        {B150, 150},       {B200, 200},       {B300, 300},       {B600, 600},       {B1200, 1200},
        {B1800, 1800},     {B2400, 2400},     {B4800, 4800},     {B9600, 9600},     {B19200, 19200},
        {B38400, 38400},   {B57600, 57600},   {B115200, 115200}, {B230400, 230400}, {B460800, 460800},
        {B500000, 500000}, {B576000, 576000}, {B921600, 921600}, {B1000000, 1000000},
    };
    for (const auto& s : kSpeeds)
        if (s.constant == speedConstant) return s.baud;
    return 0;
}

}  // namespace jxsim
