// Any bytes through the update description's reader. It gives a
// description or a problem; a description holds what the rules promise, and
// written back by this file's own JSON writer, once with plain escapes and
// once with every character outside printable ASCII as \u escapes (surrogate
// pairs beyond the BMP), reads back the same. nlohmann-json
// (nlohmann-json3-dev) reads the same bytes as the reference.

#include "UpdateDescription.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// Decodes one UTF-8 sequence the reader has already accepted.
std::uint32_t NextCode(const std::string& text, std::size_t& at) {
    const unsigned char lead = static_cast<unsigned char>(text[at]);
    const int length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
    for (int i = 1; i < length; ++i)
        code = (code << 6) | (static_cast<unsigned char>(text[at + i]) & 0x3F);
    at += length;
    return code;
}

std::string Quoted(const std::string& text, bool escapeAll) {
    std::string out = "\"";
    char hex[16];
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t start = at;
        const std::uint32_t code = NextCode(text, at);
        if (code == '"' || code == '\\') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code >= 0x20 && code < 0x7F) {
            out += static_cast<char>(code);
        } else if (code < 0x20 || escapeAll) {
            if (code >= 0x10000) {
                const std::uint32_t v = code - 0x10000;
                std::snprintf(hex, sizeof(hex), "\\u%04X\\u%04x", 0xD800 + (v >> 10),
                              0xDC00 + (v & 0x3FF));
            } else {
                std::snprintf(hex, sizeof(hex), "\\u%04x", code);
            }
            out += hex;
        } else {
            // Written back as the reader gave it.
            out.append(text, start, at - start);
        }
    }
    return out + "\"";
}

std::string Written(const UpdateDescription& d, bool escapeAll) {
    std::string json = "{\"notes\":" + Quoted(d.notes, escapeAll) +
                       ",\"format\":1,\"id\":" + Quoted(d.id, escapeAll) + ",\"version\":\"" +
                       d.version.Text() + "\",\"published\":" + Quoted(d.published, escapeAll) +
                       ",\"installer\":" + Quoted(d.installer, escapeAll) +
                       ",\"installer_size\":" + std::to_string(d.installerSize) +
                       ",\"installer_sha256\":\"" + d.installerSha256 +
                       "\",\"rollout\":" + std::to_string(d.rollout);
    if (d.minimumVersion)
        json += ",\"minimum_version\":\"" + d.minimumVersion->Text() + "\"";
    return json + "}";
}

bool Same(const UpdateDescription& a, const UpdateDescription& b) {
    return a.id == b.id && a.version == b.version && a.published == b.published &&
           a.installer == b.installer && a.installerSize == b.installerSize &&
           a.installerSha256 == b.installerSha256 && a.notes == b.notes && a.rollout == b.rollout &&
           a.minimumVersion == b.minimumVersion;
}

// The reader is stricter than JSON (no NUL, no fractions, no repeated key, a
// size cap, the fields' own rules), so only one direction is checked: what
// it accepts, the reference accepts as an object whose fields hold the same
// values (so what the reference refuses as JSON, the reader refuses too).
// And the reference's own writing of that object, \u escapes for all but
// ASCII, reads back the same.
void RequireReferenceAgrees(const std::string& text, const UpdateDescription& d) {
    const auto json = nlohmann::json::parse(text, nullptr, false);
    Require(json.is_object());
    const auto string = [&](const char* key) {
        const auto found = json.find(key);
        Require(found != json.end() && found->is_string());
        return found->get<std::string>();
    };
    const auto integer = [&](const char* key) {
        const auto found = json.find(key);
        Require(found != json.end() && found->is_number_integer());
        return found->get<std::int64_t>();
    };
    Require(integer("format") == 1 && string("id") == d.id &&
            ParseUpdateVersion(string("version")) == d.version &&
            string("published") == d.published && string("installer") == d.installer &&
            integer("installer_size") == static_cast<std::int64_t>(d.installerSize) &&
            string("installer_sha256") == d.installerSha256 && string("notes") == d.notes &&
            integer("rollout") == static_cast<std::int64_t>(d.rollout));
    Require(json.contains("minimum_version") == d.minimumVersion.has_value());
    if (d.minimumVersion)
        Require(ParseUpdateVersion(string("minimum_version")) == d.minimumVersion);
    const std::string written = json.dump(-1, ' ', true);
    if (written.size() <= kUpdateDescriptionCap) {
        const auto again = ReadUpdateDescription(written);
        Require(std::holds_alternative<UpdateDescription>(again) &&
                Same(d, std::get<UpdateDescription>(again)));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const auto read = ReadUpdateDescription(text);
    if (const auto* problem = std::get_if<std::string>(&read)) {
        Require(!problem->empty());
        return 0;
    }
    const UpdateDescription& d = std::get<UpdateDescription>(read);
    Require(!d.id.empty() && d.installerSize > 0 && d.rollout <= 100 &&
            d.installerSha256.size() == 64 && d.version.major <= 65535 &&
            d.version.minor <= 65535 && d.version.patch <= 65535);
    Require(!d.minimumVersion || *d.minimumVersion <= d.version);
    Require(d.notes.find('\0') == std::string::npos);
    Require(ParseUpdateVersion(d.version.Text()) == d.version);
    RequireReferenceAgrees(text, d);
    for (bool escapeAll : {false, true}) {
        const auto again = ReadUpdateDescription(Written(d, escapeAll));
        Require(std::holds_alternative<UpdateDescription>(again) &&
                Same(d, std::get<UpdateDescription>(again)));
    }
    return 0;
}
