#include "HandOverAddress.h"

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
