// KorNet: the link library that talks to Tolvar display controllers over a
// serial line, a TCP/IP network or a dial-up modem.
//
// One CKorNetwork per display link: configure a transport, Connect, call the
// blocking command methods, Disconnect. Every outcome is a 16-bit status:
// KORNET_OK (0) or one of the negative ERR_ values below. No exception ever
// leaves the library.
#ifndef KORNET_H
#define KORNET_H

#include <cstddef>
#include <cstdint>
#include <memory>

#define KORNET_API __attribute__((visibility("default")))

// ---------------------------------------------------------------------------
// Status codes
// ---------------------------------------------------------------------------
inline constexpr int16_t KORNET_OK = 0;
inline constexpr int16_t ERR_COMMAND_BUSY = -1;               // another call is using the link
inline constexpr int16_t ERR_COMMAND_ALREADY_CONNECTED = -2;  // Connect or Configure while connected
inline constexpr int16_t ERR_COMMAND_NOT_CONFIGURED = -3;     // no port configured
inline constexpr int16_t ERR_COMMAND_NO_CONNECTION = -4;      // command issued while not connected
inline constexpr int16_t ERR_COMMAND_NO_BROADCAST = -5;       // command that needs a reply sent to a broadcast address
inline constexpr int16_t ERR_SIGN_NO_RESPONSE = -6;           // a reply byte did not arrive in time, or the peer closed
inline constexpr int16_t ERR_SIGN_INVALID_RESPONSE = -7;      // reply frame failed validation
inline constexpr int16_t ERR_SIGN_UNSUPPORTED_COMMAND = -8;   // reply type 4, or a command byte of 0
inline constexpr int16_t ERR_SIGN_BAD_COMMAND = -9;           // reply type 2
inline constexpr int16_t ERR_SIGN_RESPONSE_ERROR = -10;       // valid reply with a non-zero error byte
inline constexpr int16_t ERR_SIGN_ABORT = -11;                // Abort was requested
inline constexpr int16_t ERR_NETWORK_CONNECT_FAILED = -12;    // the transport could not be opened
inline constexpr int16_t ERR_NETWORK_DISCONNECT_INVALID = -13;// the transport could not be closed
inline constexpr int16_t ERR_NETWORK_NO_WRITE = -14;          // write to the transport failed
inline constexpr int16_t ERR_NETWORK_NO_READ = -15;           // read from the transport failed
inline constexpr int16_t ERR_SOCKET_NO_CREATE = -16;          // socket could not be created
inline constexpr int16_t ERR_SOCKET_NO_INIT = -17;            // socket layer not initialised
inline constexpr int16_t ERR_GRAPHIC_UNSUPPORTED_FORMAT = -18;// unsupported bitmap format

// Host look-up failures of ConfigureRemoteDNS.
inline constexpr int16_t ERR_DNS_NOT_INITIALISED = -19;
inline constexpr int16_t ERR_DNS_NETWORK_DOWN = -20;
inline constexpr int16_t ERR_DNS_HOST_NOT_FOUND = -21;
inline constexpr int16_t ERR_DNS_TRY_AGAIN = -22;
inline constexpr int16_t ERR_DNS_NO_RECOVERY = -23;
inline constexpr int16_t ERR_DNS_NO_DATA = -24;
inline constexpr int16_t ERR_DNS_IN_PROGRESS = -25;
inline constexpr int16_t ERR_DNS_BAD_ADDRESS = -26;
inline constexpr int16_t ERR_DNS_INTERRUPTED = -27;

// Addresses 1..240 are individual controllers; 0 and 241..255 are broadcast
// addresses whose frames are never answered.
inline constexpr bool KorNetIsBroadcastAddress(uint8_t address) { return address == 0 || address >= 241; }

// ---------------------------------------------------------------------------
// Call states passed to OnCallState (dial-up links)
// ---------------------------------------------------------------------------
inline constexpr uint32_t KORNET_CALLSTATE_IDLE = 0x1;
inline constexpr uint32_t KORNET_CALLSTATE_DIALTONE = 0x8;
inline constexpr uint32_t KORNET_CALLSTATE_DIALING = 0x10;
inline constexpr uint32_t KORNET_CALLSTATE_RINGBACK = 0x20;
inline constexpr uint32_t KORNET_CALLSTATE_BUSY = 0x40;
inline constexpr uint32_t KORNET_CALLSTATE_SPECIALINFO = 0x80;
inline constexpr uint32_t KORNET_CALLSTATE_CONNECTED = 0x100;
inline constexpr uint32_t KORNET_CALLSTATE_PROCEEDING = 0x200;
inline constexpr uint32_t KORNET_CALLSTATE_DISCONNECTED = 0x4000;

// ---------------------------------------------------------------------------
// Serial ports known to the library: COM numbers and the devices behind them.
// The port map file (KORNET_PORTMAP, default ~/.config/kornet/ports) holds
// lines "COM3=/dev/ttyUSB0"; serial devices not in the map are numbered in a
// stable order after it.
// ---------------------------------------------------------------------------
struct KorNetComPort {
    int16_t number;     // n of "COMn"
    char device[128];   // device path, zero-terminated
};

// Fills up to `capacity` entries in ascending COM number order and returns
// how many ports there are in all (which may exceed `capacity`).
KORNET_API int16_t KorNetListComPorts(KorNetComPort* ports, int16_t capacity);

// Device path of COM port `number`, or an empty string when it is unknown.
// Writes at most `size` bytes including the terminating zero.
KORNET_API bool KorNetComPortDevice(int16_t number, char* path, size_t size);

// ---------------------------------------------------------------------------
// Event receiver
// ---------------------------------------------------------------------------
class KORNET_API CKorNetworkEvents {
public:
    // Every call-state change of a dial-up line, before the port acts on it.
    virtual void OnCallState(uint32_t dialupId, uint32_t callState, int16_t userValue) = 0;
    // Multi-frame commands: once before the first frame (count 0), then after
    // every frame exchange, successful or not.
    virtual void OnProgress(int16_t count, int16_t total, int16_t userValue) = 0;

protected:
    ~CKorNetworkEvents() = default;
};

// ---------------------------------------------------------------------------
// Response structures (caller-owned, optional)
// ---------------------------------------------------------------------------
// --- Jx file, display and playlist structures ---

// --- dial-up structures ---

// --- legacy sign and graphic structures ---


class CKorNetLink;

// ---------------------------------------------------------------------------
// The link
// ---------------------------------------------------------------------------
class KORNET_API CKorNetwork {
public:
    CKorNetwork();
    virtual ~CKorNetwork();
    CKorNetwork(const CKorNetwork&) = delete;
    CKorNetwork& operator=(const CKorNetwork&) = delete;

    // Lifecycle and settings
    int16_t ConfigureDirect(int16_t comPort, int32_t baudRate, bool flag);
    int16_t Connect();
    int16_t Disconnect();
    void Abort();
    void SetTimeOut(int32_t milliseconds);
    void SetMaxNumberOfRetries(int16_t count);
    int16_t GetMaxNumberOfRetries() const;
    int16_t GetActualNumberOfRetries() const;
    void SetRelaxValidationMode();
    void RegisterEventHandler(CKorNetworkEvents* handler, int16_t userValue);
    int32_t GetLastTAPIerror(const char*& text);

    // Diagnostics log: every attempt of every frame exchange, one file per link.
    void EnableDiagnostics(bool errorsOnly, const char* logFolder);
    void DisableDiagnostics();

    // Raw access
    int16_t WritePort(const uint8_t* bytes, int16_t length);
    int16_t ReadChar(uint8_t& byte);
    int16_t FlushReceiveBuffer();
    void GetLastPacket(const uint8_t*& sent, const uint8_t*& received) const;

    // Generic and link-level commands
    int16_t GenericCommand(uint8_t address, const uint8_t* request, int16_t requestLength,
                           uint8_t* reply, int16_t replyLength);
    int16_t Ping(uint8_t address);
    int16_t EnableBroadcastAddress(uint8_t address, uint8_t broadcastAddress);
    int16_t DisableBroadcastAddress(uint8_t address, uint8_t broadcastAddress);
    int16_t GetEnableBroadcastAddress(uint8_t address, uint16_t& value);
    int16_t SetBaudRate(uint8_t address, uint32_t baudRate);

    // --- TCP/IP configuration ---

    // --- Jx file commands ---

    // --- Jx display and playlist commands ---

    // --- dial-up configuration and modem list ---

    // --- legacy sign commands ---

    // --- legacy graphic transfer ---

private:
    std::unique_ptr<CKorNetLink> m_link;
};

#endif
