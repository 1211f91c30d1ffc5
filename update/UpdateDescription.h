#pragma once
// The update description a release's server publishes (one flat JSON object,
// written by the packaging), read strictly, and what the running release
// makes of it. Portable (no platform types), so it also builds natively for
// the sanitizers and the fuzzer.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

struct UpdateVersion {
    unsigned major = 0;
    unsigned minor = 0;
    unsigned patch = 0;

    // Numeric, part by part: 1.10.0 is above 1.9.0.
    auto operator<=>(const UpdateVersion&) const = default;
    std::string Text() const;
};

// "x.y.z", each part a decimal number up to 65535 (at most six digits).
// The release tool reads release.ini's version with it too.
std::optional<UpdateVersion> ParseUpdateVersion(std::string_view text);

// Every text is UTF-8.
struct UpdateDescription {
    std::string id;
    UpdateVersion version;
    // UTC, "YYYY-MM-DDThh:mm:ssZ".
    std::string published;
    // A file name relative to the description's address, or an absolute
    // http(s) address.
    std::string installer;
    std::uint64_t installerSize = 0;
    // 64 lower-case hex digits.
    std::string installerSha256;
    // Tabs and line ends are the only control characters.
    std::string notes;
    unsigned rollout = 0;
    std::optional<UpdateVersion> minimumVersion;
};

// The largest description and signature the client reads.
inline constexpr std::size_t kUpdateDescriptionCap = 64 * 1024;

// The description in `json`, or what is wrong with it (one line, ASCII).
std::variant<UpdateDescription, std::string> ReadUpdateDescription(std::string_view json);

enum class UpdateOffer { None, Offered, Mandatory };

struct UpdateVerdict {
    UpdateOffer offer = UpdateOffer::None;
    // Why, for the update log.
    std::string reason;
};

// What a release `ownId` at `ownVersion` does with a verified description,
// for an installation whose roll-out place (0-99) is `place`.
UpdateVerdict JudgeUpdate(const UpdateDescription& description, std::string_view ownId,
                          const UpdateVersion& ownVersion, unsigned place);
