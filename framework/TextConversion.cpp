#include "TextConversion.h"

#include "MbcsSearch.h"

#include <climits>

namespace {

auto LeadByteOf(UINT codePage) {
    return [codePage](unsigned char byte) { return ::IsDBCSLeadByteEx(codePage, byte) != FALSE; };
}

} // namespace

std::wstring ToWide(std::string_view text, UINT codePage) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
        return {};
    int length = static_cast<int>(text.size());
    int needed = ::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
    if (needed <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(needed), L'\0');
    int written = ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), needed);
    wide.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return wide;
}

std::string ToNarrow(std::wstring_view text, UINT codePage) {
    if (text.empty() || text.size() > static_cast<size_t>(INT_MAX))
        return {};
    int length = static_cast<int>(text.size());
    int needed =
        ::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return {};
    std::string narrow(static_cast<size_t>(needed), '\0');
    int written = ::WideCharToMultiByte(codePage, 0, text.data(), length, narrow.data(), needed,
                                        nullptr, nullptr);
    narrow.resize(written > 0 ? static_cast<size_t>(written) : 0);
    return narrow;
}

std::string BstrToNarrow(BSTR text, UINT codePage) {
    if (!text)
        return {};
    return ToNarrow(std::wstring_view(text, ::SysStringLen(text)), codePage);
}

size_t MbcsFindFirst(std::string_view text, char ch, UINT codePage) {
    return FindAtCharacter(text, std::string_view(&ch, 1), LeadByteOf(codePage));
}

size_t MbcsFindLast(std::string_view text, char ch, UINT codePage) {
    return FindLastCharacter(text, ch, LeadByteOf(codePage));
}
