#include "CKorNetSerialPort.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include "CComPortMap.h"
#include "../CKorNetPacket.h"
#include "KorNet.h"

namespace {
bool SpeedFor(int32_t baud, speed_t& speed)
{
    struct Entry {
        int32_t baud;
        speed_t speed;
    };
    static const Entry kSpeeds[] = {
        {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
        {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
        {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
        {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {500000, B500000},
        {576000, B576000}, {921600, B921600}, {1000000, B1000000},
    };
    for (const auto& e : kSpeeds) {
        if (e.baud == baud) {
            speed = e.speed;
            return true;
        }
    }
    return false;
}

// RS-485 converters want RTS up only while we transmit. Drivers that cannot
// do it answer ENOTTY; that is fine for RS-232 lines and pseudo-terminals.
void TryRs485RtsOnSend(int fd)
{
    serial_rs485 rs485{};
    if (ioctl(fd, TIOCGRS485, &rs485) != 0) return;
    rs485.flags |= SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND;
    rs485.flags &= ~static_cast<uint32_t>(SER_RS485_RTS_AFTER_SEND);
    (void)ioctl(fd, TIOCSRS485, &rs485);
}

int OpenDevice(const char* path, int flags) { return ::open(path, flags); }

std::string GroupName(gid_t gid)
{
    char buffer[4096];
    group entry{};
    group* found = nullptr;
    if (getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) return found->gr_name;
    return std::to_string(gid);
}

std::string UserName(uid_t uid)
{
    char buffer[4096];
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr) return found->pw_name;
    return std::to_string(uid);
}

// Why the operator may not open `device`, and what fixes it. Serial devices
// are normally given read and write to one group (dialout on Debian, uucp on
// some others), so joining that group is the usual cure; a device only its
// owner may use needs the administrator instead.
std::string PermissionText(const std::string& device, const std::string& port)
{
    std::string text = "Permission denied: " + port + " cannot be opened by this user.";
    struct stat st {};
    if (::stat(device.c_str(), &st) != 0) return text;
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP)) {
        const std::string group = GroupName(st.st_gid);
        return text + " The device belongs to group '" + group + "': add your user to it (sudo usermod -aG " + group +
               " $USER), then log out and back in.";
    }
    return text + " Only its owner '" + UserName(st.st_uid) +
           "' may use the device: ask the administrator to give it to a group you are in (a udev rule).";
}
}  // namespace

CKorNetSerialPort::CKorNetSerialPort(int16_t comPort, int32_t baudRate, bool flag)
    : m_openDevice(OpenDevice), m_baudRate(baudRate), m_comPort(comPort), m_flag(flag)
{
}

CKorNetSerialPort::~CKorNetSerialPort()
{
    // The link disconnects before it drops a port; this only guards against
    // leaking the descriptor when a caller forgot.
    if (m_fd >= 0) ::close(m_fd);
}

int16_t CKorNetSerialPort::Open()
{
    m_timeOutsChanged = true;
    m_lastErrorText.clear();
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        m_reader.Reset(-1);
    }
    const std::string com = "COM" + std::to_string(m_comPort);
    const std::string device = KorNetResolveComPort(m_comPort);
    if (device.empty())
        return Failed(com + " is not a known port: no serial device is numbered so. Name its device with a line " + com +
                      "=/dev/ttyUSB0 in " + KorNetPortMapPath() + ".");
    const std::string port = device + " (" + com + ")";
    speed_t speed{};
    if (!SpeedFor(m_baudRate, speed))
        return Failed(std::to_string(m_baudRate) + " baud is not a speed a serial port can be set to.");

    const int fd = m_openDevice(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM) return Failed(PermissionText(device, port));
        // EBUSY: another program has set the line for its exclusive use.
        if (error == EBUSY) return Failed(port + " is in use by another program: close that program and try again.");
        if (error == ENOENT || error == ENODEV || error == ENXIO)
            return Failed(port + " is not present: is the adapter plugged in?");
        return Failed("Cannot open " + port + ": " + std::strerror(error) + ".");
    }
    // Exclusive use: another program holding the port makes the open fail.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error != EWOULDBLOCK) return Failed("Cannot lock " + port + ": " + std::strerror(error) + ".");
        return Failed(port + " is in use by another program: close that program and try again.");
    }

    termios tio{};
    if (tcgetattr(fd, &tio) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == ENOTTY) return Failed(port + " is not a serial device.");
        return Failed("Cannot set up " + port + ": " + std::strerror(error) + ".");
    }
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY | INPCK | ISTRIP | IGNBRK | BRKINT | PARMRK);
    tio.c_iflag |= IGNPAR;
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | HUPCL);
    tio.c_cflag |= CS8 | CREAD | CLOCAL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, speed);
    cfsetospeed(&tio, speed);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        const int error = errno;
        ::close(fd);
        return Failed("Cannot set " + port + " to " + std::to_string(m_baudRate) + " baud: " + std::strerror(error) + ".");
    }
    TryRs485RtsOnSend(fd);
    m_fd = fd;
    m_reader.Reset(fd);
    return KORNET_OK;
}

// A failed open keeps nothing open and says why (LastErrorText); the status
// stays the one callers test for.
int16_t CKorNetSerialPort::Failed(const std::string& reason)
{
    m_lastErrorText = reason;
    return ERR_NETWORK_CONNECT_FAILED;
}

int16_t CKorNetSerialPort::Close()
{
    if (m_fd < 0) return KORNET_OK;
    const int fd = m_fd;
    m_fd = -1;
    m_reader.Reset(-1);
    return ::close(fd) == 0 ? KORNET_OK : ERR_NETWORK_DISCONNECT_INVALID;
}

int16_t CKorNetSerialPort::Write(const uint8_t* bytes, int16_t length)
{
    if (m_fd < 0 || length < 0 || (bytes == nullptr && length > 0)) return ERR_NETWORK_NO_WRITE;
    // The reply time-out is read per byte (ReadByte), so nothing needs to be
    // pushed to the device when it changes.
    m_timeOutsChanged = false;
    // A whole frame must leave, or the controller sees a broken one. The
    // writes wait for room in the driver for at most one time-out.
    const int64_t deadline = KorNetNowMs() + (m_timeOut > 0 ? m_timeOut : 0) + 250;
    if (!KorNetWriteAll(m_fd, bytes, static_cast<size_t>(length), deadline)) return ERR_NETWORK_NO_WRITE;
    return KORNET_OK;
}

int32_t CKorNetSerialPort::ReplyLimitMs() const
{
    const int64_t baud = m_baudRate > 0 ? m_baudRate : 1;
    const int64_t frameMs = (static_cast<int64_t>(kornet::kFrameMax) * 10 * 1000 + baud - 1) / baud;
    const int64_t limit = (m_timeOut > 0 ? m_timeOut : 0) + 2 * frameMs + 250;
    return static_cast<int32_t>(std::min<int64_t>(limit, INT32_MAX));
}

int16_t CKorNetSerialPort::ReadByteWithin(uint8_t& byte, int32_t waitMs)
{
    switch (m_reader.ReadByte(byte, waitMs)) {
    case CFdReader::Result::Byte: return KORNET_OK;
    case CFdReader::Result::TimedOut: return ERR_SIGN_NO_RESPONSE;
    case CFdReader::Result::Closed:
    case CFdReader::Result::Error: break;
    }
    return ERR_NETWORK_NO_READ;
}

void CKorNetSerialPort::FlushInput()
{
    m_reader.Discard();
    if (m_fd >= 0) tcflush(m_fd, TCIFLUSH);
}
