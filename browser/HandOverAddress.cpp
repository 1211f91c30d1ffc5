#include "HandOverAddress.h"

namespace {

// Calls visit(offset) at the first byte of each character until it returns false.
template <class Visit>
void ForEachCharacter(std::string_view text, LeadByteTest isLeadByte, Visit visit) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (!visit(i))
            return;
        if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size())
            ++i;
    }
}

} // namespace

size_t FindAtCharacter(std::string_view text, std::string_view needle, LeadByteTest isLeadByte) {
    if (needle.empty())
        return 0;
    size_t found = std::string_view::npos;
    ForEachCharacter(text, isLeadByte, [&](size_t i) {
        if (text.compare(i, needle.size(), needle) != 0)
            return true;
        found = i;
        return false;
    });
    return found;
}

size_t FindLastCharacter(std::string_view text, char ch, LeadByteTest isLeadByte) {
    size_t found = std::string_view::npos;
    ForEachCharacter(text, isLeadByte, [&](size_t i) {
        if (text[i] == ch)
            found = i;
        return true;
    });
    return found;
}

bool ArmsHandOver(std::string_view url, LeadByteTest isLeadByte) {
    return FindAtCharacter(url, "web\\main", isLeadByte) != std::string_view::npos;
}

std::optional<std::string> HandOverParameters(std::string_view url, LeadByteTest isLeadByte) {
    if (FindAtCharacter(url, "http://", isLeadByte) == std::string_view::npos)
        return std::nullopt;
    size_t hash = FindAtCharacter(url, "#", isLeadByte);
    if (hash == std::string_view::npos)
        return std::nullopt;
    size_t slash = FindLastCharacter(url, '/', isLeadByte);
    if (slash == std::string_view::npos)
        return std::nullopt;
    std::string parameters(url.substr(hash + 1));
    parameters += '|';
    parameters += url.substr(0, slash + 1);
    return parameters;
}
