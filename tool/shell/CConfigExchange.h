// The configuration exchange that the main window's configuration functions
// share: once the link is connected, fetch CONFIG.XML into the model, let the
// function's window change it, send it back, wait, reset the display. The
// fetch and the send-and-reset are the work of two link operations (they run
// on a worker thread and report through the owner's progress window); the
// function's window runs between them on the window thread while the link
// stays connected. Connecting and disconnecting are the caller's frame.
//
// Local copies of what went over the line are kept in the data folder:
// "CONFIGreceived.XML" (the bytes of the last document that loaded, exactly as
// received) and "CONFIGsent.XML" (exactly the bytes sent). A copy that cannot
// be written is not worth a message.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "config/CFunctionResult.h"
#include "connection/LinkOperation.h"
#include "connection/ConnectionKind.h"
#include "shell/StatusText.h"

class CConfigDocument;
class CJxConfigApp;

inline constexpr const char* kJxReceivedCopyName = "CONFIGreceived.XML";
inline constexpr const char* kJxSentCopyName = "CONFIGsent.XML";

inline constexpr const char* kJxGettingDocument = "Getting %s from display...";
inline constexpr const char* kJxSendingDocument = "Sending %s to display...";
inline constexpr const char* kJxWaitingDialup = "Waiting (6 sec) to reset the display...";
inline constexpr const char* kJxWaitingDirect = "Waiting (1 sec) to reset the display...";
inline constexpr const char* kJxResettingDisplay = "Resetting display...";
inline constexpr const char* kJxUnableToGet = "Unable to get %s: ";
inline constexpr const char* kJxUnableToSend = "Unable to send %s: ";
inline constexpr const char* kJxNoMemoryForDocument =
    "There was an error allocating memory while attempting to get %s from display.";
inline constexpr const char* kJxUnreadableDocument = "Unable to read %s file stream";
inline constexpr const char* kJxSentRebooting = " successfully sent.  The display is rebooting.";
inline constexpr const char* kJxWaitForBoot = "\nWait until the boot sequence is complete before reconnecting.";

// The pause between the send and the reset: a controller stores the new
// document before it can take a reset; a dial-up line needs longer.
inline constexpr int kJxResetWaitDialupMs = 6000;
inline constexpr int kJxResetWaitMs = 1000;

class CConfigExchange {
public:
    // Pauses for the given milliseconds; the default sleeps.
    using WaitFunction = std::function<void(int milliseconds)>;

    // References are kept: all of them outlive the exchange.
    CConfigExchange(CLinkOwner& owner, CConfigDocument& document, CJxConfigApp& app);

    // The display as the Connect window chose it: its address and the
    // connection kind.
    void SetDisplay(uint8_t address, JxConnectionKind connectionKind);
    uint8_t Address() const { return m_address; }
    JxConnectionKind ConnectionKind() const { return m_kind; }

    // Tests replace the pause before the reset (and learn its length).
    void SetWaitFunction(WaitFunction wait);

    // Link-operation work: gets CONFIG.XML and loads it into the model.
    // True when the model holds the display's document; every failure has
    // had its message (a library failure after Abort has none).
    bool Fetch();
    // Link-operation work: sends the model's document, waits, resets the
    // display. True once the document was sent, also when the reset then
    // failed (with its message): the display holds the new document.
    bool SendAndReset();
    // Resets the display with the tool's reset option. A display that does
    // not answer counts as reset: it may reboot before it replies.
    bool Reset();

    // The document name sent and fetched ("CONFIG.XML").
    const std::string& DocumentName() const;
    CConfigDocument& Document() { return m_document; }
    // Where the local copies go (the data folder; empty when there is none).
    std::string CopyPath(const char* copyName) const;

private:
    void WriteCopy(const char* copyName, const void* bytes, size_t length) const;

    CLinkOwner& m_owner;
    CConfigDocument& m_document;
    CJxConfigApp& m_app;
    uint8_t m_address = 1;
    JxConnectionKind m_kind = JxConnectionKind::Direct;
    WaitFunction m_wait;
};

// How one run of the exchange ended.
enum class JxExchangeOutcome {
    NotFetched,   // the fetch failed: no window was opened
    Closed,       // the operator left the window without setting anything
    SendFailed,   // the window set its values but the document did not reach the display
    Sent,         // the display has the new document (the reset may still have failed)
};

// The steps between connect and disconnect. `runOperation` runs a work
// function as a link operation and returns its result; `functionWindow` runs
// the function's window on the document and returns true when the operator
// left it with its set button, filling in the connection setting to update.
// That setting is updated only once the document reached the display, so the
// next connection is not aimed at an address the display does not have yet.
using JxFunctionWindow = std::function<bool(CConfigDocument& document, CConnectionSettingUpdate& update)>;
JxExchangeOutcome JxRunConfigExchange(CConfigExchange& exchange, CJxConfigApp& app, const JxRunOperation& runOperation,
                                      const JxFunctionWindow& functionWindow);
