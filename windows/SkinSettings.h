#pragma once
// How the windows read their skin from the configuration store: texts as
// they stand, numbers through atoi, images as paths under data\.

#include "TrustedOrigins.h"

#include <string>

std::string Setting(const std::string& key);
// atoi of the value: 0 when missing or not a number.
int IntSetting(const std::string& key);
// "data\" followed by the value: a path relative to the current directory.
std::string DataPath(const std::string& key);

// Where the windows' browsers show that the server cannot be reached: the
// skin's `offline_page` under data\ (a file: address) when that file is
// there, else the page built into the executable (a res: address); and what
// the page is told besides the failure: the system's language ("&lang=zh" or
// "&lang=en") and the title's colour ("&colour=RRGGBB").
struct OfflinePageChoice {
    std::string page;
    std::string more;
};
OfflinePageChoice OfflinePage();

// The operator's pages: the origin of login_url (and the login page's own
// address, which may have none: the client goes there itself) and those of
// trusted_origins.
void TrustOperatorPages(CTrustedOrigins& trust);
