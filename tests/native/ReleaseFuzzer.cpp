// Any text through the release description reader. It gives a description
// or one problem naming a field (or a line); a description written back as
// a release.ini reads back the same. Against a plain reading of the file
// written from the format's description for release authors
// (docs/releases.md): a file that reading refuses (another section, a line
// that is no field, a field not listed or given twice, a needed field
// missing) is refused, and what the reader accepts is, field by field, what
// that reading finds and keeps the documented rules (lengths in characters,
// the characters of names and ids, device names, the version's three
// numbers to 65535, the address's scheme, yes or no, no "${" or "$\", the
// icon an icon file, the file and the licence UTF-8 as glibc's iconv reads it,
// the update address and key given together, the key's DER as openssl reads it,
// the 32-bit release's address that address with "-x86" in its path alone).
// Names of fields and the section, the scheme, and yes or no, are read
// without regard to case, as ini files and addresses usually are.

#include "Iconv.h"
#include "ReleaseDescription.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

const std::string kIcon =
    std::string("\0\0\1\0\1\0\x10\x10\0\0\1\0\x20\0\4\0\0\0\x16\0\0\0", 22) + "abcd";

// An update key as scripts/update-key writes it, and its DER as openssl
// reads it (openssl pkey -pubin -outform DER).
const std::string kUpdateKeyPem =
    "-----BEGIN PUBLIC KEY-----\n"
    "MFkwEwYHKoZIzj0CAQYIKoZIzj0DAQcDQgAEoDq2Rgouz+ZEhT4HROrmoCYw93Cn\n"
    "9fd+tNDiHOY10XHDrB7kl/EdPPc0qz9lUZjgwtCD4cFqyCEGzVmNkr6PoA==\n"
    "-----END PUBLIC KEY-----\n";
const std::string kUpdateKeyDer(
    "\x30\x59\x30\x13\x06\x07\x2a\x86\x48\xce\x3d\x02\x01\x06\x08\x2a\x86\x48\xce\x3d\x03\x01\x07"
    "\x03\x42\x00\x04\xa0\x3a\xb6\x46\x0a\x2e\xcf\xe6\x44\x85\x3e\x07\x44\xea\xe6\xa0\x26\x30\xf7"
    "\x70\xa7\xf5\xf7\x7e\xb4\xd0\xe2\x1c\xe6\x35\xd1\x71\xc3\xac\x1e\xe4\x97\xf1\x1d\x3c\xf7\x34"
    "\xab\x3f\x65\x51\x98\xe0\xc2\xd0\x83\xe1\xc1\x6a\xc8\x21\x06\xcd\x59\x8d\x92\xbe\x8f\xa0",
    91);

std::optional<std::string> ReadSkinFile(const std::string& path) {
    static const std::map<std::string, std::string> files = {{"data\\main.ico", kIcon},
                                                             {"icon.png", "\x89PNG\r\n\x1a\n"},
                                                             {"licence.txt", "licence"},
                                                             {"update.pem", kUpdateKeyPem}};
    const auto found = files.find(path);
    return found == files.end() ? std::nullopt : std::optional(found->second);
}

// Every field but the key's DER, one line each: equal texts, equal descriptions.
std::string Written(const ReleaseDescription& d) {
    std::string text = "[release]\nname=" + d.name + "\npublisher=" + d.publisher + "\nid=" + d.id +
                       "\nversion=" + d.version.Text() + "\nicon=" + d.icon +
                       "\ndesktop_shortcut=" + (d.desktopShortcut ? "yes" : "no") + "\n";
    const std::pair<const char*, const std::string*> optional[] = {
        {"name_en", &d.englishName},
        {"website", &d.website},
        {"licence", &d.licence},
        {"copyright", &d.copyright},
        {"update_url", &d.updateUrl},
        {"update_key", &d.updateKey},
        {"crash_report_url", &d.crashReportUrl}};
    for (const auto& [field, value] : optional)
        if (!value->empty())
            text += std::string(field) + "=" + *value + "\n";
    return text;
}

std::string Lowered(std::string text) {
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
}

std::string Trim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return "";
    return std::string(text.substr(first, text.find_last_not_of(" \t\r") + 1 - first));
}

// The file as docs/releases.md describes it: the fields given, or nothing
// when it breaks the format itself.
std::optional<std::map<std::string, std::string>> PlainReading(std::string_view text) {
    static const std::set<std::string> known = {
        "name",       "name_en",    "publisher",       "id",        "version",
        "website",    "icon",       "licence",         "copyright", "desktop_shortcut",
        "update_url", "update_key", "crash_report_url"};
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::map<std::string, std::string> fields;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view raw = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::string line = Trim(raw);
        const std::string lower = Lowered(line);
        if (line.empty() || line[0] == ';' || line[0] == '#' || lower == "[release]")
            continue;
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos)
            return std::nullopt;
        const std::string field = Trim(lower.substr(0, equals));
        if (!known.contains(field) || fields.contains(field))
            return std::nullopt;
        fields[field] = Trim(line.substr(equals + 1));
    }
    for (const char* needed : {"name", "publisher", "id", "version"})
        if (!fields.contains(needed))
            return std::nullopt;
    return fields;
}

std::size_t Characters(const std::string& utf8) {
    return std::count_if(utf8.begin(), utf8.end(),
                         [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

bool IsDeviceName(const std::string& name) {
    const std::string base = Lowered(name.substr(0, name.find('.')));
    if (base == "con" || base == "prn" || base == "aux" || base == "nul" || base == "conin$" ||
        base == "conout$")
        return true;
    if (!base.starts_with("com") && !base.starts_with("lpt"))
        return false;
    const std::string number = base.substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

bool IsProductName(const std::string& name) {
    return !name.empty() && Characters(name) <= 60 &&
           name.find_first_of("\\/:*?\"<>|") == std::string::npos && !name.ends_with('.') &&
           !name.ends_with(' ') && !IsDeviceName(name);
}

bool IsId(const std::string& id) {
    auto alphanumeric = [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    };
    for (std::size_t i = 0; i < id.size(); ++i)
        if (!alphanumeric(id[i]) && (i == 0 || i + 1 == id.size() || !alphanumeric(id[i - 1]) ||
                                     std::string_view(".-_").find(id[i]) == std::string::npos))
            return false;
    return !id.empty() && id.size() <= 40 && !IsDeviceName(id);
}

// "x.y.z", three numbers from 0 to 65535, as numbers.
std::optional<std::vector<unsigned long>> VersionNumbers(const std::string& text) {
    std::vector<unsigned long> numbers;
    std::size_t at = 0;
    for (int i = 0; i < 3; ++i) {
        const std::size_t end = i < 2 ? text.find('.', at) : text.size();
        const std::string number = text.substr(at, end == std::string::npos ? 0 : end - at);
        if (end == std::string::npos || number.empty() ||
            number.find_first_not_of("0123456789") != std::string::npos)
            return std::nullopt;
        // Leading zeros do not change a number.
        const std::string digits =
            number.substr(std::min(number.find_first_not_of('0'), number.size() - 1));
        if (digits.size() > 5 || std::stoul(digits) > 65535)
            return std::nullopt;
        numbers.push_back(std::stoul(digits));
        at = end + 1;
    }
    return numbers;
}

void CheckAgainstPlainReading(const std::string& text, const ReleaseDescription& d) {
    const auto plain = PlainReading(text);
    Require(plain.has_value());
    auto given = [&](const char* field, const std::string& fallback = "") {
        const auto found = plain->find(field);
        return found == plain->end() ? fallback : found->second;
    };
    Require(d.name == given("name") && IsProductName(d.name));
    Require(d.englishName == given("name_en") &&
            (d.englishName.empty() || IsProductName(d.englishName)));
    Require(d.publisher == given("publisher") && !d.publisher.empty() &&
            Characters(d.publisher) <= 100);
    Require(d.id == given("id") && IsId(d.id));
    const auto numbers = VersionNumbers(given("version"));
    Require(numbers && (*numbers)[0] == d.version.major && (*numbers)[1] == d.version.minor &&
            (*numbers)[2] == d.version.patch);
    // Schemes are case-insensitive.
    const std::string scheme = Lowered(d.website.substr(0, d.website.find(':') + 1));
    Require(d.website == given("website") &&
            (d.website.empty() || ((scheme == "http:" || scheme == "https:") &&
                                   d.website.substr(scheme.size()).starts_with("//"))));
    Require(IsUtf8ByIconv(text));
    const auto icon = ReadSkinFile(d.icon);
    Require(d.icon == given("icon", kDefaultReleaseIcon) && icon &&
            icon->starts_with(std::string("\0\0\1\0", 4)));
    const auto licence = ReadSkinFile(d.licence);
    Require(d.licence == given("licence") &&
            (d.licence.empty() || (licence && IsUtf8ByIconv(*licence))));
    Require(Lowered(given("desktop_shortcut", "yes")) == (d.desktopShortcut ? "yes" : "no"));
    Require(d.copyright == given("copyright") && Characters(d.copyright) <= 100);
    // Given together: a printable ASCII http(s) address without spaces, and
    // a public key file of the skin's. Crash reports go to such an address too.
    auto isWebAddress = [](const std::string& address) {
        const std::string scheme = Lowered(address.substr(0, address.find("://") + 3));
        return (scheme == "http://" || scheme == "https://") &&
               std::all_of(address.begin(), address.end(),
                           [](char c) { return c > ' ' && c < 0x7F; });
    };
    Require(d.updateUrl == given("update_url") && d.updateKey == given("update_key") &&
            d.updateUrl.empty() == d.updateKey.empty());
    if (!d.updateUrl.empty()) {
        Require(isWebAddress(d.updateUrl) && ReadSkinFile(d.updateKey) == kUpdateKeyPem &&
                d.updateKeyDer == kUpdateKeyDer);
        // The 32-bit release's address: "-x86" in the last segment of the
        // path (an empty path made "/"), the host, query and fragment kept.
        auto split = [](const std::string& address) {
            const std::size_t end =
                std::min(address.find_first_of("?#", address.find("://") + 3), address.size());
            return std::pair(address.substr(0, end), address.substr(end));
        };
        const std::string x86 = X86UpdateUrl(d.updateUrl);
        const auto [path, rest] = split(d.updateUrl);
        auto [x86Path, x86Rest] = split(x86);
        const std::size_t inserted = x86Path.rfind("-x86");
        Require(isWebAddress(x86) && x86Rest == rest && inserted != std::string::npos &&
                inserted > x86Path.rfind('/'));
        x86Path.erase(inserted, 4);
        Require(x86Path == path || x86Path == path + "/");
    }
    Require(d.crashReportUrl == given("crash_report_url") &&
            (d.crashReportUrl.empty() || isWebAddress(d.crashReportUrl)));
    for (const auto& [field, value] : *plain)
        Require(value.find("${") == std::string::npos && value.find("$\\") == std::string::npos);
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
    CheckAgainstPlainReading(text, d);
    const auto again = ReadReleaseDescription(Written(d), ReadSkinFile);
    const auto* back = std::get_if<ReleaseDescription>(&again);
    Require(back && Written(*back) == Written(d) && back->updateKeyDer == d.updateKeyDer);
    return 0;
}
