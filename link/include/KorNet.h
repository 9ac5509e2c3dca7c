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

// The library's version, the same as its package's (libkornet.so.1 is major
// version 1). The build refuses to configure when these and the CMake
// project version disagree.
#define KORNET_VERSION_MAJOR 1
#define KORNET_VERSION_MINOR 0
#define KORNET_VERSION_PATCH 0
#define KORNET_VERSION_STRING "1.0.0.0"

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

// Name of a status as the diagnostics log writes it ("ERR_SIGN_NO_RESPONSE").
KORNET_API const char* KorNetStatusName(int16_t status);
// The line that opens an exchange in the diagnostics log, for `unixSeconds`
// in local time with English month words: "Dec 07, 2026 06:25:01 PM\n".
// Writes at most `size` bytes with the terminator; returns the length.
KORNET_API size_t KorNetLogTimestamp(int64_t unixSeconds, char* text, size_t size);

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
// Frame observer: every frame a link puts on the line and every frame or run
// of stray bytes it takes off it, as it happens (a bus monitor, a trace).
// ---------------------------------------------------------------------------
enum class KorNetFrameDirection : uint8_t {
    Sent,      // a request as written to the line
    Received,  // a reply, whole or as far as it came; no bytes: nothing came
    Stray,     // bytes passed over while looking for a reply's start byte
};

struct KorNetFrameRecord {
    int64_t timeUs = 0;  // steady clock, microseconds
    KorNetFrameDirection direction = KorNetFrameDirection::Sent;
    const uint8_t* bytes = nullptr;  // valid during the call only
    size_t length = 0;
    int16_t attempt = 0;  // 0: first try of a request, 1..: its retries
    // Sent: the write's status. Received: what the link made of the reply
    // (KORNET_OK, ERR_SIGN_INVALID_RESPONSE, ERR_SIGN_NO_RESPONSE, ...).
    // Stray: KORNET_OK.
    int16_t status = KORNET_OK;
};

class KORNET_API IKorNetFrameObserver {
public:
    // Called on the thread of the command that exchanges the frame, holding
    // no lock of the library's; it should return quickly.
    virtual void OnFrame(const KorNetFrameRecord& frame) = 0;

protected:
    ~IKorNetFrameObserver() = default;
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
// The older single-byte command set. Replies echo the command code in byte 0;
// byte 1 is the controller's error byte unless a structure names another.
// Bytes the library does not read are the controller's and passed through.
#pragma pack(push, 1)
// The first eight reply data bytes of a one-frame legacy command.
struct resp_s {
    uint8_t command;      // echo of the request's command code
    uint8_t error;        // 0: success; otherwise the call returned ERR_SIGN_RESPONSE_ERROR
    uint8_t reserved[6];  // as the controller sent them
};
struct resp_send_message_s : resp_s {};
struct resp_run_message_s : resp_s {};
struct resp_stop_message_s : resp_s {};
struct resp_set_defaultmessage_s : resp_s {};
struct resp_remove_message_s : resp_s {};
struct resp_send_schedule_s : resp_s {};
struct resp_run_schedule_s : resp_s {};
struct resp_stop_schedule_s : resp_s {};
struct resp_set_dimming_s : resp_s {};
struct resp_blank_sign_s : resp_s {};
struct resp_set_time_s : resp_s {};
struct resp_test_pattern_s : resp_s {};
struct resp_reset_sign_s : resp_s {};
struct resp_send_rtd_s : resp_s {};
struct resp_erase_firmware_s : resp_s {};
struct resp_set_softwareaddress_s : resp_s {};
struct resp_set_tempoffset_s : resp_s {};
struct resp_set_linefreqmode_s : resp_s {};
struct resp_set_counter_s : resp_s {};
struct resp_set_startcounter_s : resp_s {};
struct resp_set_stopcounter_s : resp_s {};
struct resp_set_configuration_s : resp_s {};
struct resp_send_graphic_s : resp_s {};
struct resp_remove_graphic_s : resp_s {};

// The 128-byte status reply. Its error byte sits at offset 80.
struct resp_get_status_s {
    uint8_t command;     // 0: 2
    uint8_t status[79];  // 1..79: the controller's status
    uint8_t error;       // 80: 0 success; otherwise the call returned ERR_SIGN_RESPONSE_ERROR
    uint8_t more[47];    // 81..127: the controller's status
};

// The first 64 reply data bytes of a message or graphic retrieval header.
struct resp_retrieve_s {
    uint8_t command;     // 0: 8 for a message, 37 for a graphic
    uint8_t echo[23];    // 1..23: as the controller sent them
    uint16_t blocks;     // 24: number of data blocks
    uint16_t blockSize;  // 26: data bytes per block
    uint32_t length;     // 28: bytes the blocks carry
    uint8_t error;       // 32: 0 success; otherwise the call returned ERR_SIGN_RESPONSE_ERROR
    uint8_t more[31];    // 33..63: as the controller sent them
};
struct resp_retrieve_message_s : resp_retrieve_s {};
struct resp_retrieve_graphic_s : resp_retrieve_s {};

// The first 16 reply data bytes of a message or graphic list header.
struct resp_retrieve_list_s {
    uint8_t command;     // 0: 9 for messages, 27 for graphics
    uint16_t entries;    // 1: number of 32-byte entries
    uint16_t blocks;     // 3: number of data blocks
    uint16_t blockSize;  // 5: bytes per block; a block carries blockSize / 32 whole entries
    uint8_t error;       // 7: 0 success; otherwise the call returned ERR_SIGN_RESPONSE_ERROR
    uint8_t more[8];     // 8..15: as the controller sent them
};
struct resp_retrieve_messagelist_s : resp_retrieve_list_s {};
struct resp_retrieve_graphiclist_s : resp_retrieve_list_s {};

// One stored message (or graphic) as the controller lists it.
struct messagelist_entry_s {
    uint8_t bytes[32];
};
struct graphiclist_entry_s {
    uint8_t bytes[32];
};

// SetTime's clock: six bytes that go to the controller unchanged, in the
// order of the time stamp in a store header.
struct time_s {
    uint8_t second;  // 0..59
    uint8_t minute;  // 0..59
    uint8_t hour;    // 0..23
    uint8_t day;     // day of the month, 1..31
    uint8_t month;   // 0..11
    uint8_t year;    // years since 1900
};

// SetCounter's 35 bytes, passed to the controller unchanged.
struct counter_info_s {
    uint8_t bytes[35];
};

// A program that already declares the bitmap types below (with the same
// layout) defines KORNET_NO_BITMAP_TYPES before including this header, and
// its own declarations are used instead.
#ifndef KORNET_NO_BITMAP_TYPES
// A device-independent bitmap header as it follows the 14-byte file header
// of a .bmp file: the 40-byte header, then the colour table (at biSize bytes
// from the start). Little-endian, packed, so the bytes of a file can be
// handed over where they lie. Declared under the tag names that other
// declarations of these types use, so that a program with its own (see
// KORNET_NO_BITMAP_TYPES) links against the same functions.
typedef struct tagBITMAPINFOHEADER {
    uint32_t biSize;          // 40 (larger for the newer header forms)
    int32_t biWidth;
    int32_t biHeight;         // positive: rows bottom-up
    uint16_t biPlanes;        // 1
    uint16_t biBitCount;      // bits per pixel
    uint32_t biCompression;   // BI_RGB: none
    uint32_t biSizeImage;     // bytes of pixel data
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;       // colour table entries; 0: 2^biBitCount for 1, 4 and 8 bits
    uint32_t biClrImportant;
} BITMAPINFOHEADER;
typedef struct tagRGBQUAD {
    uint8_t rgbBlue;
    uint8_t rgbGreen;
    uint8_t rgbRed;
    uint8_t rgbReserved;
} RGBQUAD;
typedef struct tagBITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];  // the colour table; longer in the caller's memory
} BITMAPINFO;
#endif
#pragma pack(pop)

#ifndef KORNET_NO_BITMAP_TYPES
inline constexpr uint32_t BI_RGB = 0;
inline constexpr uint32_t BI_RLE8 = 1;
inline constexpr uint32_t BI_RLE4 = 2;
inline constexpr uint32_t BI_BITFIELDS = 3;
#endif

static_assert(sizeof(resp_s) == 8);
static_assert(sizeof(resp_send_message_s) == 8 && sizeof(resp_run_message_s) == 8 &&
              sizeof(resp_stop_message_s) == 8 && sizeof(resp_set_defaultmessage_s) == 8 &&
              sizeof(resp_remove_message_s) == 8 && sizeof(resp_send_schedule_s) == 8 &&
              sizeof(resp_run_schedule_s) == 8 && sizeof(resp_stop_schedule_s) == 8 &&
              sizeof(resp_set_dimming_s) == 8 && sizeof(resp_blank_sign_s) == 8 && sizeof(resp_set_time_s) == 8 &&
              sizeof(resp_test_pattern_s) == 8 && sizeof(resp_reset_sign_s) == 8 && sizeof(resp_send_rtd_s) == 8 &&
              sizeof(resp_erase_firmware_s) == 8 && sizeof(resp_set_softwareaddress_s) == 8 &&
              sizeof(resp_set_tempoffset_s) == 8 && sizeof(resp_set_linefreqmode_s) == 8 &&
              sizeof(resp_set_counter_s) == 8 && sizeof(resp_set_startcounter_s) == 8 &&
              sizeof(resp_set_stopcounter_s) == 8 && sizeof(resp_set_configuration_s) == 8 &&
              sizeof(resp_send_graphic_s) == 8 && sizeof(resp_remove_graphic_s) == 8);
static_assert(sizeof(resp_get_status_s) == 128 && offsetof(resp_get_status_s, error) == 80);
static_assert(sizeof(resp_retrieve_message_s) == 64 && sizeof(resp_retrieve_graphic_s) == 64);
static_assert(offsetof(resp_retrieve_s, blocks) == 24 && offsetof(resp_retrieve_s, blockSize) == 26 &&
              offsetof(resp_retrieve_s, length) == 28 && offsetof(resp_retrieve_s, error) == 32);
static_assert(sizeof(resp_retrieve_messagelist_s) == 16 && sizeof(resp_retrieve_graphiclist_s) == 16);
static_assert(offsetof(resp_retrieve_list_s, entries) == 1 && offsetof(resp_retrieve_list_s, blocks) == 3 &&
              offsetof(resp_retrieve_list_s, blockSize) == 5 && offsetof(resp_retrieve_list_s, error) == 7);
static_assert(sizeof(messagelist_entry_s) == 32 && sizeof(graphiclist_entry_s) == 32);
static_assert(sizeof(time_s) == 6 && sizeof(counter_info_s) == 35);
static_assert(sizeof(BITMAPINFOHEADER) == 40 && sizeof(RGBQUAD) == 4 && sizeof(BITMAPINFO) == 44);

// Message, schedule and graphic names travel in 17-byte fields; a name of 17
// characters is sent without a terminating zero, and a longer one is cut.
inline constexpr size_t LEGACY_NAME_LENGTH = 17;
// Data bytes per block of a message, schedule or graphic send.
inline constexpr size_t LEGACY_BLOCK_SIZE = 247;
// Data bytes per frame of SendRTD.
inline constexpr size_t LEGACY_RTD_BLOCK_SIZE = 231;
// The most data one message, schedule or graphic can hold.
inline constexpr int32_t LEGACY_MAX_DATA_LENGTH = 65535;


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
    // Closes the transport. ERR_COMMAND_BUSY while another thread's call holds
    // the link (end that call with Abort first).
    int16_t Disconnect();
    // Ends the running call from any thread: a wait for a reply ends within
    // about 50 ms with ERR_SIGN_ABORT, and no retry follows.
    void Abort();
    // Each byte of a reply must come within this time; a whole reply within
    // it plus twice the longest frame's time at the line's speed and 250 ms
    // (serial), or three times it (TCP/IP, dial-up). Past either, the attempt
    // counts as a missing reply and is retried.
    void SetTimeOut(int32_t milliseconds);
    void SetMaxNumberOfRetries(int16_t count);
    int16_t GetMaxNumberOfRetries() const;
    int16_t GetActualNumberOfRetries() const;
    void SetRelaxValidationMode();
    void RegisterEventHandler(CKorNetworkEvents* handler, int16_t userValue);
    int32_t GetLastTAPIerror(const char*& text);
    // Why the last Connect of a direct link failed, in words an operator can
    // act on: no permission (naming the group that owns the device), in use by
    // another program, not present, not a serial device. Connect still returns
    // ERR_NETWORK_CONNECT_FAILED. Empty after a good Connect and for the other
    // transports (a dial-up call's reasons are GetLastTAPIerror's). Valid until
    // the next call on this link.
    const char* GetLastPortError() const;

    // Diagnostics log: every attempt of every frame exchange, one file per link.
    // Either may be called from any thread, also while a call runs.
    void EnableDiagnostics(bool errorsOnly, const char* logFolder);
    void DisableDiagnostics();
    // One observer of every frame (null: none). A running call may still
    // report to the observer it replaces: keep that alive until it returns.
    void SetFrameObserver(IKorNetFrameObserver* observer);
    IKorNetFrameObserver* FrameObserver() const;

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
    // A dial-up link calls through a Hayes AT modem listed in the modem file
    // ($KORNET_MODEMS, else modems.txt in the data folder: $JXCONFIG_DATA_DIR,
    // else $XDG_DATA_HOME/Corvanta/Tolvar, else ~/.local/share/Corvanta/Tolvar).
    // `dialupId` is the modem's line identifier there. Connect places the call
    // and reports every change of its state to OnCallState on the calling
    // thread; Disconnect hangs up. GetLastTAPIerror says why a call failed.
    int16_t ConfigureDialup(const char* phoneNumber, uint32_t dialupId);
    // The modems that can place data calls; null with ERR_COMMAND_NOT_CONFIGURED
    // unless the link is configured for dial-up. The list belongs to the link
    // until the next call or its destruction.
    const modemlist_entry_s* GetModemList(int16_t& status, int16_t& count);
    // Connect on a dial-up link gives up with ERR_NETWORK_CONNECT_FAILED when
    // the modem has not connected within this many milliseconds (default
    // DIALUP_CALL_LIMIT_MS; 0 or less restores it). Abort from another thread
    // ends the call early with the same status. Applies to the dial-up link
    // configured now and is kept when ConfigureDialup is called again;
    // ERR_COMMAND_NOT_CONFIGURED when the link is not a dial-up link.
    int16_t SetDialupCallLimit(int32_t milliseconds);
    static constexpr int32_t DIALUP_CALL_LIMIT_MS = 90000;

    // --- legacy sign commands ---
    // The older single-byte command set. One frame each unless said; the
    // byte and 16-bit arguments (a, b, c1..c6) and `option` go to the
    // controller unchanged; names travel in 17-byte fields (a null name sends
    // a zero field). Commands that read nothing back accept broadcast
    // addresses and then leave the response untouched.
    int16_t RunMessage(uint8_t address, const char* messageName, resp_run_message_s* response, uint8_t option);
    int16_t RunMessageNumTimes(uint8_t address, const char* messageName, uint8_t count, resp_run_message_s* response,
                               uint8_t option);
    int16_t RunMessageASAP(uint8_t address, const char* messageName, resp_run_message_s* response, uint8_t option);
    int16_t MDCRunMsg(uint8_t address, const char* messageName, uint8_t a, uint8_t b, resp_run_message_s* response,
                      uint8_t option);
    int16_t StopMessage(uint8_t address, const char* messageName, resp_stop_message_s* response, uint8_t option);
    int16_t RemoveMessage(uint8_t address, const char* messageName, resp_remove_message_s* response, uint8_t option);
    int16_t SetDefaultMessage(uint8_t address, bool flag, const char* messageName,
                              resp_set_defaultmessage_s* response);
    // With `flag` set the controller gets 2 in place of the option byte.
    int16_t RunSchedule(uint8_t address, bool flag, resp_run_schedule_s* response, uint8_t option);
    int16_t StopSchedule(uint8_t address, resp_stop_schedule_s* response, uint8_t option);
    int16_t SetDimming(uint8_t address, uint8_t a, uint8_t b, resp_set_dimming_s* response);
    int16_t BlankSign(uint8_t address, resp_blank_sign_s* response, uint8_t option);
    // A null `time` gives ERR_NETWORK_NO_WRITE without anything sent.
    int16_t SetTime(uint8_t address, const time_s* time, resp_set_time_s* response, uint8_t option);
    int16_t TestPattern(uint8_t address, uint8_t a, resp_test_pattern_s* response);
    int16_t ResetSign(uint8_t address, uint8_t a, bool flag, resp_reset_sign_s* response);
    int16_t EraseFirmware(uint8_t address, resp_erase_firmware_s* response, uint8_t option);
    int16_t SetSoftwareAddress(uint8_t address, uint8_t newAddress, resp_set_softwareaddress_s* response,
                               uint8_t option);
    int16_t SetTempOffset(uint8_t address, int16_t offset, resp_set_tempoffset_s* response, uint8_t option);
    int16_t SetLineFreqMode(uint8_t address, int16_t mode, resp_set_linefreqmode_s* response, uint8_t option);
    // A null `counter` gives ERR_NETWORK_NO_WRITE without anything sent.
    int16_t SetCounter(uint8_t address, const counter_info_s* counter, resp_set_counter_s* response);
    int16_t StartCounter(uint8_t address, uint8_t a, bool flag, resp_set_startcounter_s* response);
    int16_t StopCounter(uint8_t address, uint8_t a, resp_set_stopcounter_s* response);
    int16_t SetConfiguration(uint8_t address, const char* name, uint16_t c1, uint16_t c2, uint16_t c3, uint8_t c4,
                             uint8_t c5, uint16_t c6, resp_set_configuration_s* response, uint8_t option);
    // The controller's 128-byte status. Refuses broadcast addresses.
    int16_t GetStatus(uint8_t address, resp_get_status_s* response, uint8_t option);

    // Messages and schedules go in blocks of 247 bytes after a header frame,
    // with OnProgress before the first frame and after every frame (total:
    // header + blocks). Data that cannot be sent (negative length, data
    // missing, more than LEGACY_MAX_DATA_LENGTH bytes) gives
    // ERR_NETWORK_NO_WRITE without anything sent.
    int16_t SendMessage(uint8_t address, const char* messageName, const uint8_t* data, int32_t length,
                        resp_send_message_s* response, uint8_t option);
    // `flag1` and `flag2` set bits 0 and 1 of the option byte.
    int16_t SendSchedule(uint8_t address, const char* scheduleName, bool flag1, bool flag2, const uint8_t* data,
                         int32_t length, resp_send_schedule_s* response, uint8_t option);
    // Returns the message's bytes, or null with `status` set. The buffer
    // belongs to the link and stays valid until the next retrieval on this
    // link (or its destruction); its length is response->length. An empty
    // message gives null with status KORNET_OK. Refuses broadcast addresses.
    // A header whose sizes cannot hold together, or a block reply that carries
    // less than its block, is ERR_SIGN_INVALID_RESPONSE.
    const uint8_t* GetMessage(uint8_t address, const char* messageName, int16_t& status,
                              resp_retrieve_message_s* response, uint8_t option);
    // The stored messages, response->entries of them, owned by the link as
    // GetMessage's data is. The response is needed to know the count: without
    // one the call ends after the header exchange and returns null.
    const messagelist_entry_s* GetMessageList(uint8_t address, int16_t& status,
                                              resp_retrieve_messagelist_s* response, uint8_t option);
    // Real-time data in frames of 231 bytes, each with the 8-byte header and its
    // own offset (startOffset + 231 per frame before it) and length. No
    // progress events. A negative length, or data missing, gives
    // ERR_NETWORK_NO_WRITE without anything sent.
    int16_t SendRTD(uint8_t address, const rtd_header_s* header, int16_t startOffset, const uint8_t* data,
                    int16_t length, resp_send_rtd_s* response, uint8_t option);

    // --- legacy graphic transfer ---
    // A picture of `width` columns and `height` rows goes to the controller as
    // one bit plane (colourMode 0: any component lit), two (1: red, green) or
    // three (other modes: red, green, blue); a component counts as lit from 90
    // of 255. The source is an uncompressed bottom-up bitmap of 1, 4, 8 or 24
    // bits per pixel whose pixel data (`pixels`, biSizeImage bytes) holds
    // every row; pixels beyond its own width and height stay dark, and colour
    // indexes beyond its colour table read as black. Anything else, and a
    // picture whose planes exceed LEGACY_MAX_DATA_LENGTH, gives
    // ERR_GRAPHIC_UNSUPPORTED_FORMAT before the link is used. Sent like a
    // message, progress events included.
    int16_t SendGraphic(uint8_t address, const char* graphicName, const BITMAPINFO* bitmap, const uint8_t* pixels,
                        int16_t height, int16_t width, int16_t colourMode, resp_send_graphic_s* response,
                        uint8_t option);
    // Fetches a picture of `width` x `height` and returns its pixels as a
    // 24-bit bottom-up bitmap (blue, green, red; rows padded to 4 bytes; red
    // from plane 1, green from plane 2, blue from plane 3), with its 44-byte
    // header (and one zero colour entry) written to `bitmap`. Null with
    // `status` on failure; data smaller than two planes of the picture is
    // ERR_GRAPHIC_UNSUPPORTED_FORMAT. The pixels belong to the link as
    // GetMessage's data does. Refuses broadcast addresses.
    const uint8_t* GetGraphic(uint8_t address, const char* graphicName, BITMAPINFO* bitmap, int16_t height,
                              int16_t width, int16_t& status, resp_retrieve_graphic_s* response, uint8_t option);
    int16_t RemoveGraphic(uint8_t address, const char* graphicName, resp_remove_graphic_s* response, uint8_t option);
    // The stored graphics, as GetMessageList lists messages.
    const graphiclist_entry_s* GetGraphicList(uint8_t address, int16_t& status,
                                              resp_retrieve_graphiclist_s* response, uint8_t option);

private:
    friend struct CKorNetAccess;  // the library's own white-box tests and fuzzers
    std::unique_ptr<CKorNetLink> m_link;
};

#endif
