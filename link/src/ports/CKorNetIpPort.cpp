#include "CKorNetIpPort.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include "CFdReader.h"  // KorNetNowMs
#include "KorNet.h"

namespace {
// How often a pending connect looks at the abort flag.
constexpr int kAbortPollMs = 50;
}  // namespace

CKorNetIpPort::CKorNetIpPort(int16_t tcpPort) : m_tcpPort(static_cast<uint16_t>(tcpPort)) {}

CKorNetIpPort::CKorNetIpPort(const uint8_t address[4], int16_t tcpPort) : CKorNetIpPort(tcpPort)
{
    SetAddress(address);
}

CKorNetIpPort::~CKorNetIpPort()
{
    if (m_fd >= 0) ::close(m_fd);
}

void CKorNetIpPort::SetAddress(const uint8_t address[4])
{
    std::memcpy(m_address, address, sizeof m_address);
    m_hasAddress = true;
}

int32_t CKorNetIpPort::ConnectWaitMs(int32_t timeOut)
{
    const int64_t wait = static_cast<int64_t>(timeOut) * CKorNetwork::CONNECT_WAIT_FACTOR;
    if (wait < CKorNetwork::CONNECT_WAIT_MIN_MS) return CKorNetwork::CONNECT_WAIT_MIN_MS;
    if (wait > CKorNetwork::CONNECT_WAIT_MAX_MS) return CKorNetwork::CONNECT_WAIT_MAX_MS;
    return static_cast<int32_t>(wait);
}

// The system's own connect gives up on an unreachable host only after about
// two minutes, far too long for a technician on a ladder. The connect runs
// non-blocking instead, and the wait for it is bounded and watches Abort.
int16_t CKorNetIpPort::Open()
{
    Close();
    if (!m_hasAddress) return ERR_NETWORK_CONNECT_FAILED;
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) return ERR_SOCKET_NO_CREATE;

    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(m_tcpPort);
    std::memcpy(&peer.sin_addr.s_addr, m_address, sizeof m_address);  // already most significant first

    auto fail = [fd] {
        ::close(fd);
        return ERR_NETWORK_CONNECT_FAILED;
    };
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&peer), sizeof peer) != 0) {
        if (errno != EINPROGRESS && errno != EINTR) return fail();
        const int64_t deadline = KorNetNowMs() + ConnectWaitMs(m_timeOut);
        for (;;) {
            if (AbortRequested()) return fail();
            const int64_t left = deadline - KorNetNowMs();
            if (left <= 0) return fail();
            pollfd p{fd, POLLOUT, 0};
            const int ready = ::poll(&p, 1, static_cast<int>(left < kAbortPollMs ? left : kAbortPollMs));
            if (ready > 0) break;
            if (ready < 0 && errno != EINTR) return fail();
        }
        int error = 0;
        socklen_t size = sizeof error;
        if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) return fail();
    }

    // Every frame leaves at once instead of waiting to be merged with the next.
    const int one = 1;
    (void)::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // From here on sends block, bounded by the time-out (SO_SNDTIMEO);
    // replies are waited for with poll, so that Abort is looked at.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return fail();
    m_fd = fd;
    m_reader.Reset(fd);
    m_timeOutsChanged = true;
    return KORNET_OK;
}

int16_t CKorNetIpPort::Close()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    m_reader.Reset(-1);
    return KORNET_OK;
}

void CKorNetIpPort::ApplyTimeOuts()
{
    if (!m_timeOutsChanged || m_fd < 0) return;
    // A zero timeval means "wait for ever" to the socket.
    const int32_t sendMs = (m_timeOut > 0 ? m_timeOut : 0) + 250;
    const timeval send{sendMs / 1000, (sendMs % 1000) * 1000};
    (void)::setsockopt(m_fd, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send);
    m_timeOutsChanged = false;
}

int16_t CKorNetIpPort::Write(const uint8_t* bytes, int16_t length)
{
    if (m_fd < 0 || length < 0 || (bytes == nullptr && length > 0)) return ERR_NETWORK_NO_WRITE;
    ApplyTimeOuts();
    // The whole frame must leave: half a frame would only confuse the
    // controller. MSG_NOSIGNAL: a controller that hung up is a status, not a
    // SIGPIPE that ends the caller's program.
    const size_t total = static_cast<size_t>(length);
    size_t done = 0;
    while (done < total) {
        const ssize_t n = ::send(m_fd, bytes + done, total - done, MSG_NOSIGNAL);
        if (n > 0) {
            done += static_cast<size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return ERR_NETWORK_NO_WRITE;  // an error, or no room within the send time-out
    }
    return KORNET_OK;
}

// Waits with poll in short slices (the caller looks at Abort between them),
// then takes what has arrived. A controller that hung up answers nothing.
int16_t CKorNetIpPort::ReadByteWithin(uint8_t& byte, int32_t waitMs)
{
    switch (m_reader.ReadByte(byte, waitMs)) {
    case CFdReader::Result::Byte: return KORNET_OK;
    case CFdReader::Result::TimedOut:
    case CFdReader::Result::Closed: return ERR_SIGN_NO_RESPONSE;
    case CFdReader::Result::Error: break;
    }
    return ERR_NETWORK_NO_READ;
}

// Drops what the receive buffer holds and one helping of what the system
// holds; anything still arriving is left to the start-byte hunt.
void CKorNetIpPort::FlushInput()
{
    m_reader.Discard();
    if (m_fd < 0) return;
    uint8_t junk[255];
    (void)::recv(m_fd, junk, sizeof junk, MSG_DONTWAIT);
}

std::string KorNetRemoteLogName(const uint8_t address[4], uint16_t tcpPort)
{
    char name[64];
    std::snprintf(name, sizeof name, "Remote %d,%d,%d,%d;%d.txt", address[0], address[1], address[2], address[3],
                  static_cast<int>(tcpPort));
    return name;
}

int16_t KorNetLookupStatus(int gaiError, int sysErrno)
{
    switch (gaiError) {
    case 0: return KORNET_OK;
    case EAI_NONAME: return ERR_DNS_HOST_NOT_FOUND;
    case EAI_AGAIN: return ERR_DNS_TRY_AGAIN;
    case EAI_FAIL: return ERR_DNS_NO_RECOVERY;
#ifdef EAI_NODATA
    case EAI_NODATA: return ERR_DNS_NO_DATA;
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY: return ERR_DNS_NO_DATA;  // the name exists, but without an IPv4 address
#endif
#ifdef EAI_INTR
    case EAI_INTR: return ERR_DNS_INTERRUPTED;
#endif
#ifdef EAI_INPROGRESS
    case EAI_INPROGRESS: return ERR_DNS_IN_PROGRESS;
#endif
    case EAI_SYSTEM:
        switch (sysErrno) {
        case EINTR: return ERR_DNS_INTERRUPTED;
        case ENETDOWN:
        case ENETUNREACH: return ERR_DNS_NETWORK_DOWN;
        case EFAULT: return ERR_DNS_BAD_ADDRESS;
        default: return ERR_DNS_NO_RECOVERY;
        }
    default:
        // Out of memory and the like: the look-up failed and cannot be helped
        // by trying again; never report a failed look-up as success.
        return ERR_DNS_NO_RECOVERY;
    }
}

int16_t KorNetResolveHost(const char* hostName, uint8_t address[4])
{
    if (hostName == nullptr) return ERR_DNS_BAD_ADDRESS;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(hostName, nullptr, &hints, &found);
    const int sysErrno = errno;
    if (rc != 0) return KorNetLookupStatus(rc, sysErrno);
    int16_t status = ERR_DNS_NO_DATA;
    for (const addrinfo* a = found; a != nullptr; a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addr != nullptr && a->ai_addrlen >= sizeof(sockaddr_in)) {
            const auto* in = reinterpret_cast<const sockaddr_in*>(a->ai_addr);
            std::memcpy(address, &in->sin_addr.s_addr, 4);
            status = KORNET_OK;
            break;
        }
    }
    ::freeaddrinfo(found);
    return status;
}
