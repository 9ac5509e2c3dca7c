#include "RawHost.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace {
int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

speed_t SpeedConstant(uint32_t baud)
{
    switch (baud) {
    case 1200: return B1200;
    case 2400: return B2400;
    case 4800: return B4800;
    case 9600: return B9600;
    case 19200: return B19200;
    case 38400: return B38400;
    case 57600: return B57600;
    case 115200: return B115200;
    default: throw std::invalid_argument("no termios speed for " + std::to_string(baud));
    }
}
}  // namespace

RawHost RawHost::Tcp(uint16_t port, int receiveBuffer)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd >= 0 && receiveBuffer > 0) setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd < 0 || connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (fd >= 0) close(fd);
        return RawHost(-1);
    }
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return RawHost(fd);
}

RawHost RawHost::Serial(const std::string& device, uint32_t baud)
{
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    RawHost host(fd);
    if (fd >= 0) host.SetSpeed(baud);
    return host;
}

RawHost::RawHost(RawHost&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }

RawHost::~RawHost()
{
    if (m_fd >= 0) close(m_fd);
}

void RawHost::SetSpeed(uint32_t baud)
{
    termios tio{};
    tcgetattr(m_fd, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, SpeedConstant(baud));
    cfsetospeed(&tio, SpeedConstant(baud));
    tcsetattr(m_fd, TCSANOW, &tio);
}

void RawHost::Write(const Bytes& bytes)
{
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_fd, bytes.data() + done, bytes.size() - done);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{m_fd, POLLOUT, 0};
            poll(&p, 1, 100);
        } else {
            return;
        }
    }
}

Bytes RawHost::Read(size_t count, int timeoutMs)
{
    Bytes out;
    const int64_t deadline = NowMs() + timeoutMs;
    while (out.size() < count) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) break;
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        uint8_t buf[512];
        const size_t want = count - out.size() < sizeof buf ? count - out.size() : sizeof buf;
        const ssize_t n = ::read(m_fd, buf, want);
        if (n > 0) out.insert(out.end(), buf, buf + n);
        else if (n == 0) break;  // closed
        else if (errno != EAGAIN && errno != EINTR) break;
    }
    return out;
}

Bytes RawHost::ReadFrame(int timeoutMs)
{
    Bytes start;
    const int64_t deadline = NowMs() + timeoutMs;
    do {
        start = Read(1, static_cast<int>(deadline - NowMs()));
    } while (!start.empty() && start[0] != 0x55 && NowMs() < deadline);
    if (start.empty() || start[0] != 0x55) return {};
    Bytes frame = start;
    const Bytes head = Read(5, static_cast<int>(deadline - NowMs()));
    frame.insert(frame.end(), head.begin(), head.end());
    if (frame.size() == 6 && frame[3] > 0) {
        const Bytes rest = Read(frame[3] + 1u, static_cast<int>(deadline - NowMs()));
        frame.insert(frame.end(), rest.begin(), rest.end());
    }
    return frame;
}

Bytes RawHost::Drain(int timeoutMs) { return Read(1 << 20, timeoutMs); }

bool RawHost::Closed(int timeoutMs)
{
    const int64_t deadline = NowMs() + timeoutMs;
    for (;;) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) return false;
        pollfd p{m_fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        uint8_t b;
        const ssize_t n = ::read(m_fd, &b, 1);
        if (n == 0 || (n < 0 && errno == ECONNRESET)) return true;
    }
}

bool RawHost::FloodUntilStalled(const std::vector<Bytes>& frames, int quietMs, int timeoutMs)
{
    // The frames go in large writes, as a host in a hurry sends them.
    Bytes chunk;
    while (chunk.size() < 16384)
        for (const Bytes& f : frames) chunk.insert(chunk.end(), f.begin(), f.end());
    const int64_t deadline = NowMs() + timeoutMs;
    int64_t lastTaken = NowMs();
    size_t at = 0;
    while (NowMs() < deadline) {
        const ssize_t n = ::send(m_fd, chunk.data() + at, chunk.size() - at, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            lastTaken = NowMs();
            at = (at + static_cast<size_t>(n)) % chunk.size();
            continue;
        }
        if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
        const int64_t quiet = NowMs() - lastTaken;
        if (quiet >= quietMs) return true;
        pollfd p{m_fd, POLLOUT, 0};
        poll(&p, 1, static_cast<int>(quietMs - quiet));
    }
    return false;
}

bool RawHost::Dropped(int timeoutMs)
{
    pollfd p{m_fd, POLLRDHUP, 0};
    return poll(&p, 1, timeoutMs) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR)) != 0;
}

Bytes JxRequest(uint8_t sub, size_t length)
{
    Bytes r(length, 0);
    r[0] = 0x80;
    r[1] = sub;
    return r;
}

std::vector<Bytes> BlockRequestFlood(uint8_t address, const std::string& name)
{
    Bytes get = JxRequest(2, 120);
    PutName(get, 3, name);
    std::vector<Bytes> frames = {MakeFrame(address, 0x10, get)};
    Bytes block = JxRequest(6, 5);
    block[3] = 1;
    for (unsigned seq = 0x20; seq <= 0xF0; seq += 0x10) frames.push_back(MakeFrame(address, static_cast<uint8_t>(seq), block));
    return frames;
}

void PutName(Bytes& request, size_t offset, const std::string& name)
{
    for (size_t i = 0; i < 110 && offset + i < request.size(); ++i) request[offset + i] = i < name.size() ? name[i] : 0;
}

Bytes ReplyData(const Bytes& frame)
{
    if (frame.size() < 7 || frame.size() != frame[3] + 7u) return {};
    return Bytes(frame.begin() + 6, frame.end() - 1);
}
