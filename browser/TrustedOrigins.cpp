#include "TrustedOrigins.h"

#include <algorithm>

namespace {

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsHex(char c) {
    return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(), Lower);
    return lowered;
}

// What RFC 3986 lets stand in an authority besides "%HH": unreserved,
// sub-delims, ":", "@", "[" and "]".
bool IsAuthorityChar(char c) {
    return IsAlpha(c) || IsDigit(c) ||
           std::string_view("-._~!$&'()*+,;=:@[]").find(c) != std::string_view::npos;
}

struct ParsedAddress {
    WebOrigin origin;
    bool userinfo = false;
    std::string_view rest; // what follows the authority
};

// Port digits, possibly with leading zeros; empty gives the default.
std::optional<std::uint16_t> PortOf(std::string_view digits, std::uint16_t defaultPort) {
    if (digits.empty())
        return defaultPort;
    unsigned value = 0;
    for (char c : digits) {
        if (!IsDigit(c))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > 65535)
            return std::nullopt;
    }
    return static_cast<std::uint16_t>(value);
}

std::optional<ParsedAddress> ParseAddress(std::string_view url) {
    // scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ), then ":"
    size_t colon = 0;
    while (colon < url.size() &&
           (IsAlpha(url[colon]) || (colon > 0 && (IsDigit(url[colon]) || url[colon] == '+' ||
                                                  url[colon] == '-' || url[colon] == '.'))))
        ++colon;
    if (colon == 0 || colon >= url.size() || url[colon] != ':')
        return std::nullopt;
    ParsedAddress parsed;
    parsed.origin.scheme = Lowered(url.substr(0, colon));
    std::uint16_t defaultPort = 0;
    if (parsed.origin.scheme == "http")
        defaultPort = 80;
    else if (parsed.origin.scheme == "https")
        defaultPort = 443;
    else
        return std::nullopt;
    std::string_view after = url.substr(colon + 1);
    if (!after.starts_with("//"))
        return std::nullopt;
    after.remove_prefix(2);
    const size_t end = std::min(after.find_first_of("/?#"), after.size());
    std::string_view authority = after.substr(0, end);
    parsed.rest = after.substr(end);

    for (size_t i = 0; i < authority.size(); ++i) {
        if (authority[i] == '%') {
            if (i + 2 >= authority.size() || !IsHex(authority[i + 1]) || !IsHex(authority[i + 2]))
                return std::nullopt;
            i += 2;
        } else if (!IsAuthorityChar(authority[i])) {
            return std::nullopt;
        }
    }
    // userinfo may hold neither "@" nor brackets: with them there is no
    // telling which part a reader takes for the host.
    const size_t at = authority.find('@');
    if (at != std::string_view::npos) {
        if (authority.find('@', at + 1) != std::string_view::npos ||
            authority.substr(0, at).find_first_of("[]") != std::string_view::npos)
            return std::nullopt;
        parsed.userinfo = true;
        authority.remove_prefix(at + 1);
    }
    std::string_view host;
    std::string_view port;
    if (authority.starts_with("[")) {
        const size_t close = authority.find(']');
        if (close == std::string_view::npos)
            return std::nullopt;
        host = authority.substr(0, close + 1);
        std::string_view after_host = authority.substr(close + 1);
        if (!after_host.empty() && after_host[0] != ':')
            return std::nullopt;
        if (!after_host.empty())
            port = after_host.substr(1);
    } else {
        const size_t portColon = authority.find(':');
        host = authority.substr(0, portColon);
        if (portColon != std::string_view::npos)
            port = authority.substr(portColon + 1);
    }
    // Brackets belong to an IP literal only, and only around it.
    if (host.empty() || host.find('[', 1) != std::string_view::npos ||
        host.find(']') < host.size() - 1 || (host[0] == '[') != (host.back() == ']') ||
        host == "[]")
        return std::nullopt;
    std::optional<std::uint16_t> portNumber = PortOf(port, defaultPort);
    if (!portNumber)
        return std::nullopt;
    parsed.origin.host = Lowered(host);
    parsed.origin.port = *portNumber;
    return parsed;
}

// A DNS label: letters, digits and inner hyphens, 1 to 63 characters.
bool IsLabel(std::string_view label) {
    if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
        return false;
    return std::all_of(label.begin(), label.end(),
                       [](char c) { return IsAlpha(c) || IsDigit(c) || c == '-'; });
}

std::vector<std::string_view> Labels(std::string_view name) {
    std::vector<std::string_view> labels;
    size_t start = 0;
    for (;;) {
        const size_t dot = name.find('.', start);
        labels.push_back(name.substr(start, dot - start));
        if (dot == std::string_view::npos)
            return labels;
        start = dot + 1;
    }
}

bool IsHostName(std::string_view host) {
    if (host.empty() || host.size() > 253)
        return false;
    std::vector<std::string_view> labels = Labels(host);
    return std::all_of(labels.begin(), labels.end(), IsLabel);
}

bool IsIpLiteral(std::string_view host) {
    if (host.size() < 4 || host.front() != '[' || host.back() != ']')
        return false;
    std::string_view inside = host.substr(1, host.size() - 2);
    return inside.find(':') != std::string_view::npos &&
           std::all_of(inside.begin(), inside.end(),
                       [](char c) { return IsHex(c) || c == ':' || c == '.'; });
}

bool IsAllDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), IsDigit);
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

template <class Each> void ForEachEntry(std::string_view list, Each each) {
    size_t i = 0;
    while (i < list.size()) {
        while (i < list.size() && IsSpace(list[i]))
            ++i;
        size_t start = i;
        while (i < list.size() && !IsSpace(list[i]))
            ++i;
        if (i > start)
            each(list.substr(start, i - start));
    }
}

} // namespace

std::optional<WebOrigin> OriginOf(std::string_view url) {
    std::optional<ParsedAddress> parsed = ParseAddress(url);
    if (!parsed)
        return std::nullopt;
    return parsed->origin;
}

std::optional<OriginPattern> ParseOriginPattern(std::string_view entry) {
    std::optional<ParsedAddress> parsed = ParseAddress(entry);
    if (!parsed || parsed->userinfo || (!parsed->rest.empty() && parsed->rest != "/"))
        return std::nullopt;
    OriginPattern pattern{parsed->origin, false};
    std::string& host = pattern.origin.host;
    if (host.starts_with("*.")) {
        host.erase(0, 2);
        std::vector<std::string_view> labels = Labels(host);
        if (!IsHostName(host) || labels.size() < 2 || IsAllDigits(labels.back()))
            return std::nullopt;
        pattern.subdomains = true;
        return pattern;
    }
    if (!IsHostName(host) && !IsIpLiteral(host))
        return std::nullopt;
    return pattern;
}

bool PatternMatches(const OriginPattern& pattern, const WebOrigin& origin) {
    const WebOrigin& wanted = pattern.origin;
    if (origin.scheme != wanted.scheme || origin.port != wanted.port)
        return false;
    if (!pattern.subdomains)
        return origin.host == wanted.host;
    // A subdomain: at least one more label in front of ".name".
    const std::string& host = origin.host;
    const size_t name = wanted.host.size();
    return host.size() > name + 1 && host.ends_with(wanted.host) &&
           host[host.size() - name - 1] == '.' && host[host.size() - name - 2] != '.';
}

std::vector<std::string> MalformedOriginEntries(std::string_view list) {
    std::vector<std::string> malformed;
    ForEachEntry(list, [&](std::string_view entry) {
        if (!ParseOriginPattern(entry))
            malformed.emplace_back(entry);
    });
    return malformed;
}

void CTrustedOrigins::TrustOriginOf(std::string_view url) {
    if (std::optional<WebOrigin> origin = OriginOf(url))
        m_patterns.push_back({*origin, false});
}

void CTrustedOrigins::TrustListed(std::string_view list) {
    ForEachEntry(list, [&](std::string_view entry) {
        if (std::optional<OriginPattern> pattern = ParseOriginPattern(entry))
            m_patterns.push_back(*pattern);
    });
}

void CTrustedOrigins::TrustAddress(std::string_view url) {
    if (!url.empty())
        m_addresses.emplace_back(url);
}

void CTrustedOrigins::TrustPage(std::string_view page) {
    if (!page.empty())
        m_pages.emplace_back(page);
}

bool CTrustedOrigins::Trusts(std::string_view url) const {
    if (std::find(m_addresses.begin(), m_addresses.end(), url) != m_addresses.end())
        return true;
    for (const std::string& page : m_pages)
        if (url.starts_with(page) && (url.size() == page.size() || url[page.size()] == '?'))
            return true;
    std::optional<WebOrigin> origin = OriginOf(url);
    return origin && std::any_of(m_patterns.begin(), m_patterns.end(), [&](const OriginPattern& p) {
               return PatternMatches(p, *origin);
           });
}
