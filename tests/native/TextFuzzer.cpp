// Any text and width through the line splitting: the first byte is the
// width, the rest the text. The lines must be a reading of the text that
// keeps the wrapping rules, checked without the splitter's own arithmetic:
// - the lines, with the breaks and dropped spaces between them, give back
//   the text, and a line holds no break;
// - characters are code page 936's as glibc's iconv reads them (a lead byte
//   is one after which iconv waits for more; a character ends where iconv
//   ends it, or after the byte following a lead byte iconv does not take):
//   no line starts or ends inside one;
// - no line is wider than the width unless it is one character;
// - a line that wraps could not have been longer: cut, it is followed by a
//   character that does not fit and holds no space or ends with one; ended
//   at a dropped space, that space and the character after it fit and no
//   later space of the paragraph does.
// The character-by-character reading of the rules must also give the same
// lines.

#include "Cp936.h"
#include "ReferenceSplit.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

bool IsLeadByte(unsigned char byte) {
    static const std::array<bool, 256> leads = [] {
        std::array<bool, 256> table{};
        for (int b = 0; b < 256; ++b)
            table[b] = IsCp936LeadByIconv(static_cast<unsigned char>(b));
        return table;
    }();
    return leads[byte];
}

class CLineCheck {
public:
    CLineCheck(std::string_view text, int width) : m_text(text), m_width(width) {
        m_next.assign(text.size() + 1, text.size());
        m_isStart.assign(text.size() + 1, false);
        m_isStart[text.size()] = true;
        for (std::size_t at = 0; at < text.size();) {
            m_isStart[at] = true;
            std::size_t length = Cp936CharacterLength(text.substr(at))
                                     .value_or(IsLeadByte(static_cast<unsigned char>(text[at])) &&
                                                       at + 1 < text.size()
                                                   ? 2
                                                   : 1);
            m_next[at] = at + length;
            at += length;
        }
        // Where the paragraph holding each offset ends, and the next space.
        m_paragraphEnd.assign(text.size() + 1, text.size());
        m_nextSpace.assign(text.size() + 1, text.size());
        for (std::size_t at = text.size(); at-- > 0;) {
            m_paragraphEnd[at] = m_paragraphEnd[at + 1];
            m_nextSpace[at] = m_nextSpace[at + 1];
            if (IsCharacter(at, '\r') || IsCharacter(at, '\n'))
                m_paragraphEnd[at] = at;
            if (IsCharacter(at, ' '))
                m_nextSpace[at] = at;
        }
    }

    bool Holds(const std::vector<std::string>& lines) const {
        std::vector<std::size_t> starts = {0};
        for (const std::string& line : lines) {
            std::vector<std::size_t> after;
            for (std::size_t start : starts)
                Follow(start, line, after);
            std::sort(after.begin(), after.end());
            after.erase(std::unique(after.begin(), after.end()), after.end());
            starts = after;
        }
        return std::find(starts.begin(), starts.end(), m_text.size()) != starts.end();
    }

private:
    bool IsStart(std::size_t at) const { return m_isStart[at]; }
    bool IsCharacter(std::size_t at, char c) const {
        return m_text[at] == c && m_next[at] == at + 1 && IsStart(at);
    }
    bool Fits(std::size_t from, std::size_t to) const {
        return ByteWeightedWidth(m_text.substr(from, to - from)) <= m_width;
    }
    std::size_t BreakLength(std::size_t at) const {
        bool pair = at + 1 < m_text.size() && m_text[at + 1] != m_text[at] &&
                    (IsCharacter(at + 1, '\r') || IsCharacter(at + 1, '\n'));
        return pair ? 2 : 1;
    }

    // Where the text may go on after `line` read from `start` (a character start).
    void Follow(std::size_t start, const std::string& line, std::vector<std::size_t>& after) const {
        const std::size_t end = start + line.size();
        if (m_text.compare(start, line.size(), line) != 0 || end > m_paragraphEnd[start])
            return;
        std::size_t characters = 0;
        for (std::size_t at = start; at < end; at = m_next[at])
            ++characters;
        if (!IsStart(end) || (characters > 1 && !Fits(start, end)))
            return;
        const std::size_t paragraphEnd = m_paragraphEnd[start];
        if (end == paragraphEnd) {
            if (end < m_text.size())
                after.push_back(end + BreakLength(end));
            else if (!line.empty())
                after.push_back(end);
            return;
        }
        // Cut: the next character does not fit, and the line holds no space or ends with one.
        const bool cutAllowed = m_nextSpace[start] >= end || IsCharacter(end - 1, ' ');
        if (!line.empty() && !Fits(start, m_next[end]) && cutAllowed)
            after.push_back(end);
        // Wrapped at a space: it and the character after it fit, no later one does.
        if (IsCharacter(end, ' ') && end + 1 < paragraphEnd && Fits(start, m_next[end + 1])) {
            const std::size_t later = m_nextSpace[end + 1];
            if (later >= paragraphEnd ? !Fits(start, paragraphEnd) : !Fits(start, later + 1))
                after.push_back(end + 1);
        }
    }

    std::string_view m_text;
    int m_width;
    std::vector<bool> m_isStart;     // where characters start, and the end
    std::vector<std::size_t> m_next; // the end of the character starting there
    std::vector<std::size_t> m_paragraphEnd;
    std::vector<std::size_t> m_nextSpace;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    int width = data[0] - 8;
    std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::vector<std::string> lines = SplitTextLines(text, width, ByteWeightedWidth);
    Require(CLineCheck(text, width).Holds(lines));
    Require(lines == ReferenceSplit(text, width, ByteWeightedWidth));
    return 0;
}
