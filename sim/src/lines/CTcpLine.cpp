#include "lines/CTcpLine.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include "SimTypes.h"

namespace jxsim {

CTcpLine::CTcpLine() { m_wake = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK); }

CTcpLine::~CTcpLine()
{
    CloseClient();
    if (m_listen >= 0) close(m_listen);
    if (m_wake >= 0) close(m_wake);
}

bool CTcpLine::Listen(const std::string& host, uint16_t port, std::string& error)
{
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(host.empty() ? nullptr : host.c_str(), nullptr, &hints, &found);
    if (rc != 0 || found == nullptr) {
        error = "cannot resolve " + host + ": " + gai_strerror(rc);
        return false;
    }
    sockaddr_in addr{};
    std::memcpy(&addr, found->ai_addr, sizeof addr);
    freeaddrinfo(found);
    addr.sin_port = htons(port);

    m_listen = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listen < 0) {
        error = std::string("cannot create a socket: ") + std::strerror(errno);
        return false;
    }
    const int one = 1;
    setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    if (bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(m_listen, 4) != 0) {
        error = "cannot listen on " + host + ":" + std::to_string(port) + ": " + std::strerror(errno);
        close(m_listen);
        m_listen = -1;
        return false;
    }
    socklen_t len = sizeof addr;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &addr.sin_addr, text, sizeof text);
    m_host = text;
    m_port = ntohs(addr.sin_port);
    return true;
}

std::string CTcpLine::Where() const { return m_host + ":" + std::to_string(m_port); }

bool CTcpLine::WaitForPeer()
{
    CloseClient();
    for (;;) {
        pollfd p[2] = {{m_listen, POLLIN, 0}, {m_wake, POLLIN, 0}};
        if (poll(p, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (p[1].revents != 0) return false;
        if ((p[0].revents & POLLIN) == 0) {
            if (p[0].revents != 0) return false;
            continue;
        }
        const int fd = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED || errno == EAGAIN) continue;
            return false;
        }
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        m_client = fd;
        return true;
    }
}

CSimLine::ReadResult CTcpLine::Read(uint8_t* buffer, size_t capacity, int timeoutMs)
{
    ReadResult r;
    if (m_client < 0) {
        r.status = ReadResult::PeerGone;
        return r;
    }
    pollfd p[2] = {{m_client, POLLIN, 0}, {m_wake, POLLIN, 0}};
    const int n = poll(p, 2, timeoutMs);
    if (n < 0) {
        r.status = errno == EINTR ? ReadResult::Timeout : ReadResult::Failed;
        return r;
    }
    if (p[1].revents != 0) {
        r.status = ReadResult::Stopped;
        return r;
    }
    if (n == 0 || p[0].revents == 0) return r;
    const ssize_t got = recv(m_client, buffer, capacity, 0);
    if (got > 0) {
        r.status = ReadResult::Data;
        r.count = static_cast<size_t>(got);
    } else if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        r.status = ReadResult::Timeout;
    } else {
        CloseClient();
        r.status = ReadResult::PeerGone;
    }
    return r;
}

bool CTcpLine::Write(const uint8_t* bytes, size_t count)
{
    size_t done = 0;
    const int64_t deadline = NowMs() + kWriteLimitMs;
    while (done < count) {
        if (m_client < 0) return false;
        const ssize_t n = send(m_client, bytes + done, count - done, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            // The client's window is shut: it asks and does not read. Wait
            // a while for room, but never past the limit, and never while
            // the simulator is asked to stop.
            const int64_t left = deadline - NowMs();
            if (left <= 0) {
                AbortClient();
                return false;
            }
            pollfd p[2] = {{m_client, POLLOUT, 0}, {m_wake, POLLIN, 0}};
            if (poll(p, 2, static_cast<int>(left)) < 0 && errno != EINTR) return false;
            if (p[1].revents != 0) return false;
            continue;
        }
        return false;
    }
    return true;
}

bool CTcpLine::DropPeer()
{
    CloseClient();
    return true;
}

void CTcpLine::Interrupt()
{
    const uint64_t one = 1;
    (void)!write(m_wake, &one, sizeof one);
}

void CTcpLine::AbortClient()
{
    if (m_client < 0) return;
    // Reset rather than close: the replies still queued for a client that
    // does not read would otherwise keep the connection half alive.
    const linger reset{1, 0};
    setsockopt(m_client, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    close(m_client);
    m_client = -1;
}

void CTcpLine::CloseClient()
{
    if (m_client < 0) return;
    shutdown(m_client, SHUT_RDWR);
    close(m_client);
    m_client = -1;
}

}  // namespace jxsim
