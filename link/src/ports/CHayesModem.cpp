#include "CHayesModem.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {
// Waits are cut into slices so a stop request is seen quickly.
constexpr int64_t kSliceMs = 50;
constexpr size_t kLineMax = 256;

bool SpeedConstant(uint32_t baud, speed_t& speed)
{
    static const struct {
        uint32_t baud;
        speed_t speed;
    } kSpeeds[] = {{300, B300},       {600, B600},       {1200, B1200},     {2400, B2400},     {4800, B4800},
                   {9600, B9600},     {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
                   {230400, B230400}, {460800, B460800}, {921600, B921600}};
    for (const auto& s : kSpeeds)
        if (s.baud == baud) {
            speed = s.speed;
            return true;
        }
    return false;
}

std::string Upper(const std::string& s)
{
    std::string u = s;
    for (auto& c : u) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }
}  // namespace

CHayesModem::Code CHayesModem::ParseResult(const std::string& text)
{
    const std::string line = Upper(text);
    if (line.empty()) return Code::None;
    if (std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; }) && line.size() <= 3) {
        // Numeric results (V0). 5 and 9 up are CONNECT at some speed.
        switch (std::stoi(line)) {
        case 0: return Code::Ok;
        case 1: return Code::Connect;
        case 2: return Code::Ring;
        case 3: return Code::NoCarrier;
        case 4: return Code::Error;
        case 6: return Code::NoDialTone;
        case 7: return Code::Busy;
        case 8: return Code::NoAnswer;
        default: return Code::Connect;
        }
    }
    if (line == "OK") return Code::Ok;
    if (line == "CONNECT" || StartsWith(line, "CONNECT ") || StartsWith(line, "CONNECT/")) return Code::Connect;
    if (line == "RING") return Code::Ring;
    if (line == "NO CARRIER") return Code::NoCarrier;
    if (line == "ERROR") return Code::Error;
    if (line == "NO DIALTONE" || line == "NO DIAL TONE") return Code::NoDialTone;
    if (line == "BUSY") return Code::Busy;
    if (line == "NO ANSWER") return Code::NoAnswer;
    if (line == "RINGING" || line == "RINGBACK") return Code::Ringing;
    if (StartsWith(line, "DELAYED")) return Code::Delayed;
    if (StartsWith(line, "BLACKLISTED")) return Code::Blacklisted;
    return Code::None;
}

bool CHayesModem::IsFinal(Code code) { return code != Code::None && code != Code::Ring && code != Code::Ringing; }

CHayesModem::~CHayesModem() { Close(); }

CHayesModem::OpenResult CHayesModem::Open(const std::string& device, uint32_t speed)
{
    Close();
    speed_t constant{};
    if (device.empty() || !SpeedConstant(speed, constant)) return OpenResult::NoDevice;
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == EBUSY) return OpenResult::InUse;
        return errno == ENOENT || errno == ENODEV || errno == ENXIO || errno == ENOTDIR ? OpenResult::NoDevice
                                                                                         : OpenResult::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return OpenResult::InUse;
    }
    termios tio{};
    if (!isatty(fd) || tcgetattr(fd, &tio) != 0) {
        ::close(fd);
        return OpenResult::NoDevice;
    }
    cfmakeraw(&tio);
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
    tio.c_cflag |= CS8 | CREAD | CLOCAL | HUPCL;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, constant);
    cfsetospeed(&tio, constant);
    if (tcsetattr(fd, TCSANOW, &tio) != 0) {
        ::close(fd);
        return OpenResult::Failed;
    }
    // Raise DTR where the device has it (a line left dropped by someone else).
    int dtr = TIOCM_DTR;
    (void)ioctl(fd, TIOCMBIS, &dtr);
    tcflush(fd, TCIOFLUSH);
    m_fd = fd;
    m_reader.Reset(fd);
    m_line.clear();
    m_lastWriteMs = KorNetNowMs();
    return OpenResult::Ok;
}

void CHayesModem::Close()
{
    if (m_fd < 0) return;
    ::close(m_fd);
    m_fd = -1;
    m_reader.Reset(-1);
    m_line.clear();
}

std::string CHayesModem::TakePending()
{
    std::string taken;
    uint8_t b = 0;
    // Bounded, so a modem that never stops talking cannot hold us here.
    while (taken.size() < 65536 && m_reader.ReadByte(b, 0) == CFdReader::Result::Byte) taken.push_back(static_cast<char>(b));
    m_line.clear();
    return taken;
}

bool CHayesModem::Write(const uint8_t* bytes, size_t count, int64_t deadline)
{
    if (!KorNetWriteAll(m_fd, bytes, count, deadline)) return false;
    m_lastWriteMs = KorNetNowMs();
    return true;
}

bool CHayesModem::SendCommand(const std::string& command, int64_t deadline)
{
    const std::string line = command + "\r";
    return Write(reinterpret_cast<const uint8_t*>(line.data()), line.size(), deadline);
}

CHayesModem::Wait CHayesModem::ReadResult(Code& code, std::string& line, int64_t deadline, const StopCheck& stop,
                                          const std::function<void(Code)>& intermediate)
{
    code = Code::None;
    for (;;) {
        if (stop && stop()) return Wait::Stopped;
        if (m_fd < 0) return Wait::Failed;
        const int64_t left = deadline - KorNetNowMs();
        if (left <= 0) return Wait::TimedOut;
        uint8_t b = 0;
        switch (m_reader.ReadByte(b, static_cast<int32_t>(left < kSliceMs ? left : kSliceMs))) {
        case CFdReader::Result::TimedOut: continue;
        case CFdReader::Result::Closed:
        case CFdReader::Result::Error: return Wait::Failed;
        case CFdReader::Result::Byte: break;
        }
        if (b != '\r' && b != '\n') {
            if (m_line.size() < kLineMax) m_line.push_back(static_cast<char>(b));
            continue;
        }
        const std::string text = m_line;
        m_line.clear();
        const Code c = ParseResult(text);
        if (c == Code::None) continue;  // blank line, echo, information
        if (!IsFinal(c)) {
            if (intermediate) intermediate(c);
            continue;
        }
        code = c;
        line = text;
        return Wait::Done;
    }
}

CHayesModem::Wait CHayesModem::Command(const std::string& command, Code& code, int64_t deadline, const StopCheck& stop)
{
    code = Code::None;
    TakePending();
    if (!SendCommand(command, deadline)) return Wait::Failed;
    std::string line;
    return ReadResult(code, line, deadline, stop);
}

bool CHayesModem::WaitForOk(int64_t deadline)
{
    for (;;) {
        Code code = Code::None;
        std::string line;
        if (ReadResult(code, line, deadline, {}) != Wait::Done) return false;
        if (code == Code::Ok) return true;
    }
}

bool CHayesModem::DropDtr(int holdMs)
{
    if (m_fd < 0) return false;
    termios saved{};
    if (tcgetattr(m_fd, &saved) != 0) return false;
    termios dropped = saved;
    cfsetospeed(&dropped, B0);
    cfsetispeed(&dropped, B0);
    if (tcsetattr(m_fd, TCSANOW, &dropped) != 0) return false;
    int dtr = TIOCM_DTR;
    (void)ioctl(m_fd, TIOCMBIC, &dtr);
    std::this_thread::sleep_for(std::chrono::milliseconds(holdMs));
    const bool restored = tcsetattr(m_fd, TCSANOW, &saved) == 0;
    (void)ioctl(m_fd, TIOCMBIS, &dtr);
    return restored;
}

CHayesModem::Carrier CHayesModem::CarrierDetect() const
{
    int lines = 0;
    if (m_fd < 0 || ioctl(m_fd, TIOCMGET, &lines) != 0) return Carrier::Unknown;
    return (lines & TIOCM_CD) != 0 ? Carrier::Present : Carrier::Absent;
}

bool CHayesModem::Escape(int guardMs, int64_t deadline)
{
    if (m_fd < 0) return false;
    // Silence for the guard time before the first '+' (and a little more,
    // so the modem's own timer has surely run out).
    const int64_t quietUntil = m_lastWriteMs + guardMs + guardMs / 5 + 20;
    if (const int64_t wait = quietUntil - KorNetNowMs(); wait > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(wait));
    TakePending();
    static const uint8_t kEscape[] = {'+', '+', '+'};
    if (!Write(kEscape, sizeof kEscape, deadline)) return false;
    // The modem answers OK once the guard time after the '+'s has passed.
    return WaitForOk(deadline);
}

int KorNetEscapeGuardMs(const std::string& init)
{
    int guard = 1000;
    const std::string u = Upper(init);
    for (size_t at = u.find("S12="); at != std::string::npos; at = u.find("S12=", at + 1)) {
        size_t i = at + 4;
        int value = 0;
        bool digits = false;
        while (i < u.size() && std::isdigit(static_cast<unsigned char>(u[i])) && value < 1000) {
            value = value * 10 + (u[i++] - '0');
            digits = true;
        }
        if (digits && value > 0 && value <= 255) guard = value * 20;
    }
    return guard;
}
