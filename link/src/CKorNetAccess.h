// White-box access to a link's state, for the library's own tests and fuzz
// targets (linked against kornet_internal). Not installed.
#pragma once

#include "CKorNetLink.h"

struct CKorNetAccess {
    static CKorNetLink& Link(CKorNetwork& network) { return *network.m_link; }
};
