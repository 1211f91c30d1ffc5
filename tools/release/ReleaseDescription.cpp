#include "ReleaseDescription.h"

#include "IconCheck.h"
#include "UpdateDescription.h"
#include "UpdateKeyFormat.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <map>
#include <vector>

namespace {

constexpr size_t kLongestName = 60, kLongestPublisher = 100, kLongestId = 40;

bool IsAsciiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsAsciiSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsAsciiSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lowered;
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// The length of the UTF-8 sequence at the start of `text`, or 0 when none
// starts there (overlong forms, surrogates and values past U+10FFFF included).
size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
        (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))
        return 0;
    return length;
}

bool IsUtf8(std::string_view text) {
    while (!text.empty()) {
        const size_t length = Utf8SequenceLength(text);
        if (length == 0)
            return false;
        text.remove_prefix(length);
    }
    return true;
}

size_t CharacterCount(std::string_view text) {
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::string_view WithoutByteOrderMark(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    return text;
}

// Windows keeps these names for devices, with any extension and whatever the
// case: a folder or file so named cannot be made.
bool IsReservedDeviceName(std::string_view name) {
    std::string base = Lowered(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    static constexpr std::array<std::string_view, 6> kDevices = {"con", "prn",    "aux",
                                                                 "nul", "conin$", "conout$"};
    if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end())
        return true;
    if (!base.starts_with("com") && !base.starts_with("lpt"))
        return false;
    // COM0 to COM9 and COM¹, COM², COM³ (in UTF-8), the same for LPT.
    const std::string_view number = std::string_view(base).substr(3);
    return (number.size() == 1 && number[0] >= '0' && number[0] <= '9') || number == "\xC2\xB9" ||
           number == "\xC2\xB2" || number == "\xC2\xB3";
}

using Check = std::optional<std::string>;

// The installer's compiler reads "${" as the start of its own definitions
// and "$\" as an escape wherever a text is written in its script, whatever
// the quoting: no text can carry them unchanged (any other "$" is carried).
Check InstallerSequenceProblem(std::string_view value) {
    for (std::string_view sequence : {"${", "$\\"})
        if (value.find(sequence) != std::string_view::npos)
            return "holds " + Quoted(sequence) + ", which the installer cannot carry unchanged";
    return std::nullopt;
}

Check TextProblem(std::string_view value, size_t longest) {
    if (value.empty())
        return "is empty";
    if (std::any_of(value.begin(), value.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
        return "holds a control character";
    if (Check problem = InstallerSequenceProblem(value))
        return problem;
    if (CharacterCount(value) > longest)
        return "is longer than " + std::to_string(longest) + " characters";
    return std::nullopt;
}

// The product's names name the installation folder and the shortcuts.
Check FolderNameProblem(std::string_view name) {
    if (Check problem = TextProblem(name, kLongestName))
        return problem;
    const size_t refused = name.find_first_of("\\/:*?\"<>|");
    if (refused != std::string_view::npos)
        return Quoted(name) + " holds " + Quoted(name.substr(refused, 1)) +
               ", which Windows does not allow in folder and file names";
    if (name.back() == '.' || name.back() == ' ')
        return Quoted(name) + " ends with a dot or a space, which Windows drops from folder names";
    if (IsReservedDeviceName(name))
        return Quoted(name) + " is a name Windows keeps for a device";
    return std::nullopt;
}

// Letters and digits, a separator only between two of them: "game." would
// name its program "game..exe".
Check IdProblem(std::string_view id) {
    if (Check problem = TextProblem(id, kLongestId))
        return problem;
    const auto isAlnum = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0; };
    bool allowed = isAlnum(id.front()) && isAlnum(id.back());
    for (size_t i = 0; allowed && i < id.size(); ++i)
        allowed = isAlnum(id[i]) ||
                  ((id[i] == '.' || id[i] == '-' || id[i] == '_') && isAlnum(id[i + 1]));
    if (!allowed)
        return Quoted(id) +
               " must be ASCII letters and digits, with \".\", \"-\" or \"_\" between them: it "
               "names the uninstall entry and the release's files";
    if (IsReservedDeviceName(id))
        return Quoted(id) + " is a name Windows keeps for a device";
    return std::nullopt;
}

std::optional<ReleaseVersion> ParseVersion(std::string_view text) {
    const std::optional<UpdateVersion> version = ParseUpdateVersion(text);
    if (!version)
        return std::nullopt;
    return ReleaseVersion{version->major, version->minor, version->patch};
}

Check WebsiteProblem(std::string_view address) {
    const std::string lowered = Lowered(address);
    for (std::string_view scheme : {"http://", "https://"})
        if (lowered.starts_with(scheme) && address.size() > scheme.size() &&
            address.find_first_of(" \t\"") == std::string_view::npos)
            return InstallerSequenceProblem(address);
    return Quoted(address) + " is not an http:// or https:// address";
}

// A path relative to the skin folder, with backslashes; the problem with it
// as the skin's own file, or nothing.
Check RelativePathProblem(std::string& path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    const bool absolute = path.starts_with('\\') || path.find(':') != std::string::npos;
    const bool climbs = path == ".." || path.starts_with("..\\") ||
                        path.find("\\..\\") != std::string::npos || path.ends_with("\\..");
    if (absolute || climbs)
        return Quoted(path) + " must be a file in the skin folder, given relative to it";
    return std::nullopt;
}

// The client fetches this address itself: printable ASCII only, so that it
// reaches the executable and the network unchanged.
Check UpdateUrlProblem(std::string_view address) {
    if (std::any_of(address.begin(), address.end(), [](char c) {
            return static_cast<unsigned char>(c) <= 0x20 || static_cast<unsigned char>(c) >= 0x7F;
        }))
        return Quoted(address) + " holds a space or a character outside printable ASCII";
    return WebsiteProblem(address);
}

// Base64 with its padding; nothing when the text holds anything else.
std::optional<std::string> DecodedBase64(std::string_view text) {
    static constexpr std::string_view kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    if (text.empty() || text.size() % 4 != 0)
        return std::nullopt;
    text.remove_suffix(text.ends_with("==") ? 2 : text.ends_with('=') ? 1 : 0);
    std::string bytes;
    unsigned bits = 0, count = 0;
    for (char c : text) {
        const size_t value = kAlphabet.find(c);
        if (value == std::string_view::npos)
            return std::nullopt;
        bits = (bits << 6 | static_cast<unsigned>(value)) & 0xFFFFFF;
        count += 6;
        if (count >= 8) {
            count -= 8;
            bytes += static_cast<char>(bits >> count & 0xFF);
        }
    }
    return bytes;
}

const std::vector<std::string_view>& FieldNames() {
    static const std::vector<std::string_view> names = {"name",
                                                        "name_en",
                                                        "publisher",
                                                        "id",
                                                        "version",
                                                        "website",
                                                        "icon",
                                                        "licence",
                                                        "desktop_shortcut",
                                                        "copyright",
                                                        "update_url",
                                                        "update_key",
                                                        "crash_report_url"};
    return names;
}

using Fields = std::map<std::string, std::string, std::less<>>;

// The fields of the text, or the first problem with its lines.
std::variant<Fields, ReleaseProblem> ParseLines(std::string_view text) {
    Fields fields;
    size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        const size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const std::string where = "line " + std::to_string(lineNumber);
        if (!IsUtf8(raw))
            return ReleaseProblem{where, "is not UTF-8 text: save the file as UTF-8"};
        const std::string_view line = Trimmed(raw);
        if (line.empty() || line.starts_with(';') || line.starts_with('#'))
            continue;
        if (line.starts_with('[')) {
            if (Lowered(line) != "[release]")
                return ReleaseProblem{
                    where, Quoted(line) + " is not a section of a release description: the only "
                                          "one is [release]"};
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            return ReleaseProblem{where, Quoted(line) + " is not of the form field=value"};
        const std::string field = Lowered(Trimmed(line.substr(0, equals)));
        if (std::find(FieldNames().begin(), FieldNames().end(), field) == FieldNames().end())
            return ReleaseProblem{field.empty() ? where : field,
                                  "is not a field of a release description"};
        if (!fields.emplace(field, Trimmed(line.substr(equals + 1))).second)
            return ReleaseProblem{field, "is given twice"};
    }
    return fields;
}

class CDescriptionReader {
public:
    CDescriptionReader(Fields fields, const SkinFileReader& readFile)
        : m_fields(std::move(fields)), m_readFile(readFile) {}

    std::variant<ReleaseDescription, ReleaseProblem> Read() {
        ReleaseDescription d;
        const bool read =
            Required("name", d.name, FolderNameProblem) &&
            Optional("name_en", d.englishName, FolderNameProblem) &&
            Required("publisher", d.publisher,
                     [](std::string_view v) { return TextProblem(v, kLongestPublisher); }) &&
            Required("id", d.id, IdProblem) && ReadVersion(d.version) &&
            Optional("website", d.website, WebsiteProblem) && ReadIcon(d.icon) &&
            ReadLicence(d.licence) && ReadDesktopShortcut(d.desktopShortcut) &&
            Optional("copyright", d.copyright,
                     [](std::string_view v) { return TextProblem(v, kLongestPublisher); }) &&
            ReadUpdate(d) && Optional("crash_report_url", d.crashReportUrl, UpdateUrlProblem);
        if (!read)
            return m_problem;
        return d;
    }

private:
    template <class Rule> bool Required(const char* field, std::string& out, Rule rule) {
        if (!m_fields.contains(field))
            return Fail(field, "is missing: every release description names it");
        return Optional(field, out, rule);
    }

    template <class Rule> bool Optional(const char* field, std::string& out, Rule rule) {
        const auto found = m_fields.find(field);
        if (found == m_fields.end())
            return true;
        if (Check problem = rule(found->second))
            return Fail(field, *problem);
        out = found->second;
        return true;
    }

    bool ReadVersion(ReleaseVersion& version) {
        std::string text;
        if (!Required("version", text, [](std::string_view) { return Check{}; }))
            return false;
        std::optional<ReleaseVersion> parsed = ParseVersion(text);
        if (!parsed)
            return Fail("version", Quoted(text) + " is not a version x.y.z of three numbers "
                                                  "from 0 to 65535");
        version = *parsed;
        return true;
    }

    // The bytes of a file named by `field`, or nothing with the problem set.
    std::optional<std::string> ReadNamedFile(const char* field, std::string& path) {
        if (Check problem = RelativePathProblem(path)) {
            Fail(field, *problem);
            return std::nullopt;
        }
        std::optional<std::string> bytes = m_readFile(path);
        if (!bytes)
            Fail(field, Quoted(path) + " does not exist or cannot be read");
        return bytes;
    }

    bool ReadIcon(std::string& icon) {
        icon = kDefaultReleaseIcon;
        if (!Optional("icon", icon, [](std::string_view) { return Check{}; }))
            return false;
        std::optional<std::string> bytes = ReadNamedFile("icon", icon);
        if (!bytes)
            return false;
        if (Check problem = IconFileProblem(*bytes))
            return Fail("icon", Quoted(icon) + " " + *problem);
        return true;
    }

    bool ReadLicence(std::string& licence) {
        if (!m_fields.contains("licence"))
            return true;
        licence = m_fields.at("licence");
        std::optional<std::string> bytes = ReadNamedFile("licence", licence);
        if (!bytes)
            return false;
        const std::string_view text = WithoutByteOrderMark(*bytes);
        if (Trimmed(text).empty())
            return Fail("licence", Quoted(licence) + " is empty");
        if (!IsUtf8(text))
            return Fail("licence", Quoted(licence) + " is not UTF-8 text: save it as UTF-8");
        return true;
    }

    bool ReadDesktopShortcut(bool& offered) {
        const auto found = m_fields.find("desktop_shortcut");
        if (found == m_fields.end())
            return true;
        const std::string answer = Lowered(found->second);
        if (answer != "yes" && answer != "no")
            return Fail("desktop_shortcut", Quoted(found->second) + " is neither yes nor no");
        offered = answer == "yes";
        return true;
    }

    // The update address and key: both or neither.
    bool ReadUpdate(ReleaseDescription& d) {
        const bool url = m_fields.contains("update_url"), key = m_fields.contains("update_key");
        if (url != key)
            return Fail(url ? "update_key" : "update_url",
                        "is missing: update_url and update_key are given together");
        if (!url)
            return true;
        if (!Optional("update_url", d.updateUrl, UpdateUrlProblem))
            return false;
        d.updateKey = m_fields.at("update_key");
        std::optional<std::string> bytes = ReadNamedFile("update_key", d.updateKey);
        if (!bytes)
            return false;
        auto der = ReadUpdatePublicKey(*bytes);
        if (der.index() == 1)
            return Fail("update_key", Quoted(d.updateKey) + " " + std::get<1>(der));
        d.updateKeyDer = std::get<0>(der);
        return true;
    }

    bool Fail(const char* field, std::string message) {
        m_problem = {field, std::move(message)};
        return false;
    }

    Fields m_fields;
    const SkinFileReader& m_readFile;
    ReleaseProblem m_problem;
};

} // namespace

std::string ReleaseVersion::Text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::variant<ReleaseDescription, ReleaseProblem>
ReadReleaseDescription(std::string_view text, const SkinFileReader& readFile) {
    auto parsed = ParseLines(WithoutByteOrderMark(text));
    if (auto* problem = std::get_if<ReleaseProblem>(&parsed))
        return *problem;
    return CDescriptionReader(std::move(std::get<Fields>(parsed)), readFile).Read();
}

std::string FormatReleaseProblem(const ReleaseProblem& problem) {
    return std::string(kReleaseFileName) + ": " + problem.field + ": " + problem.message;
}

std::variant<std::string, std::string> ReadUpdatePublicKey(std::string_view pem) {
    using Result = std::variant<std::string, std::string>;
    constexpr std::string_view kBegin = "-----BEGIN PUBLIC KEY-----",
                               kEnd = "-----END PUBLIC KEY-----";
    std::string body;
    bool begun = false, ended = false;
    while (!pem.empty()) {
        const size_t end = pem.find('\n');
        const std::string_view line = Trimmed(pem.substr(0, end));
        pem.remove_prefix(end == std::string_view::npos ? pem.size() : end + 1);
        if (line.empty() || ended)
            continue;
        if (!begun && line == kBegin)
            begun = true;
        else if (begun && line == kEnd)
            ended = true;
        else if (begun)
            body += line;
        else
            return Result(std::in_place_index<1>,
                          "is not a public key file: it must start with " + std::string(kBegin));
    }
    if (!ended)
        return Result(std::in_place_index<1>, "is not a public key file of " + std::string(kBegin) +
                                                  " ... " + std::string(kEnd) +
                                                  " (scripts/update-key writes one)");
    std::optional<std::string> der = DecodedBase64(body);
    if (!der)
        return Result(std::in_place_index<1>, "holds a public key that is not valid base64");
    if (!IsP256PublicKey(*der))
        return Result(std::in_place_index<1>,
                      "is not an ECDSA P-256 public key (scripts/update-key makes one)");
    return Result(std::in_place_index<0>, std::move(*der));
}

std::string X86UpdateUrl(std::string_view updateUrl) {
    constexpr std::string_view kSuffix = "-x86", kJson = ".json";
    const size_t scheme = updateUrl.find("://");
    const size_t host = scheme == std::string_view::npos ? 0 : scheme + 3;
    const std::string_view beforeQuery =
        updateUrl.substr(0, std::min(updateUrl.find_first_of("?#", host), updateUrl.size()));
    const std::string_view query = updateUrl.substr(beforeQuery.size());
    std::string derived(beforeQuery);
    std::string_view segment;
    if (beforeQuery.find('/', host) == std::string_view::npos)
        derived += '/';
    else
        segment = beforeQuery.substr(beforeQuery.rfind('/') + 1);
    const bool json = segment.size() >= kJson.size() &&
                      Lowered(segment.substr(segment.size() - kJson.size())) == kJson;
    derived.insert(derived.size() - (json ? kJson.size() : 0), kSuffix);
    return derived.append(query);
}

std::optional<std::string> IconFileProblem(std::string_view bytes) {
    if (bytes.starts_with("\x89PNG"))
        return "is a PNG image, not an icon (.ico)";
    if (bytes.starts_with("BM"))
        return "is a BMP bitmap, not an icon (.ico)";
    return IconProblem(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}
