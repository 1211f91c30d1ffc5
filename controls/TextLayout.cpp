#include "TextLayout.h"

#include <cstddef>
#include <optional>
#include <utility>

namespace {

// Works in characters, not bytes: m_starts holds the byte offset of every
// character and, last, the end of the text, so no cut can fall inside a
// double-byte character.
class CLineSplitter {
public:
    CLineSplitter(std::string_view text, int width, const TextWidthFn& measure,
                  const LeadBytePredicate& isLeadByte);
    std::vector<std::string> Split();

private:
    std::size_t CharCount() const { return m_starts.size() - 1; }
    std::string_view Chars(std::size_t first, std::size_t count) const;
    bool IsSingleByte(std::size_t at, char byte) const;
    bool IsLineBreak(std::size_t at) const;
    std::size_t LineBreakLength(std::size_t at) const;
    std::size_t ParagraphEnd(std::size_t first) const;
    bool Fits(std::size_t first, std::size_t count) const;
    std::size_t FittingChars(std::size_t first, std::size_t available) const;
    std::optional<std::size_t> LastSpace(std::size_t first, std::size_t count) const;
    std::size_t TakeLine(std::size_t first, std::size_t end);
    void Emit(std::size_t first, std::size_t count);

    std::string_view m_text;
    int m_width;
    const TextWidthFn& m_measure;
    std::vector<std::size_t> m_starts;
    std::vector<std::string> m_lines;
};

CLineSplitter::CLineSplitter(std::string_view text, int width, const TextWidthFn& measure,
                             const LeadBytePredicate& isLeadByte)
    : m_text(text), m_width(width), m_measure(measure) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        m_starts.push_back(pos);
        bool lead = isLeadByte(static_cast<unsigned char>(text[pos]));
        pos += lead && pos + 1 < text.size() ? 2 : 1;
    }
    m_starts.push_back(text.size());
}

std::string_view CLineSplitter::Chars(std::size_t first, std::size_t count) const {
    return m_text.substr(m_starts[first], m_starts[first + count] - m_starts[first]);
}

bool CLineSplitter::IsSingleByte(std::size_t at, char byte) const {
    return m_starts[at + 1] - m_starts[at] == 1 && m_text[m_starts[at]] == byte;
}

bool CLineSplitter::IsLineBreak(std::size_t at) const {
    return IsSingleByte(at, '\r') || IsSingleByte(at, '\n');
}

// A CR LF or LF CR pair is one break; any other CR or LF is a break by itself.
std::size_t CLineSplitter::LineBreakLength(std::size_t at) const {
    bool pair = at + 1 < CharCount() && IsLineBreak(at + 1) &&
                m_text[m_starts[at + 1]] != m_text[m_starts[at]];
    return pair ? 2 : 1;
}

std::size_t CLineSplitter::ParagraphEnd(std::size_t first) const {
    while (first < CharCount() && !IsLineBreak(first))
        ++first;
    return first;
}

bool CLineSplitter::Fits(std::size_t first, std::size_t count) const {
    return m_measure(Chars(first, count)) <= m_width;
}

// The most characters from `first` on (at most `available`) that fit: probes
// doubling lengths, then bisects, so each line costs a few measurements of
// about its own length whatever follows it.
std::size_t CLineSplitter::FittingChars(std::size_t first, std::size_t available) const {
    std::size_t fitting = 0;
    std::size_t tooWide = 1;
    for (;;) {
        if (tooWide >= available) {
            if (Fits(first, available))
                return available;
            tooWide = available;
            break;
        }
        if (!Fits(first, tooWide))
            break;
        fitting = tooWide;
        tooWide *= 2;
    }
    while (tooWide - fitting > 1) {
        std::size_t middle = fitting + (tooWide - fitting) / 2;
        if (Fits(first, middle))
            fitting = middle;
        else
            tooWide = middle;
    }
    return fitting;
}

std::optional<std::size_t> CLineSplitter::LastSpace(std::size_t first, std::size_t count) const {
    for (std::size_t at = first + count; at > first; --at) {
        if (IsSingleByte(at - 1, ' '))
            return at - 1;
    }
    return std::nullopt;
}

void CLineSplitter::Emit(std::size_t first, std::size_t count) {
    m_lines.emplace_back(Chars(first, count));
}

// Emits the first line of the characters [first, end) and returns where
// the rest starts.
std::size_t CLineSplitter::TakeLine(std::size_t first, std::size_t end) {
    std::size_t fitting = FittingChars(first, end - first);
    if (fitting == end - first) {
        Emit(first, fitting);
        return end;
    }
    if (fitting == 0) {
        // Even one character is too wide: it goes alone rather than nowhere.
        Emit(first, 1);
        return first + 1;
    }
    std::optional<std::size_t> space = LastSpace(first, fitting);
    if (!space || *space == first + fitting - 1) {
        Emit(first, fitting);
        return first + fitting;
    }
    Emit(first, *space - first);
    return *space + 1;
}

std::vector<std::string> CLineSplitter::Split() {
    std::size_t first = 0;
    while (first < CharCount()) {
        std::size_t end = ParagraphEnd(first);
        if (end == first)
            m_lines.emplace_back();
        for (std::size_t rest = first; rest < end;)
            rest = TakeLine(rest, end);
        first = end < CharCount() ? end + LineBreakLength(end) : end;
    }
    return std::move(m_lines);
}

} // namespace

bool IsCp936LeadByte(unsigned char byte) {
    return byte >= 0x81 && byte <= 0xFE;
}

std::vector<std::string> SplitTextLines(std::string_view text, int width,
                                        const TextWidthFn& measure,
                                        const LeadBytePredicate& isLeadByte) {
    return CLineSplitter(text, width, measure, isLeadByte).Split();
}
