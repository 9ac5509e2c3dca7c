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
// Replies to Jx commands begin with the 0x80 prefix and the sub-command echo;
// byte 2 is the controller's error byte (0: success). The structures are the
// reply bytes as they arrived; multi-byte fields are little-endian on the wire
// and read here in host order, which is why the header insists on it.
static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "KorNet reply structures are little-endian layouts");

#pragma pack(push, 1)
// The first eight reply data bytes of a one-frame Jx command.
struct jx_resp_s {
    uint8_t prefix;       // 0x80
    uint8_t subCommand;   // echo of the request's sub-command
    uint8_t error;        // 0: success; otherwise the call returned ERR_SIGN_RESPONSE_ERROR
    uint8_t reserved[5];  // as the controller sent them
};
struct jx_resp_send_file_s : jx_resp_s {};
struct jx_resp_delete_file_s : jx_resp_s {};
struct jx_resp_rename_file_s : jx_resp_s {};
struct jx_resp_reset_display_s : jx_resp_s {};
struct jx_resp_blank_display_s : jx_resp_s {};
struct jx_resp_set_dimming_s : jx_resp_s {};
struct jx_resp_set_display_mode_s : jx_resp_s {};
struct jx_resp_set_time_s : jx_resp_s {};
struct jx_resp_run_schedule_s : jx_resp_s {};
struct jx_resp_stop_schedule_s : jx_resp_s {};
struct jx_resp_add_to_playlist_s : jx_resp_s {};
struct jx_resp_remove_from_playlist_s : jx_resp_s {};
struct jx_resp_move_playlist_s : jx_resp_s {};
struct jx_resp_select_frame_s : jx_resp_s {};
struct jx_resp_send_rtd_s : jx_resp_s {};

// The first 152 reply data bytes of a get-file header. The error byte of this
// reply sits at offset 124, not 2.
struct jx_resp_retrieve_file_s {
    uint8_t prefix;              // 0: 0x80
    uint8_t subCommand;          // 1: 2, or 21 for a compressed get
    uint8_t echo[114];           // 2..115: as the controller sent them
    uint16_t blocks;             // 116: number of data blocks
    uint16_t blockSize;          // 118: data bytes per block
    uint32_t length;             // 120: bytes the blocks carry (the compressed length for a compressed get)
    uint8_t error;               // 124: 0 success; otherwise the call returned ERR_SIGN_RESPONSE_ERROR
    uint32_t uncompressedLength; // 125: length of the file itself (also filled when a compressed get fell back to plain)
    uint8_t trailer[23];         // 129..151: as the controller sent them
};

// Eight bytes that JxSendRTD passes to the controller unchanged in every frame.
struct rtd_header_s {
    uint8_t bytes[8];
};
#pragma pack(pop)

static_assert(sizeof(jx_resp_s) == 8);
static_assert(sizeof(jx_resp_send_file_s) == 8 && sizeof(jx_resp_delete_file_s) == 8 &&
              sizeof(jx_resp_rename_file_s) == 8 && sizeof(jx_resp_reset_display_s) == 8 &&
              sizeof(jx_resp_blank_display_s) == 8 && sizeof(jx_resp_set_dimming_s) == 8 &&
              sizeof(jx_resp_set_display_mode_s) == 8 && sizeof(jx_resp_set_time_s) == 8 &&
              sizeof(jx_resp_run_schedule_s) == 8 && sizeof(jx_resp_stop_schedule_s) == 8 &&
              sizeof(jx_resp_add_to_playlist_s) == 8 && sizeof(jx_resp_remove_from_playlist_s) == 8 &&
              sizeof(jx_resp_move_playlist_s) == 8 && sizeof(jx_resp_select_frame_s) == 8 &&
              sizeof(jx_resp_send_rtd_s) == 8);
static_assert(sizeof(jx_resp_retrieve_file_s) == 152);
static_assert(offsetof(jx_resp_retrieve_file_s, blocks) == 116 && offsetof(jx_resp_retrieve_file_s, blockSize) == 118 &&
              offsetof(jx_resp_retrieve_file_s, length) == 120 && offsetof(jx_resp_retrieve_file_s, error) == 124 &&
              offsetof(jx_resp_retrieve_file_s, uncompressedLength) == 125);
static_assert(sizeof(rtd_header_s) == 8);

// Files every Jx controller keeps. The transfer methods take any name; these
// are the ones the configuration tool asks for.
enum JxWellKnownFile : int {
    JX_FILE_LOG = 0,
    JX_FILE_PLAYLIST = 1,
    JX_FILE_DIRECTORY = 2,
    JX_FILE_CONFIG = 3,
    JX_FILE_STATUS = 4,
    JX_FILE_DEFAULTS = 5,
    JX_FILE_RTD = 6,
    JX_FILE_DIAGNOSTICS = 7,
    JX_FILE_SYSTEM = 8,
    JX_FILE_COUNT = 9,
};
inline constexpr const char* JxFileNames[JX_FILE_COUNT] = {
    "LOG.XML",    "PLAYLIST.XML", "DIRECTORY.XML",   "CONFIG.XML", "STATUS.XML",
    "DEFAULTS.XML", "RTD.BIN",    "DIAGNOSTICS.XML", "SYSTEM.XML",
};

// File names travel in 110-byte fields; a name of 110 characters is sent
// without a terminating zero, and a longer one is cut to 110.
inline constexpr size_t JX_NAME_LENGTH = 110;
// Data bytes per block of a file send (the controller announces its own for gets).
inline constexpr size_t JX_FILE_BLOCK_SIZE = 246;
// Data bytes per frame of JxSendRTD.
inline constexpr size_t JX_RTD_BLOCK_SIZE = 230;

// --- dial-up structures ---
#pragma pack(push, 1)
// One modem (telephony line that can place data calls) of GetModemList.
struct modemlist_entry_s {
    char name[50];      // the first 50 bytes of the line name, zero-terminated when shorter
    uint32_t dialupId;  // permanent line identifier, for ConfigureDialup
};
#pragma pack(pop)
static_assert(sizeof(modemlist_entry_s) == 54, "modem list entries are 54 bytes");

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
    // A controller on the network: one TCP connection per link, the same
    // frames as on a serial line. `address` is the IPv4 address, most
    // significant byte first; `tcpPort` is taken as an unsigned 16-bit port
    // (so 40000 may be passed as its int16_t image).
    int16_t ConfigureRemote(const uint8_t address[4], int16_t tcpPort);
    // Resolves `hostName` (a name or a dotted address) to its first IPv4
    // address, then as ConfigureRemote. A failed look-up returns one of the
    // ERR_DNS_ statuses; the link is then configured with a port that has no
    // address, whose Connect fails with ERR_NETWORK_CONNECT_FAILED. The look-up
    // itself blocks for as long as the system resolver takes.
    int16_t ConfigureRemoteDNS(const char* hostName, int16_t tcpPort);
    // Connect waits for a TCP connection at most CONNECT_WAIT_FACTOR times the
    // link's time-out, but never less than CONNECT_WAIT_MIN_MS nor more than
    // CONNECT_WAIT_MAX_MS (5 s with the default time-out of 1000 ms), and gives
    // ERR_NETWORK_CONNECT_FAILED when that runs out. Abort from another thread
    // ends the wait early with the same status.
    static constexpr int32_t CONNECT_WAIT_FACTOR = 5;
    static constexpr int32_t CONNECT_WAIT_MIN_MS = 2000;
    static constexpr int32_t CONNECT_WAIT_MAX_MS = 30000;

    // --- Jx file commands ---
    // Files go in blocks of 246 bytes, one frame exchange each, with OnProgress
    // before the first frame and after every frame (total: header + blocks for
    // sends, blocks for gets). `option` is passed to the controller unchanged.
    // Sends, deletes and renames accept broadcast addresses (nothing is read
    // back); gets refuse them with ERR_COMMAND_NO_BROADCAST. A length that
    // cannot be sent (negative, data missing, more than 65535 blocks) gives
    // ERR_NETWORK_NO_WRITE without anything sent.
    int16_t JxSendFile(uint8_t address, const char* fileName, const uint8_t* data, int32_t length,
                       jx_resp_send_file_s* response, uint8_t option);
    // Sends the zlib form of the file. Data that does not get smaller, and a
    // controller that answers the compressed header as unsupported, get the
    // plain JxSendFile instead.
    int16_t JxSendFileCompressed(uint8_t address, const char* fileName, const uint8_t* data, int32_t length,
                                 jx_resp_send_file_s* response, uint8_t option);
    // Returns the file's bytes, or null with `status` set. The buffer belongs
    // to the link and stays valid until the next retrieval on this link (or its
    // destruction); its length is response->length. An empty file gives null
    // with status KORNET_OK. A header whose sizes cannot hold together, or a
    // block reply that carries less than its block, is ERR_SIGN_INVALID_RESPONSE.
    const uint8_t* JxGetFile(uint8_t address, const char* fileName, int16_t& status,
                             jx_resp_retrieve_file_s* response, uint8_t option);
    // As JxGetFile, fetching the zlib form (or the plain file from a controller
    // that does not offer it); the length is response->uncompressedLength.
    // Data that does not inflate to exactly the announced length is
    // ERR_SIGN_INVALID_RESPONSE: a damaged file is never handed over.
    const uint8_t* JxGetFileCompressed(uint8_t address, const char* fileName, int16_t& status,
                                       jx_resp_retrieve_file_s* response, uint8_t option);
    int16_t JxDeleteFile(uint8_t address, const char* fileName, jx_resp_delete_file_s* response, uint8_t option);
    int16_t JxRenameFile(uint8_t address, const char* oldName, const char* newName, jx_resp_rename_file_s* response,
                         uint8_t option);

    // --- Jx display and playlist commands ---
    // One frame each (JxSendRTD: one per 230 data bytes). The byte and 32-bit
    // arguments (a, b, p, p1..p6, v, w) go to the controller unchanged; names
    // travel in 110-byte fields, and a null name sends a zero field.
    int16_t JxResetDisplay(uint8_t address, uint8_t a, uint8_t b, jx_resp_reset_display_s* response);
    int16_t JxBlankDisplay(uint8_t address, uint8_t a, jx_resp_blank_display_s* response);
    int16_t JxSetDimming(uint8_t address, uint8_t a, uint8_t b, jx_resp_set_dimming_s* response);
    // Note the order on the wire: b goes before a.
    int16_t JxSetDisplayMode(uint8_t address, uint8_t a, uint8_t b, jx_resp_set_display_mode_s* response);
    int16_t JxSetTime(uint8_t address, uint32_t time, jx_resp_set_time_s* response, uint8_t option);
    int16_t JxRunSchedule(uint8_t address, const char* scheduleName, jx_resp_run_schedule_s* response, uint8_t option);
    int16_t JxStopSchedule(uint8_t address, const char* scheduleName, jx_resp_stop_schedule_s* response,
                           uint8_t option);
    // Adds a message file to the playlist.
    int16_t JxRunMessage(uint8_t address, const char* messageName, uint8_t p1, uint8_t p2, uint8_t p3, uint8_t p4,
                         uint8_t p5, uint8_t p6, uint32_t v, jx_resp_add_to_playlist_s* response, uint8_t option);
    // Removes a message from the playlist.
    int16_t JxStopMessage(uint8_t address, const char* messageName, uint32_t v, jx_resp_remove_from_playlist_s* response,
                          uint8_t option);
    // Moves a message within the playlist.
    int16_t JxMoveMessage(uint8_t address, const char* messageName, uint8_t p, uint32_t v,
                          jx_resp_move_playlist_s* response, uint8_t option);
    int16_t JxSelectFrame(uint8_t address, uint8_t a, uint16_t w, const char* name, jx_resp_select_frame_s* response);
    // The message running now. On KORNET_OK from an individual address:
    // `statusByte` gets the controller's status byte (reply byte 2, not turned
    // into an error), `name` (110 bytes, may be null; not terminated when the
    // name fills it) the message name, `value` reply bytes 117..118. Broadcast
    // addresses and failures leave all three untouched. `unused` is not sent.
    int16_t JxGetRunningMessage(uint8_t address, uint8_t a, char* name, uint16_t& value, uint32_t unused,
                                uint8_t& statusByte);
    // Real-time data in frames of 230 bytes, each with the 8-byte header and its
    // own offset (startOffset + 230 per frame before it) and length. No
    // progress events. A negative length, or data missing, gives
    // ERR_NETWORK_NO_WRITE without anything sent.
    int16_t JxSendRTD(uint8_t address, const rtd_header_s* header, int16_t startOffset, const uint8_t* data,
                      int16_t length, jx_resp_send_rtd_s* response, uint8_t option);

    // --- dial-up configuration and modem list ---
    int16_t ConfigureDialup(const char* phoneNumber, uint32_t dialupId);
    // The modems that can place data calls; null with ERR_COMMAND_NOT_CONFIGURED
    // unless the link is configured for dial-up. The list belongs to the link
    // until the next call or its destruction.
    const modemlist_entry_s* GetModemList(int16_t& status, int16_t& count);

    // --- legacy sign commands ---

    // --- legacy graphic transfer ---

private:
    std::unique_ptr<CKorNetLink> m_link;
};

#endif
