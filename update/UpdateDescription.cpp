#include "UpdateDescription.h"

#include <array>
#include <map>

namespace {

constexpr std::size_t kLongestId = 64;
constexpr std::size_t kLongestInstaller = 2048;
constexpr std::uint64_t kLargestInstaller = 0xFFFFFFFFull;
// Enough for any value the description holds; more digits is a mistake.
constexpr std::size_t kLongestInteger = 18;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsAlnum(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The length of the well-formed UTF-8 sequence at the start of `text`
// (no overlong forms, no surrogates, nothing above U+10FFFF), or 0.
std::size_t Utf8SequenceLength(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    std::size_t length = 0;
    std::uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3F);
    }
    const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < smallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

using JsonValue = std::variant<std::string, std::int64_t, std::monostate>;

// A strict reader of one flat JSON object: string, integer, true, false
// and null values; no nesting, no fractions, no repeated key.
class CFlatJsonReader {
public:
    explicit CFlatJsonReader(std::string_view text) : m_text(text) {}

    std::optional<std::map<std::string, JsonValue>> Read() {
        std::map<std::string, JsonValue> members;
        SkipSpace();
        if (!Take('{'))
            return Fail("the description is not a JSON object");
        SkipSpace();
        if (!Take('}')) {
            for (;;) {
                SkipSpace();
                std::string key;
                if (!ReadString(key))
                    return Fail(m_problem.empty() ? "a key is not a string" : m_problem);
                SkipSpace();
                if (!Take(':'))
                    return Fail("a key is not followed by ':'");
                SkipSpace();
                JsonValue value;
                if (!ReadValue(value))
                    return Fail(m_problem.empty() ? "\"" + key + "\" has no value it can hold"
                                                  : m_problem);
                if (!members.emplace(key, std::move(value)).second)
                    return Fail("\"" + key + "\" is given twice");
                SkipSpace();
                if (Take('}'))
                    break;
                if (!Take(','))
                    return Fail("members are not separated by ','");
            }
        }
        SkipSpace();
        if (m_at != m_text.size())
            return Fail("something follows the object");
        return members;
    }

    const std::string& Problem() const { return m_problem; }

private:
    std::nullopt_t Fail(std::string problem) {
        m_problem = std::move(problem);
        return std::nullopt;
    }

    bool Take(char c) {
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }

    bool TakeWord(std::string_view word) {
        if (m_text.substr(m_at).starts_with(word)) {
            m_at += word.size();
            return true;
        }
        return false;
    }

    void SkipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }

    bool ReadValue(JsonValue& value) {
        if (m_at < m_text.size() && m_text[m_at] == '"') {
            std::string text;
            if (!ReadString(text))
                return false;
            value = std::move(text);
            return true;
        }
        if (TakeWord("true") || TakeWord("false") || TakeWord("null")) {
            value = std::monostate{};
            return true;
        }
        std::int64_t number = 0;
        if (!ReadInteger(number))
            return false;
        value = number;
        return true;
    }

    bool ReadInteger(std::int64_t& number) {
        const bool negative = Take('-');
        const std::size_t first = m_at;
        while (m_at < m_text.size() && IsDigit(m_text[m_at]))
            ++m_at;
        const std::size_t digits = m_at - first;
        if (digits == 0 || (digits > 1 && m_text[first] == '0'))
            return false;
        if (m_at < m_text.size() &&
            (m_text[m_at] == '.' || m_text[m_at] == 'e' || m_text[m_at] == 'E')) {
            m_problem = "a number is not an integer";
            return false;
        }
        if (digits > kLongestInteger) {
            m_problem = "a number is too large";
            return false;
        }
        number = 0;
        for (std::size_t i = first; i < m_at; ++i)
            number = number * 10 + (m_text[i] - '0');
        if (negative)
            number = -number;
        return true;
    }

    bool ReadHex4(std::uint32_t& code) {
        if (m_text.size() - m_at < 4)
            return false;
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = m_text[m_at++];
            const int digit = IsDigit(c)               ? c - '0'
                              : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                              : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                       : -1;
            if (digit < 0)
                return false;
            code = code * 16 + static_cast<std::uint32_t>(digit);
        }
        return true;
    }

    bool BadString(const char* problem) {
        m_problem = problem;
        return false;
    }

    bool ReadString(std::string& out) {
        if (!Take('"'))
            return false;
        for (;;) {
            if (m_at >= m_text.size())
                return BadString("a string is not closed");
            const unsigned char c = static_cast<unsigned char>(m_text[m_at]);
            if (c == '"') {
                ++m_at;
                return true;
            }
            if (c < 0x20)
                return BadString("a string holds a control character");
            if (c >= 0x80) {
                const std::size_t length = Utf8SequenceLength(m_text.substr(m_at));
                if (length == 0)
                    return BadString("a string is not UTF-8");
                out.append(m_text.substr(m_at, length));
                m_at += length;
                continue;
            }
            ++m_at;
            if (c != '\\') {
                out += static_cast<char>(c);
                continue;
            }
            if (m_at >= m_text.size())
                return BadString("a string is not closed");
            const char escape = m_text[m_at++];
            static constexpr std::string_view kEscapes = "\"\\/bfnrt";
            static constexpr std::string_view kMeanings = "\"\\/\b\f\n\r\t";
            if (const std::size_t found = kEscapes.find(escape); found != std::string_view::npos) {
                out += kMeanings[found];
                continue;
            }
            if (escape != 'u')
                return BadString("a string holds an unknown escape");
            std::uint32_t code = 0;
            if (!ReadHex4(code))
                return BadString("a \\u escape is not four hex digits");
            if (code >= 0xDC00 && code <= 0xDFFF)
                return BadString("a \\u escape is half of a character");
            if (code >= 0xD800 && code <= 0xDBFF) {
                std::uint32_t low = 0;
                if (!TakeWord("\\u") || !ReadHex4(low) || low < 0xDC00 || low > 0xDFFF)
                    return BadString("a \\u escape is half of a character");
                code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
            }
            if (code == 0)
                return BadString("a string holds a NUL character");
            AppendUtf8(out, code);
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::string m_problem;
};

bool IsPublishedTime(std::string_view text) {
    static constexpr std::string_view kForm = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != kForm.size())
        return false;
    for (std::size_t i = 0; i < kForm.size(); ++i)
        if (kForm[i] == 'd' ? !IsDigit(text[i]) : text[i] != kForm[i])
            return false;
    return true;
}

bool IsSha256Hex(std::string_view text) {
    if (text.size() != 64)
        return false;
    for (char c : text)
        if (!IsDigit(c) && !(c >= 'a' && c <= 'f'))
            return false;
    return true;
}

bool IsReleaseId(std::string_view id) {
    if (id.empty() || id.size() > kLongestId)
        return false;
    for (char c : id)
        if (!IsAlnum(c) && c != '.' && c != '-' && c != '_')
            return false;
    return true;
}

// A plain file name beside the description (no folder, no way up), or an
// absolute http(s) address of printable ASCII without spaces or quotes.
bool IsInstallerAddress(std::string_view address) {
    if (address.empty() || address.size() > kLongestInstaller)
        return false;
    for (std::string_view scheme : {"https://", "http://"}) {
        if (!address.starts_with(scheme))
            continue;
        const std::string_view rest = address.substr(scheme.size());
        if (rest.empty() || rest.front() == '/' || rest.front() == ':')
            return false;
        for (char c : rest)
            if (c <= 0x20 || c >= 0x7F || c == '"' || c == '\\' || c == '<' || c == '>')
                return false;
        return true;
    }
    if (address.front() == '.' || address.size() > 255)
        return false;
    for (char c : address)
        if (!IsAlnum(c) && c != '.' && c != '-' && c != '_')
            return false;
    return true;
}

bool HasOnlyTextControls(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return false;
    return true;
}

class CFields {
public:
    explicit CFields(const std::map<std::string, JsonValue>& members) : m_members(members) {}

    const std::string* String(const char* key) {
        const auto found = m_members.find(key);
        if (found == m_members.end())
            return Missing(key);
        if (const auto* text = std::get_if<std::string>(&found->second))
            return text;
        m_problem = std::string("\"") + key + "\" is not a string";
        return nullptr;
    }

    const std::int64_t* Integer(const char* key) {
        const auto found = m_members.find(key);
        if (found == m_members.end())
            return Missing(key);
        if (const auto* number = std::get_if<std::int64_t>(&found->second))
            return number;
        m_problem = std::string("\"") + key + "\" is not an integer";
        return nullptr;
    }

    bool Has(const char* key) const { return m_members.count(key) != 0; }
    std::string& Problem() { return m_problem; }

private:
    std::nullptr_t Missing(const char* key) {
        m_problem = std::string("\"") + key + "\" is missing";
        return nullptr;
    }

    const std::map<std::string, JsonValue>& m_members;
    std::string m_problem;
};

std::string Wrong(const char* key, const char* what) {
    return std::string("\"") + key + "\" " + what;
}

} // namespace

std::string UpdateVersion::Text() const {
    return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(patch);
}

std::optional<UpdateVersion> ParseUpdateVersion(std::string_view text) {
    std::array<unsigned, 3> parts{};
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::size_t digits = 0;
        unsigned value = 0;
        while (digits < text.size() && digits < 6 && IsDigit(text[digits]))
            value = value * 10 + static_cast<unsigned>(text[digits++] - '0');
        if (digits == 0 || value > 65535)
            return std::nullopt;
        parts[i] = value;
        text.remove_prefix(digits);
        if (i + 1 < parts.size()) {
            if (!text.starts_with('.'))
                return std::nullopt;
            text.remove_prefix(1);
        }
    }
    if (!text.empty())
        return std::nullopt;
    return UpdateVersion{parts[0], parts[1], parts[2]};
}

std::variant<UpdateDescription, std::string> ReadUpdateDescription(std::string_view json) {
    if (json.size() > kUpdateDescriptionCap)
        return std::string("the description is larger than the client reads");
    CFlatJsonReader reader(json);
    const auto members = reader.Read();
    if (!members)
        return reader.Problem();
    CFields fields(*members);
    UpdateDescription d;
    const std::int64_t* format = fields.Integer("format");
    if (!format)
        return fields.Problem();
    if (*format != 1)
        return Wrong("format", "is not 1, the only form this client reads");

    const std::string* id = fields.String("id");
    const std::string* version = fields.String("version");
    const std::string* published = fields.String("published");
    const std::string* installer = fields.String("installer");
    const std::int64_t* size = fields.Integer("installer_size");
    const std::string* sha256 = fields.String("installer_sha256");
    const std::string* notes = fields.String("notes");
    const std::int64_t* rollout = fields.Integer("rollout");
    if (!id || !version || !published || !installer || !size || !sha256 || !notes || !rollout)
        return fields.Problem();
    if (!IsReleaseId(*id))
        return Wrong("id", "is not a release id");
    const auto parsedVersion = ParseUpdateVersion(*version);
    if (!parsedVersion)
        return Wrong("version", "is not x.y.z");
    if (!IsPublishedTime(*published))
        return Wrong("published", "is not a UTC time");
    if (!IsInstallerAddress(*installer))
        return Wrong("installer", "is neither a file name nor an http(s) address");
    if (*size <= 0 || static_cast<std::uint64_t>(*size) > kLargestInstaller)
        return Wrong("installer_size", "is not a size an installer has");
    if (!IsSha256Hex(*sha256))
        return Wrong("installer_sha256", "is not 64 lower-case hex digits");
    if (!HasOnlyTextControls(*notes))
        return Wrong("notes", "holds control characters");
    if (*rollout < 0 || *rollout > 100)
        return Wrong("rollout", "is not 0 to 100");
    if (fields.Has("minimum_version")) {
        const std::string* minimum = fields.String("minimum_version");
        if (!minimum)
            return fields.Problem();
        d.minimumVersion = ParseUpdateVersion(*minimum);
        if (!d.minimumVersion)
            return Wrong("minimum_version", "is not x.y.z");
        if (*d.minimumVersion > *parsedVersion)
            return Wrong("minimum_version", "is above the version");
    }
    d.id = *id;
    d.version = *parsedVersion;
    d.published = *published;
    d.installer = *installer;
    d.installerSize = static_cast<std::uint64_t>(*size);
    d.installerSha256 = *sha256;
    d.notes = *notes;
    d.rollout = static_cast<unsigned>(*rollout);
    return d;
}

UpdateVerdict JudgeUpdate(const UpdateDescription& description, std::string_view ownId,
                          const UpdateVersion& ownVersion, unsigned place) {
    if (description.id != ownId)
        return {UpdateOffer::None, "the description is for \"" + description.id +
                                       "\", not this release \"" + std::string(ownId) + "\""};
    if (description.version <= ownVersion)
        return {UpdateOffer::None, "version " + description.version.Text() +
                                       " is not newer than the running " + ownVersion.Text()};
    // Rolling out comes first: an operator who stops a roll-out (0) stops
    // it for everyone, mandatory or not.
    if (place >= description.rollout)
        return {UpdateOffer::None, "version " + description.version.Text() + " is rolled out to " +
                                       std::to_string(description.rollout) +
                                       "% of installations; this one's place is " +
                                       std::to_string(place)};
    if (description.minimumVersion && ownVersion < *description.minimumVersion)
        return {UpdateOffer::Mandatory, "version " + description.version.Text() +
                                            " is required: the running " + ownVersion.Text() +
                                            " is below " + description.minimumVersion->Text()};
    return {UpdateOffer::Offered, "version " + description.version.Text() + " is offered"};
}
