#include "TcpPeer.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
int64_t NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
void NoDelay(int fd)
{
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}
}  // namespace

const uint8_t* TcpPeer::Loopback()
{
    static const uint8_t kLoopback[4] = {127, 0, 0, 1};
    return kLoopback;
}

TcpPeer::TcpPeer(int backlog)
{
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0) throw std::runtime_error("no socket");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = 0;
    socklen_t size = sizeof a;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(m_listener, backlog) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &size) != 0)
        throw std::runtime_error("no listener");
    m_port = ntohs(a.sin_port);
}

TcpPeer::~TcpPeer()
{
    HangUp();
    CloseListener();
}

bool TcpPeer::Accept(int timeoutMs)
{
    HangUp();
    if (m_listener < 0) return false;
    pollfd p{m_listener, POLLIN, 0};
    if (poll(&p, 1, timeoutMs) <= 0) return false;
    m_conn = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
    if (m_conn >= 0) NoDelay(m_conn);
    return m_conn >= 0;
}

void TcpPeer::HangUp()
{
    if (m_conn >= 0) close(m_conn);
    m_conn = -1;
}

void TcpPeer::CloseListener()
{
    if (m_listener >= 0) close(m_listener);
    m_listener = -1;
}

bool TcpPeer::Connected()
{
    return m_conn >= 0 || Accept(2000);
}

std::vector<uint8_t> TcpPeer::Read(size_t count, int timeoutMs)
{
    std::vector<uint8_t> out;
    if (!Connected()) return out;
    const int64_t deadline = NowMs() + timeoutMs;
    while (out.size() < count) {
        const int64_t left = deadline - NowMs();
        if (left <= 0) break;
        pollfd p{m_conn, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        uint8_t buf[4096];
        const size_t want = count - out.size() < sizeof buf ? count - out.size() : sizeof buf;
        const ssize_t n = recv(m_conn, buf, want, 0);
        if (n > 0) out.insert(out.end(), buf, buf + n);
        else if (n == 0) break;  // the library closed the connection
        else if (errno != EAGAIN && errno != EINTR) break;
    }
    return out;
}

std::vector<uint8_t> TcpPeer::ReadFrame(int timeoutMs)
{
    std::vector<uint8_t> frame = Read(6, timeoutMs);
    if (frame.size() == 6 && frame[3] > 0) {
        const auto rest = Read(frame[3] + 1u, timeoutMs);
        frame.insert(frame.end(), rest.begin(), rest.end());
    }
    return frame;
}

std::vector<uint8_t> TcpPeer::Drain(int timeoutMs)
{
    return Read(1000000, timeoutMs);
}

void TcpPeer::Write(const std::vector<uint8_t>& bytes)
{
    if (!Connected()) return;
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = send(m_conn, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
        } else if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{m_conn, POLLOUT, 0};
            poll(&p, 1, 100);
        } else {
            return;
        }
    }
}

void TcpPeer::WriteInPieces(const std::vector<uint8_t>& bytes, size_t piece, int pauseMs)
{
    for (size_t at = 0; at < bytes.size(); at += piece) {
        const size_t n = bytes.size() - at < piece ? bytes.size() - at : piece;
        Write(std::vector<uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                   bytes.begin() + static_cast<std::ptrdiff_t>(at + n)));
        if (at + n < bytes.size()) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
    }
}

int TcpConnectLoopback(uint16_t port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    if (connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(fd);
        return -1;
    }
    NoDelay(fd);
    return fd;
}
