#include "SkinSettings.h"

#include "ConfigStore.h"
#include "GameLayout.h"
#include "SkinKeys.h"

#include <windows.h>

#include <shlwapi.h>

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

namespace {

// The skin's own page, as a file: address; empty when it names no file.
std::string SkinOfflinePage() {
    if (Setting("offline_page").empty())
        return {};
    char full[MAX_PATH] = {};
    const DWORD length =
        ::GetFullPathNameA(DataPath("offline_page").c_str(), MAX_PATH, full, nullptr);
    const DWORD attributes =
        length && length < MAX_PATH ? ::GetFileAttributesA(full) : INVALID_FILE_ATTRIBUTES;
    char address[3 * MAX_PATH] = {};
    DWORD size = sizeof(address);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) ||
        FAILED(::UrlCreateFromPathA(full, address, &size, 0)))
        return {};
    return address;
}

// The page built into the executable.
std::string BuiltInOfflinePage() {
    char module[MAX_PATH] = {};
    const DWORD length = ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return {};
    return std::string("res://") + module + "/offline.html";
}

} // namespace

OfflinePageChoice OfflinePage() {
    std::string page = SkinOfflinePage();
    if (page.empty())
        page = BuiltInOfflinePage();
    const std::uint32_t colour = ColourFromChannels(
        IntSetting("game_title_r"), IntSetting("game_title_g"), IntSetting("game_title_b"));
    const bool english = PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_ENGLISH;
    char more[64];
    ::wsprintfA(more, "&lang=%s&colour=%02X%02X%02X", english ? "en" : "zh", GetRValue(colour),
                GetGValue(colour), GetBValue(colour));
    return {page, more};
}

void TrustOperatorPages(CTrustedOrigins& trust) {
    trust.TrustOriginOf(Setting("login_url"));
    trust.TrustAddress(Setting("login_url"));
    trust.TrustListed(Setting(kTrustedOriginsKey));
}
