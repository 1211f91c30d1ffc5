// Random config.xml documents, in UTF-8 and UTF-16, loaded by the real parser:
// the store and its report must hold exactly what the generator's own model
// of the document says, and the windows' readers must read every value as a
// plain reading of the text does.

#include "ConfigStore.h"
#include "FuzzText.h"
#include "SkinKeys.h"
#include "SkinSettings.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace {

// One child of the document element as the parser reports it: a setting, or
// a comment between settings (stored under its node name).
struct Node {
    std::wstring name;
    std::wstring text;
};

// Characters of values, comments and CDATA: XML's own specials, text the code
// page holds (Chinese, é, €) and text it cannot (Thai, an emoji, a no-break space).
const std::vector<std::wstring> kTextCharacters = {
    L"a",      L"Z",      L"7",      L"-",      L".",      L"/",          L"\\",
    L"#",      L"&",      L"<",      L">",      L"\"",     L"'",          L"\u4E2D",
    L"\u6587", L"\u00E9", L"\u20AC", L"\u0E01", L"\u0E02", L"\U0001F600", L"\u00A0"};

// Whether the code page holds `text` whole (no default character, no look-alike).
bool Holds(const std::wstring& text, UINT codePage) {
    if (text.empty())
        return true;
    BOOL usedDefault = FALSE;
    ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, text.data(),
                          static_cast<int>(text.size()), nullptr, 0, nullptr, &usedDefault);
    return !usedDefault;
}

class CConfigGenerator {
public:
    explicit CConfigGenerator(CFuzzRandom& random) : m_random(random) {
        for (const SkinKey& key : SkinKeys()) {
            m_names.emplace_back(key.name.begin(), key.name.end());
            if (key.kind >= SkinValueKind::PositionX && key.kind <= SkinValueKind::Channel)
                m_numberKeys.insert(m_names.back());
        }
    }

    // A whole document (without declaration) and the nodes it holds, in order.
    std::wstring Document(std::vector<Node>& nodes) {
        std::wstring xml = Blank() + L"<config" + Attribute() + L">";
        for (size_t count = m_random.Pick(25); count > 0; --count) {
            xml += Blank();
            if (m_random.OneIn(8)) {
                std::wstring text = Comment();
                xml += L"<!--" + text + L"-->";
                nodes.push_back({L"#comment", text});
                continue;
            }
            // Repeated keys: one given before, perhaps in another spelling
            // that comes out as the same narrow text.
            std::wstring name = !nodes.empty() && m_random.OneIn(6) ? nodes.back().name : Name();
            if (name == L"#comment")
                name = L"k";
            std::wstring value;
            if (m_random.OneIn(10)) {
                xml += L"<" + name + Attribute() + L"/>";
            } else {
                std::wstring markup = Value(value, m_numberKeys.contains(name));
                xml += L"<" + name + Attribute() + L">" + Blank() + markup + Blank() + L"</" +
                       name + L">";
            }
            nodes.push_back({name, value});
        }
        return xml + Blank() + L"</config>" + Blank();
    }

private:
    std::wstring Blank() {
        static const std::vector<std::wstring> blanks = {L" ", L"\t", L"\n", L"\r\n"};
        return m_random.Text(blanks, 3);
    }

    std::wstring Attribute() { return m_random.OneIn(5) ? L" a=\"1 &amp; 2\"" : L""; }

    // A key: one the client reads, a plain one, or one with characters that
    // the code page holds or does not (ก and ข both come out as "?").
    std::wstring Name() {
        static const std::vector<std::wstring> starts = {L"k",      L"_",      L"\u4E2D",
                                                         L"\u0E01", L"\u0E02", L"\u00E9"};
        static const std::vector<std::wstring> rest = {L"a", L"1", L"_", L".", L"-", L"\u6587"};
        if (m_random.Pick(3) == 0)
            return m_random.Among(starts) + m_random.Text(rest, 4);
        return m_random.Among(m_names);
    }

    // Text without markup, in the part's own escaping; `plain` gets what it reads as.
    std::wstring Characters(size_t maxLength, std::wstring& plain) {
        std::wstring markup;
        for (size_t count = 1 + m_random.Pick(maxLength); count > 0; --count) {
            const std::wstring& ch = m_random.Among(kTextCharacters);
            plain += ch;
            if (ch == L"&")
                markup += L"&amp;";
            else if (ch == L"<")
                markup += L"&lt;";
            else if (ch == L">")
                markup += m_random.OneIn(2) ? L"&gt;" : L">";
            else if (ch == L"\"")
                markup += m_random.OneIn(2) ? L"&quot;" : L"\"";
            else if (ch == L"'")
                markup += m_random.OneIn(2) ? L"&apos;" : L"'";
            else
                markup += ch;
        }
        return markup;
    }

    std::wstring CharacterReference(std::wstring& plain) {
        const std::wstring& ch = m_random.Among(kTextCharacters);
        plain += ch;
        uint32_t code = ch[0];
        if (ch.size() == 2)
            code = 0x10000 + ((ch[0] - 0xD800u) << 10) + (ch[1] - 0xDC00u);
        wchar_t hex[16];
        swprintf(hex, 16, L"&#x%X;", code);
        return m_random.OneIn(2) ? L"&#" + std::to_wstring(code) + L";" : std::wstring(hex);
    }

    std::wstring Comment() {
        std::wstring text = L" ", ignored;
        text += Characters(8, ignored);
        // "--" may not appear in a comment, nor "-" at its end.
        for (size_t at; (at = text.find(L"--")) != std::wstring::npos;)
            text[at] = L'x';
        if (text.back() == L'-')
            text += L' ';
        return text;
    }

    // What numbers look like in a skin, and what they should not.
    std::wstring Number() {
        static const std::vector<std::wstring> signs = {L"", L"", L"-", L"+", L"--", L"+-"};
        static const std::vector<std::wstring> tails = {L"",    L"",   L"px",     L"e3",    L".5",
                                                        L"x1F", L" 9", L"\uFF11", L"\u4E2D"};
        std::wstring digits;
        for (size_t count = m_random.Pick(m_random.OneIn(8) ? 13 : 5); count > 0; --count)
            digits += static_cast<wchar_t>(L'0' + m_random.Pick(10));
        std::wstring number = m_random.Among(signs) + digits;
        std::wstring tail = m_random.Among(tails);
        // A blank at the start would be trimmed: the tail with one follows something.
        return number + (number.empty() && tail[0] == L' ' ? tail.substr(1) : tail);
    }

    // A value's markup; `value` gets its text. Blanks only inside the value,
    // between characters: the parser trims them at the ends.
    std::wstring Value(std::wstring& value, bool numberKey) {
        if (numberKey && !m_random.OneIn(4)) {
            value = Number();
            return value;
        }
        std::wstring markup;
        for (size_t parts = m_random.Pick(6); parts > 0; --parts) {
            switch (m_random.Pick(7)) {
            case 0:
                markup += CharacterReference(value);
                break;
            case 1: {
                std::wstring cdata = m_random.Among(kTextCharacters);
                if (m_random.OneIn(2))
                    cdata += L" ";
                for (size_t count = 1 + m_random.Pick(6); count > 0; --count)
                    cdata += m_random.Among(kTextCharacters);
                value += cdata;
                markup += L"<![CDATA[" + cdata + L"]]>";
                break;
            }
            case 2:
                markup += L"<!--" + Comment() + L"-->";
                break;
            case 3: {
                std::wstring inner;
                markup += L"<b>" + Characters(4, inner) + L"</b>";
                value += inner;
                break;
            }
            case 4:
                markup += Characters(m_random.OneIn(20) ? 3000 : 10, value);
                value += L" ";
                markup += m_random.OneIn(2) ? L" " : L"&#32;";
                markup += Characters(3, value);
                break;
            default:
                markup += Characters(10, value);
                break;
            }
        }
        return markup;
    }

    CFuzzRandom& m_random;
    std::vector<std::wstring> m_names;
    std::set<std::wstring> m_numberKeys;
};

// The file's bytes: UTF-8 (with or without a byte order mark and declaration)
// or UTF-16 with its byte order mark.
std::string Encoded(const std::wstring& xml, CFuzzRandom& random) {
    if (random.OneIn(3)) {
        std::wstring whole = L"\uFEFF";
        if (random.OneIn(2))
            whole += L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>";
        whole += xml;
        return std::string(reinterpret_cast<const char*>(whole.data()), whole.size() * 2);
    }
    std::string bytes = random.OneIn(3) ? "\xEF\xBB\xBF" : "";
    if (random.OneIn(2))
        bytes += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    return bytes + PlatformNarrow(xml, CP_UTF8);
}

// atoi's promise for text within int's range: blanks, a sign, digits; nothing
// when the digits go beyond it (atoi's result is then not defined).
std::optional<int> PlainNumber(const std::string& text) {
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno || value < INT_MIN || value > INT_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

TEST(ConfigFuzz, RandomDocumentsReadAsTheirModelSaysInTheCodePage) {
    ::CoInitialize(nullptr);
    const UINT codePage = ::GetACP();
    ASSERT_EQ(codePage, 936u); // a double-byte code page, as on the client's systems
    const unsigned seed = FuzzSeed(20261209);
    const int iterations = FuzzIterations(150);
    CFuzzRandom random(seed);
    CConfigGenerator generator(random);
    TempDir dir;
    ScopedCurrentDirectory cwd(dir.Path());
    size_t repeats = 0, losses = 0, numbers = 0;
    for (int i = 0; i < iterations; ++i) {
        std::vector<Node> nodes;
        const std::wstring xml = generator.Document(nodes);
        const std::string bytes = Encoded(xml, random);
        dir.Write("config.xml", bytes);
        auto context = [&] {
            return "seed " + std::to_string(seed) + ", iteration " + std::to_string(i) +
                   ", document of " + std::to_string(bytes.size()) + " bytes beginning \"" +
                   Escaped(bytes.substr(0, 48)) + "\": \"" + Escaped(xml) + "\"";
        };

        // The model: the last value of each key, as narrow text.
        std::map<std::string, std::string> expected;
        std::vector<std::string> repeated, lossy;
        for (const Node& node : nodes) {
            std::string key = PlatformNarrow(node.name, codePage);
            if (expected.count(key))
                repeated.push_back(key);
            if (!Holds(node.name, codePage) || !Holds(node.text, codePage))
                lossy.push_back(key);
            expected[key] = PlatformNarrow(node.text, codePage);
        }

        CConfigStore store;
        ConfigLoadReport report;
        store.Load(&report);
        ASSERT_EQ(report.outcome, ConfigLoadReport::Outcome::Read)
            << report.reason << ", " << context();
        std::vector<std::string> keys;
        for (const auto& [key, value] : expected) {
            keys.push_back(key);
            ASSERT_EQ(Escaped(store.GetValue(key)), Escaped(value))
                << Escaped(key) << ", " << context();
        }
        ASSERT_EQ(store.Keys(), keys) << ", " << context();
        ASSERT_EQ(report.repeatedKeys, repeated) << ", " << context();
        ASSERT_EQ(report.lossyKeys, lossy) << ", " << context();
        repeats += repeated.size();
        losses += lossy.size();

        // The windows' readers, on the process's store loaded from the same file.
        CConfigStore::Instance().Load();
        for (const SkinKey& key : SkinKeys()) {
            auto found = expected.find(key.name);
            if (found == expected.end())
                continue; // an earlier document's value may still stand
            const std::string& value = found->second;
            ASSERT_EQ(Setting(key.name), value) << key.name << ", " << context();
            ASSERT_EQ(DataPath(key.name), "data\\" + value) << key.name << ", " << context();
            std::optional<int> number = PlainNumber(value);
            int read = IntSetting(key.name);
            if (number) {
                ASSERT_EQ(read, *number) << key.name << " \"" << Escaped(value) << "\""
                                         << ", " << context();
                numbers += *number != 0;
            }
        }
    }
    // The awkward cases came up.
    EXPECT_GT(repeats, static_cast<size_t>(iterations) / 4);
    EXPECT_GT(losses, static_cast<size_t>(iterations) / 4);
    EXPECT_GT(numbers, static_cast<size_t>(iterations) / 4);
    ::CoUninitialize();
}

} // namespace
