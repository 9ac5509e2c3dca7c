// The diagnostics log: every attempt of every frame exchange, appended to one
// plain-text file per configured link.
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

#include "CKorNetLink.h"

const char* KorNetStatusName(int16_t status)
{
    static const char* const kNames[] = {
        "KORNET_OK",
        "ERR_COMMAND_BUSY",
        "ERR_COMMAND_ALREADY_CONNECTED",
        "ERR_COMMAND_NOT_CONFIGURED",
        "ERR_COMMAND_NO_CONNECTION",
        "ERR_COMMAND_NO_BROADCAST",
        "ERR_SIGN_NO_RESPONSE",
        "ERR_SIGN_INVALID_RESPONSE",
        "ERR_SIGN_UNSUPPORTED_COMMAND",
        "ERR_SIGN_BAD_COMMAND",
        "ERR_SIGN_RESPONSE_ERROR",
        "ERR_SIGN_ABORT",
        "ERR_NETWORK_CONNECT_FAILED",
        "ERR_NETWORK_DISCONNECT_INVALID",
        "ERR_NETWORK_NO_WRITE",
        "ERR_NETWORK_NO_READ",
        "ERR_SOCKET_NO_CREATE",
        "ERR_SOCKET_NO_INIT",
        "ERR_GRAPHIC_UNSUPPORTED_FORMAT",
    };
    if (status <= 0 && status >= -18) return kNames[-status];
    return "Unkown Error";  // the log has always spelt it so; tools grep for it
}

size_t KorNetLogTimestamp(int64_t unixSeconds, char* text, size_t size)
{
    const std::time_t when = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
    if (localtime_r(&when, &local) == nullptr || size == 0) {
        if (size > 0) text[0] = '\0';
        return 0;
    }
    // Month and AM/PM words in English whatever the process locale is.
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int hour12 = local.tm_hour % 12;
    if (hour12 == 0) hour12 = 12;
    const int n = std::snprintf(text, size, "%s %02d, %04d %02d:%02d:%02d %s\n", kMonths[local.tm_mon], local.tm_mday,
                                local.tm_year + 1900, hour12, local.tm_min, local.tm_sec, local.tm_hour < 12 ? "AM" : "PM");
    return n < 0 ? 0 : std::min(static_cast<size_t>(n), size - 1);
}

namespace {
std::string Dump(const CKorNetPacket& packet)
{
    std::string out;
    char hex[4];
    const size_t n = packet.FrameLength();
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(hex, sizeof hex, " %X", packet.Bytes()[i]);
        out += hex;
    }
    return out;
}

}  // namespace

void CKorNetLink::LogAttempt(bool firstAttempt, int16_t status)
{
    if (!diagnosticsEnabled.load()) return;
    std::string folder;
    {
        std::lock_guard<std::mutex> lock(logMutex);
        if (logErrorsOnly && status == KORNET_OK) return;
        folder = logFolder;
    }

    // "<folder>.//<name>": empty means the current directory. A folder given
    // without its trailing separator still gets the log inside it rather than
    // in a sibling "<folder>." that does not exist.
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string path = folder + ".//" + logFileName;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0) return;
    // Another writer holding the file: skip this attempt rather than wait.
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    std::string text;
    if (firstAttempt) {
        char stamp[64];
        text.append(stamp, KorNetLogTimestamp(std::time(nullptr), stamp, sizeof stamp));
    }
    text += "Sent:   " + Dump(sent) + "\n";
    text += "Recv'd: " + Dump(received) + "\n";
    text += std::string("Error Status: ") + KorNetStatusName(status) + "\n";
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
}
