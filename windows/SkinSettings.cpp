#include "SkinSettings.h"

#include "ConfigStore.h"
#include "SkinKeys.h"

#include <cstdlib>

std::string Setting(const std::string& key) {
    return CConfigStore::Instance().GetValue(key);
}

int IntSetting(const std::string& key) {
    return std::atoi(Setting(key).c_str());
}

std::string DataPath(const std::string& key) {
    return "data\\" + Setting(key);
}

void TrustOperatorPages(CTrustedOrigins& trust) {
    trust.TrustOriginOf(Setting("login_url"));
    trust.TrustAddress(Setting("login_url"));
    trust.TrustListed(Setting(kTrustedOriginsKey));
}
