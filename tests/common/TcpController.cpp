#include "TcpController.h"

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace {
constexpr int kStopPollMs = 20;

uint8_t NegativeSum(const uint8_t* p, size_t n)
{
    unsigned s = 0;
    for (size_t i = 0; i < n; ++i) s += p[i];
    return static_cast<uint8_t>(0x100 - (s & 0xFF));
}
}  // namespace

std::vector<uint8_t> ControllerFrame(uint8_t address, uint8_t seqType, const std::vector<uint8_t>& data)
{
    std::vector<uint8_t> f = {0x55, 0xAA, address, static_cast<uint8_t>(data.size()), seqType};
    f.push_back(NegativeSum(f.data(), 5));
    if (!data.empty()) {
        f.insert(f.end(), data.begin(), data.end());
        f.push_back(NegativeSum(data.data(), data.size()));
    }
    return f;
}

std::vector<uint8_t> ControllerReply(const std::vector<uint8_t>& request, uint8_t type,
                                     const std::vector<uint8_t>& data)
{
    return ControllerFrame(request[2], static_cast<uint8_t>((request[4] & 0xF0) | type), data);
}

TcpController::TcpController(Handler handler) : m_handler(std::move(handler))
{
    m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listener < 0) throw std::runtime_error("no socket");
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (bind(m_listener, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(m_listener, 4) != 0 ||
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&a), &size) != 0)
        throw std::runtime_error("no listener");
    m_port = ntohs(a.sin_port);
    m_thread = std::thread([this] { Run(); });
}

TcpController::~TcpController()
{
    m_stop.store(true);
    m_thread.join();
    close(m_listener);
}

bool TcpController::ReadExact(int fd, uint8_t* into, size_t count)
{
    size_t got = 0;
    while (got < count) {
        if (m_stop.load()) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = poll(&p, 1, kStopPollMs);
        if (ready < 0 && errno != EINTR) return false;
        if (ready <= 0) continue;
        const ssize_t n = recv(fd, into + got, count - got, 0);
        if (n == 0) return false;
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return false;
        }
        got += static_cast<size_t>(n);
    }
    return true;
}

void TcpController::Send(int fd, const std::vector<uint8_t>& bytes)
{
    const size_t piece = m_piece.load() == 0 ? bytes.size() : m_piece.load();
    for (size_t at = 0; at < bytes.size();) {
        const size_t want = bytes.size() - at < piece ? bytes.size() - at : piece;
        const ssize_t n = send(fd, bytes.data() + at, want, MSG_NOSIGNAL);
        if (n <= 0) {
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            return;
        }
        at += static_cast<size_t>(n);
        // Separate segments: the library must see the reply arrive in parts.
        if (piece < bytes.size() && at < bytes.size()) std::this_thread::sleep_for(std::chrono::microseconds(300));
    }
}

void TcpController::Run()
{
    while (!m_stop.load()) {
        pollfd p{m_listener, POLLIN, 0};
        if (poll(&p, 1, kStopPollMs) <= 0) continue;
        const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        const int one = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        ++m_connections;
        std::vector<uint8_t> frame;
        for (;;) {
            // Hunt for the start byte, then the header, then data and checksum.
            uint8_t b = 0;
            bool ok = true;
            do {
                ok = ReadExact(fd, &b, 1);
            } while (ok && b != 0x55);
            if (!ok) break;
            frame.assign(6, 0);
            frame[0] = b;
            if (!ReadExact(fd, frame.data() + 1, 5)) break;
            if (frame[3] > 0) {
                frame.resize(6 + frame[3] + 1u);
                if (!ReadExact(fd, frame.data() + 6, frame[3] + 1u)) break;
            }
            ++m_frames;
            const Answer answer = m_handler(frame);
            if (answer.hangUp) break;
            if (!answer.bytes.empty()) Send(fd, answer.bytes);
        }
        close(fd);
    }
}
