// A Hayes-compatible modem on a serial device: command lines and their
// result codes, dialling, DTR, carrier detect and the escape from a call
// back to command mode. Every wait is bounded by a deadline and can be
// ended early by a stop check (the link's Abort).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "CFdReader.h"

class CHayesModem {
public:
    // Result codes, verbose ("BUSY") or numeric ("7").
    enum class Code {
        None,        // not a result code: the echo of a command, information text
        Ok,
        Connect,
        Ring,
        NoCarrier,
        Error,
        NoDialTone,
        Busy,
        NoAnswer,
        Ringing,     // the far end rings (some modems say so)
        Delayed,     // a call the modem will not place now (call barring)
        Blacklisted,
    };
    static Code ParseResult(const std::string& line);
    // Codes that end a command; Ring, Ringing and None do not.
    static bool IsFinal(Code code);

    enum class OpenResult { Ok, NoDevice, InUse, Failed };
    using StopCheck = std::function<bool()>;
    enum class Wait { Done, TimedOut, Stopped, Failed };

    CHayesModem() = default;
    ~CHayesModem();
    CHayesModem(const CHayesModem&) = delete;
    CHayesModem& operator=(const CHayesModem&) = delete;

    // Opens the device for exclusive use: raw 8N1 at `speed`, no flow
    // control, carrier ignored by the driver (we watch it ourselves), and
    // DTR dropped when the device is closed, so a call never outlives us.
    OpenResult Open(const std::string& device, uint32_t speed);
    bool IsOpen() const { return m_fd >= 0; }
    void Close();

    // Drops whatever has arrived and not been read; returns those bytes.
    std::string TakePending();
    // Writes "command\r".
    bool SendCommand(const std::string& command, int64_t deadline);
    // Reads lines until a final result code. Intermediate codes go to
    // `intermediate`; `line` gets the final line as the modem sent it.
    Wait ReadResult(Code& code, std::string& line, int64_t deadline, const StopCheck& stop,
                    const std::function<void(Code)>& intermediate = {});
    // A command and its final result code. Input waiting before it is dropped.
    Wait Command(const std::string& command, Code& code, int64_t deadline, const StopCheck& stop = {});
    // Waits until the modem answers OK, ignoring other result codes.
    bool WaitForOk(int64_t deadline);

    // Line speed 0 for `holdMs`: the driver drops DTR (and RTS), which hangs
    // up a modem set to &D2. The speed comes back afterwards.
    bool DropDtr(int holdMs);
    enum class Carrier { Present, Absent, Unknown };
    // The carrier-detect line, where the device has one.
    Carrier CarrierDetect() const;
    // Guard time of silence, "+++", then the modem's OK within the deadline.
    bool Escape(int guardMs, int64_t deadline);

    // The call's byte stream.
    CFdReader::Result ReadByte(uint8_t& byte, int32_t timeOutMs) { return m_reader.ReadByte(byte, timeOutMs); }
    // Writes every byte before the deadline, or fails.
    bool Write(const uint8_t* bytes, size_t count, int64_t deadline);

private:
    int m_fd = -1;
    CFdReader m_reader;
    std::string m_line;          // result line being assembled
    int64_t m_lastWriteMs = 0;   // for the escape's guard time
};

// Guard time of the escape sequence in milliseconds: S12 (fiftieths of a
// second) when `init` sets it, else the usual second.
int KorNetEscapeGuardMs(const std::string& init);
