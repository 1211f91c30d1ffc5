#pragma once
// The address rules of the hand-over to the external game program. Portable
// (no platform types), so they can be checked and fuzzed natively as well.
//
// Narrow addresses are in a multi-byte code page: a search only matches at
// the start of a character, never on the trail byte of a double-byte one.

#include "MbcsSearch.h"

#include <optional>
#include <string>
#include <string_view>

// Whether a byte starts a double-byte character.
using LeadByteTest = bool (*)(unsigned char byte);

// A navigation to an address containing "web\main" arms the hand-over.
bool ArmsHandOver(std::string_view url, LeadByteTest isLeadByte);

// For an armed client: the parameters the game program is started with when
// a navigation to `url` hands the game over, which it does for an address
// containing "http://" with a "#": everything after the first "#", then "|",
// then the address up to and including its last "/" (which may lie in the
// fragment). Nothing for any other address.
std::optional<std::string> HandOverParameters(std::string_view url, LeadByteTest isLeadByte);
