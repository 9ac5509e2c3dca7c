// The frame of every piece of work on a display: configure the link from the
// operator's connection choice and connect (one link operation), run the
// work while the link is up, disconnect (another link operation). Each step
// shows its texts in the owner's progress view and its failure as a message.
//
// Link operations run through `runOperation`: the windows pass one that
// runs the step on a worker under the "Communication Progress" window, a
// program without windows one that runs it directly.
#pragma once

#include <functional>

#include "CConnectionChoice.h"
#include "LinkOperation.h"

class CJxConfigApp;

inline constexpr const char* kJxDisconnecting = "Disconnecting from Network...";

// Clears the cancel flag, then as one link operation: "Connecting to
// Network...", the panel of the choice's kind configures the link (applying
// the site policies), the link connects. True when the link is connected;
// otherwise its message was shown ("The network setting you specified is
// invalid." for a choice that cannot be used, "Unable to connect to
// display: ..." for a display out of reach), unless the operator cancelled.
bool JxConnect(CLinkOwner& owner, CJxConfigApp& app, const CConnectionChoice& choice,
               const JxRunOperation& runOperation);

// As one link operation with Abort off (closing the line can take a while,
// but there is nothing left to cancel): "Disconnecting from Network...",
// the link disconnects. False, with its message, when it could not.
bool JxDisconnect(CLinkOwner& owner, const JxRunOperation& runOperation);

// JxConnect, then `work` (on the caller's thread; it runs its own link
// operations on `owner`), then JxDisconnect. False when no connection was
// made and `work` did not run.
bool JxRunConnected(CLinkOwner& owner, CJxConfigApp& app, const CConnectionChoice& choice,
                    const JxRunOperation& runOperation, const std::function<void()>& work);
