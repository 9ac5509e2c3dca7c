// jxsim in a test: display controllers in software on a TCP port or a
// pseudo-terminal, with their file stores, their display state, faults on
// demand and a record of every command they received.
//
//     jxsim::CSimOptions options;
//     options.addresses = {1, 2};
//     jxsim::CJxSimulator sim(options);
//     sim.ListenTcp();                  // 127.0.0.1, any free port
//     ... link.ConfigureRemote({127, 0, 0, 1}, sim.TcpPort()) ...
//
// Every method may be called from any thread while the simulator runs.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CFaults.h"
#include "CFileStore.h"
#include "DisplayState.h"
#include "SimTypes.h"

namespace jxsim {

class CController;

struct CSimOptions {
    std::vector<uint8_t> addresses{1};  // controllers on the line, 1..240 each
    std::string root;                   // folder of the file store (one sub-folder
                                        // per address when there are several); empty: memory
    uint64_t memoryBytes = 8000000;     // file memory of each controller
    uint64_t volatileBytes = 2000000;
    uint32_t baud = 19200;              // the controllers' line speed
    bool pace = false;                  // a pseudo-terminal passes bytes at the line speed (10 bits a byte)
    int bootMs = 3000;                  // silent this long after a reset
    std::string version = "3.08";       // firmware version (vr "TJX-3.08"), or a whole "PREFIX-3.08"
    std::string displayName;            // ds of the factory CONFIG.XML; empty: the default
    uint16_t configTcpPort = 3001;      // TCP port written into the factory CONFIG.XML
    bool compression = true;            // false: compressed transfers are unsupported (older controller)
    uint16_t getBlockSize = 246;        // data bytes per block of the files it sends, 1..246
    bool samples = true;                // sample files in a fresh store
    std::string frontEnd;               // a registered line front end ("modem"); empty: none
    std::string frontEndValue;
    std::function<void(const std::string&)> log;  // one line per event; none: quiet
    bool logFrames = false;             // log every block and sync too
};

struct CRecordedCommand {
    int64_t timeMs = 0;
    uint8_t address = 0;     // the frame's address
    uint8_t frameType = 0;   // of the request
    uint16_t command = 0;    // type 0: the code, or 0x8000 | sub-command
    std::string name;        // "JxSendFile header", "sync", "unknown command 0x80 0x63"
    std::string note;        // what the handler said ("CONFIG.XML, 1234 bytes"), or why nothing was done
    Bytes request;           // the request's data bytes
    bool broadcast = false;
    bool duplicate = false;  // a retry, answered with the previous reply
    int replyType = -1;      // -1: not answered
    uint8_t errorByte = 0;
};

class CJxSimulator {
public:
    explicit CJxSimulator(CSimOptions options = {});
    ~CJxSimulator();
    CJxSimulator(const CJxSimulator&) = delete;
    CJxSimulator& operator=(const CJxSimulator&) = delete;

    // False when the options could not be honoured (see Error()).
    bool Ok() const;
    const std::string& Error() const;

    // Starts the controllers on a TCP port (0: any free port; see TcpPort).
    bool ListenTcp(const std::string& host = "127.0.0.1", uint16_t port = 0);
    // Starts them on a new pseudo-terminal (see PtyPath).
    bool OpenPty();
    // Enters the pseudo-terminal in a port map as "COMn=<path>", replacing
    // any line for COMn; when the simulator stops, the lines it replaced
    // come back in its place. The map
    // is `mapPath`, else $KORNET_PORTMAP, else ~/.config/kornet/ports.
    bool RegisterComPort(int number, const std::string& mapPath = {});
    std::string PortMapPath() const;
    void Stop();

    std::string Where() const;  // "127.0.0.1:40123" or "/dev/pts/7"
    uint16_t TcpPort() const;
    std::string PtyPath() const;

    // Faults on demand (see CFaults).
    void DropReplies(int count);
    void CorruptChecksums(int count);
    void WrongSequences(int count);
    void GarbageBeforeReplies(int count, const Bytes& garbage = {});
    void SetByteDelayMs(int ms);
    void CloseAfterBlocks(int blocks);
    void FailFile(const std::string& name, uint8_t errorByte);  // 0 clears
    void SetCompressionSupported(bool on);
    void SetRandomFaults(double rate, uint32_t seed);
    void ClearFaults();
    CFaultCounts FaultCounts() const;

    // The controllers. `address` is a hardware address given in the
    // options; 0 means the first controller.
    std::vector<CFileEntry> Files(uint8_t address = 0) const;
    bool GetFile(const std::string& name, Bytes& data, uint8_t address = 0) const;
    bool PutFile(const std::string& name, const Bytes& data, int64_t sec = 0, uint8_t address = 0);
    bool RemoveFile(const std::string& name, uint8_t address = 0);
    int ResetCount(uint8_t address = 0) const;
    uint32_t Baud(uint8_t address = 0) const;
    uint8_t CurrentAddress(uint8_t address = 0) const;  // after a software address took effect
    std::string FirmwareVersion(uint8_t address = 0) const;
    CDisplayState Display(uint8_t address = 0) const;
    uint16_t BroadcastMask(uint8_t address = 0) const;
    bool Booting(uint8_t address = 0) const;
    // Runs `visit` on a controller with the line held still, so a test can
    // read (or set) what a command family keeps in the controller's own
    // state (CController::State<T>()). False when there is no such controller.
    bool WithController(uint8_t address, const std::function<void(CController&)>& visit);

    // What the controllers received, oldest first (the latest 4096).
    std::vector<CRecordedCommand> Commands() const;
    void ClearCommands();
    // Frames taken off the line so far, and a wait for a count of them
    // (for frames that get no reply, such as broadcasts).
    uint64_t FramesHandled() const;
    bool WaitForFrames(uint64_t count, int timeoutMs) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace jxsim
