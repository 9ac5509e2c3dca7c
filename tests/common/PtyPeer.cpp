#include "PtyPeer.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace {
int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
}  // namespace

PtyPeer::PtyPeer(const TempDir& dir, int comNumber)
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0) throw std::runtime_error("no pty");
    m_slave = ptsname(m_master);
    // Hold the slave open raw, so the master never sees EIO between the
    // library's opens and nothing echoes what the test writes.
    m_keepSlave = open(m_slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    tcgetattr(m_keepSlave, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_keepSlave, TCSANOW, &tio);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    const std::string map = dir.File("ports");
    WriteWholeFile(map, "# test ports\nCOM" + std::to_string(comNumber) + "=" + m_slave + "\n");
    setenv("KORNET_PORTMAP", map.c_str(), 1);
}

PtyPeer::~PtyPeer()
{
    if (m_keepSlave >= 0) close(m_keepSlave);
    if (m_master >= 0) close(m_master);
}

std::vector<uint8_t> PtyPeer::Read(size_t count, int timeoutMs)
{
    std::vector<uint8_t> out;
    const int64_t deadline = NowMs() + timeoutMs;
    while (out.size() < count) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) break;
        pollfd p{m_master, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        uint8_t buf[512];
        const size_t want = count - out.size() < sizeof buf ? count - out.size() : sizeof buf;
        const ssize_t n = read(m_master, buf, want);
        if (n > 0) out.insert(out.end(), buf, buf + n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) usleep(1000);
    }
    return out;
}

std::vector<uint8_t> PtyPeer::ReadFrame(int timeoutMs)
{
    std::vector<uint8_t> frame = Read(6, timeoutMs);
    if (frame.size() == 6 && frame[3] > 0) {
        const auto rest = Read(frame[3] + 1u, timeoutMs);
        frame.insert(frame.end(), rest.begin(), rest.end());
    }
    return frame;
}

std::vector<uint8_t> PtyPeer::Drain(int timeoutMs)
{
    return Read(100000, timeoutMs);
}

void PtyPeer::Write(const std::vector<uint8_t>& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = write(m_master, bytes.data() + done, bytes.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
        else if (n < 0 && errno != EAGAIN && errno != EINTR) return;
        else usleep(500);
    }
}
