// The Communications group's configure step: the panel of the chosen
// connection kind sets the link up, applying the site policies of its kind
// just before the library's configure call.
#pragma once

#include "CConnectionChoice.h"

class CJxConfigApp;
class CKorNetwork;
class CLinkOwner;

// True when the link is configured; false makes the caller show "The network
// setting you specified is invalid.". Runs on the link operation's worker;
// `owner` (may be null) gives auto-detection its progress window and the
// cancel flag.
bool ConfigureLink(CJxConfigApp& app, CKorNetwork& link, const CConnectionChoice& choice, CLinkOwner* owner);
