#include "VersionResource.h"

#include <cstdio>
#include <cstring>

namespace {

enum class ValueKind : WORD { Binary = 0, Text = 1 };

// One block of the resource: a header of three words (its length, its
// value's length, its value's kind), its key, its value and its children,
// each aligned on four bytes.
class CVersionBlock {
public:
    explicit CVersionBlock(std::vector<std::uint8_t>& out) : m_out(out), m_start(out.size()) {
        m_out.resize(m_start + 3 * sizeof(WORD));
    }
    ~CVersionBlock() { PutWord(0, static_cast<WORD>(m_out.size() - m_start)); }
    CVersionBlock(const CVersionBlock&) = delete;
    CVersionBlock& operator=(const CVersionBlock&) = delete;

    void Key(const std::wstring& key, ValueKind kind) {
        PutWord(4, static_cast<WORD>(kind));
        AppendText(key);
        Align();
    }
    void TextValue(const std::wstring& value) {
        PutWord(2, static_cast<WORD>(value.size() + 1));
        AppendText(value);
        Align();
    }
    void BinaryValue(const void* value, size_t size) {
        PutWord(2, static_cast<WORD>(size));
        const auto* bytes = static_cast<const std::uint8_t*>(value);
        m_out.insert(m_out.end(), bytes, bytes + size);
        Align();
    }
    // Children start aligned; the block's length then covers them.
    void Align() { m_out.resize((m_out.size() + 3) & ~size_t{3}); }

private:
    void PutWord(size_t at, WORD value) {
        std::memcpy(&m_out[m_start + at], &value, sizeof(value));
    }
    void AppendText(const std::wstring& text) {
        for (wchar_t c : text) {
            m_out.push_back(static_cast<std::uint8_t>(c & 0xFF));
            m_out.push_back(static_cast<std::uint8_t>(c >> 8));
        }
        m_out.insert(m_out.end(), {0, 0});
    }

    std::vector<std::uint8_t>& m_out;
    size_t m_start;
};

} // namespace

std::vector<std::uint8_t> BuildVersionResource(const VS_FIXEDFILEINFO& fixed,
                                               const VersionStrings& strings) {
    wchar_t table[9] = {};
    std::swprintf(table, 9, L"%04x%04x", strings.language, strings.codePage);
    std::vector<std::uint8_t> out;
    {
        CVersionBlock root(out);
        root.Key(L"VS_VERSION_INFO", ValueKind::Binary);
        root.BinaryValue(&fixed, sizeof(fixed));
        {
            CVersionBlock fileInfo(out);
            fileInfo.Key(L"StringFileInfo", ValueKind::Text);
            CVersionBlock stringTable(out);
            stringTable.Key(table, ValueKind::Text);
            for (const auto& [name, value] : strings.values) {
                CVersionBlock entry(out);
                entry.Key(name, ValueKind::Text);
                entry.TextValue(value);
            }
        }
        root.Align();
        CVersionBlock varInfo(out);
        varInfo.Key(L"VarFileInfo", ValueKind::Text);
        CVersionBlock translation(out);
        translation.Key(L"Translation", ValueKind::Binary);
        const WORD pair[2] = {strings.language, strings.codePage};
        translation.BinaryValue(pair, sizeof(pair));
    }
    return out;
}
