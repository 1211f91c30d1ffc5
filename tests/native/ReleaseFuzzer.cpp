// Any text through the release description reader. It gives a description
// or one problem naming a field (or a line); a description written back as
// a release.ini reads back the same, and holds what the rules promise.

#include "ReleaseDescription.h"

#include <cstdlib>
#include <map>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

const std::string kIcon =
    std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0\4\0\0\0\x16\0\0\0", 22) + "abcd";

std::optional<std::string> ReadSkinFile(const std::string& path) {
    static const std::map<std::string, std::string> files = {
        {"data\\main.ico", kIcon},
        {"icon.png", "\x89PNG\r\n\x1a\n"},
        {"licence.txt", "licence"},
        {"update.pem", "-----BEGIN PUBLIC KEY-----\n"
                       "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEoDq2Rgouz+ZEhT4HROrmoCYw93Cn\n"
                       "9fd+tNDiHOY10XHDrB7kl/EdPPc0qz9lUZjgwtCD4cFqyCEGzVmNkr6PoA==\n"
                       "-----END PUBLIC KEY-----\n"}};
    const auto found = files.find(path);
    if (found == files.end())
        return std::nullopt;
    return found->second;
}

std::string Written(const ReleaseDescription& d) {
    std::string text = "[release]\nname=" + d.name + "\npublisher=" + d.publisher + "\nid=" + d.id +
                       "\nversion=" + d.version.Text() + "\nicon=" + d.icon +
                       "\ndesktop_shortcut=" + (d.desktopShortcut ? "yes" : "no") + "\n";
    const std::pair<const char*, const std::string*> optional[] = {
        {"name_en", &d.englishName}, {"website", &d.website},      {"licence", &d.licence},
        {"copyright", &d.copyright}, {"update_url", &d.updateUrl}, {"update_key", &d.updateKey}};
    for (const auto& [field, value] : optional)
        if (!value->empty())
            text += std::string(field) + "=" + *value + "\n";
    return text;
}

bool Same(const ReleaseDescription& a, const ReleaseDescription& b) {
    return a.name == b.name && a.englishName == b.englishName && a.publisher == b.publisher &&
           a.id == b.id && a.version.Text() == b.version.Text() && a.website == b.website &&
           a.icon == b.icon && a.licence == b.licence && a.desktopShortcut == b.desktopShortcut &&
           a.copyright == b.copyright && a.updateUrl == b.updateUrl && a.updateKey == b.updateKey &&
           a.updateKeyDer == b.updateKeyDer;
}

bool IsIdCharacter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
           c == '-' || c == '_';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto read = ReadReleaseDescription(text, ReadSkinFile);
    if (const auto* problem = std::get_if<ReleaseProblem>(&read)) {
        Require(!problem->field.empty() && !problem->message.empty());
        return 0;
    }
    const ReleaseDescription& d = std::get<ReleaseDescription>(read);
    Require(!d.name.empty() && !d.publisher.empty() && !d.id.empty() && !d.icon.empty());
    for (char c : d.id)
        Require(IsIdCharacter(c));
    Require(d.version.major <= 65535 && d.version.minor <= 65535 && d.version.patch <= 65535);
    const auto again = ReadReleaseDescription(Written(d), ReadSkinFile);
    Require(std::holds_alternative<ReleaseDescription>(again) &&
            Same(d, std::get<ReleaseDescription>(again)));
    return 0;
}
