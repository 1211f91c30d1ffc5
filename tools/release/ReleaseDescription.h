#pragma once
// The release description: release.ini beside a skin's config.xml, which
// names the operator's release of the client (the installer, the shortcuts,
// Add/Remove Programs and the executable's version information). The client
// never reads it; the release tool and the skin checker do, through this one
// reader. Portable (no platform types), so it also builds natively.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

struct ReleaseVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned patch = 0;

    std::string Text() const;
};

// Every text is UTF-8; optional fields that were not given are empty.
struct ReleaseDescription {
    std::string name;
    std::string englishName;
    std::string publisher;
    std::string id;
    ReleaseVersion version;
    std::string website;
    // Paths relative to the skin folder, with backslashes.
    std::string icon;
    std::string licence;
    bool desktopShortcut = true;
    std::string copyright;
    // Where the client looks for updates and the key their descriptions are
    // signed with: both or neither. The key file's path is relative to the
    // skin folder; updateKeyDer is its public key (an X.509
    // SubjectPublicKeyInfo of an ECDSA P-256 key, DER), which the packaging
    // writes into the executable.
    std::string updateUrl;
    std::string updateKey;
    std::string updateKeyDer;
    // Where the client sends its crash reports (written into the executable
    // too); empty: reports stay on the player's machine.
    std::string crashReportUrl;
};

// What is wrong, for one field ("name", "version", ...) or, for a line that
// names none, "line N".
struct ReleaseProblem {
    std::string field;
    std::string message;
};

// The bytes of a file of the skin, by its path relative to the skin folder;
// nothing when it cannot be read.
using SkinFileReader = std::function<std::optional<std::string>(const std::string& path)>;

constexpr char kReleaseFileName[] = "release.ini";
constexpr char kDefaultReleaseIcon[] = "data\\main.ico";

// Reads the text of a release description, and the icon and licence files it
// names; the description, or the first problem found.
std::variant<ReleaseDescription, ReleaseProblem>
ReadReleaseDescription(std::string_view text, const SkinFileReader& readFile);

// "release.ini: FIELD: message", as both tools print it.
std::string FormatReleaseProblem(const ReleaseProblem& problem);

// The public key of an update key file (PEM "PUBLIC KEY" of an ECDSA P-256
// key, as scripts/update-key writes it) in DER; or what is wrong with it.
std::variant<std::string, std::string> ReadUpdatePublicKey(std::string_view pem);

// The update address of the 32-bit release, whose description is its own
// (it names the 32-bit installer): `updateUrl` with "-x86" before the final
// ".json" (any case) of the path's last segment, or after the path when
// that segment has no such ending; an empty path is "/". The query and the
// fragment stay as they are.
std::string X86UpdateUrl(std::string_view updateUrl);

// What keeps `bytes` from being a Windows icon (.ico) with its images
// inside the file; nothing when it is one.
std::optional<std::string> IconFileProblem(std::string_view bytes);
