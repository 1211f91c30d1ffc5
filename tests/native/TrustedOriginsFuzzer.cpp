// Any address and any trusted_origins entry through the origin rules. The
// input is an entry, a line break, and an address (no line break: the
// address alone, with an exact entry made from its own origin).
// - The origin of the address against a plain reading of RFC 3986: the
//   regular expression of its appendix B splits off scheme and authority,
//   and the authority must match the grammar's userinfo, host and port (an
//   IP literal read loosely, as the rules read it), with http or https and
//   a host that is not empty.
// - A pattern's match against what it means: the same scheme and port, and
//   the same host, or for a wildcard a host ending in "." and the name that is
//   longer than that and has no empty label before it; and the trust of a
//   list holding only that entry is exactly that.
// - A well-formed entry is an origin to the plain reading too, without
//   userinfo, and its host holds only what a host name or an IP literal may.

#include "TrustedOrigins.h"

#include <cstdlib>
#include <optional>
#include <regex>
#include <string>

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

const std::regex& UriParts() {
    static const std::regex parts(
        R"(^(([^:/?#]+):)?(//([^/?#]*))?([^?#]*)(\?([^#]*))?(#([\s\S]*))?$)");
    return parts;
}

const std::regex& AuthorityParts() {
    static const std::string unit = R"((?:[A-Za-z0-9\-._~!$&'()*+,;=]|%[0-9A-Fa-f]{2}))";
    static const std::string unitColon = R"((?:[A-Za-z0-9\-._~!$&'()*+,;=:]|%[0-9A-Fa-f]{2}))";
    static const std::regex authority("^(?:(" + unitColon + "*)@)?(" + unit + "+|\\[" + unitColon +
                                      "+\\])(?::([0-9]*))?$");
    return authority;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsHostName(const std::string& host) {
    return host.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789.-") == std::string::npos;
}

struct PlainOrigin {
    WebOrigin origin;
    bool userinfo = false;
};

std::optional<PlainOrigin> PlainReading(const std::string& url) {
    std::smatch parts;
    if (!std::regex_match(url, parts, UriParts()) || !parts[2].matched || !parts[4].matched)
        return std::nullopt;
    std::string scheme = parts[2];
    if (!std::regex_match(scheme, std::regex("^[A-Za-z][A-Za-z0-9+\\-.]*$")))
        return std::nullopt;
    for (char& c : scheme)
        c = Lower(c);
    if (scheme != "http" && scheme != "https")
        return std::nullopt;
    const std::string authority = parts[4];
    std::smatch pieces;
    if (!std::regex_match(authority, pieces, AuthorityParts()))
        return std::nullopt;
    PlainOrigin plain;
    plain.userinfo = pieces[1].matched;
    plain.origin.scheme = scheme;
    for (char c : std::string(pieces[2]))
        plain.origin.host += Lower(c);
    std::string port = pieces[3].matched ? std::string(pieces[3]) : "";
    if (port.empty()) {
        plain.origin.port = scheme == "http" ? 80 : 443;
    } else {
        const size_t digits = port.find_first_not_of('0');
        port = digits == std::string::npos ? "0" : port.substr(digits);
        if (port.size() > 5 || std::stoul(port) > 65535)
            return std::nullopt;
        plain.origin.port = static_cast<std::uint16_t>(std::stoul(port));
    }
    return plain;
}

bool Means(const OriginPattern& pattern, const WebOrigin& origin) {
    const WebOrigin& wanted = pattern.origin;
    if (origin.scheme != wanted.scheme || origin.port != wanted.port)
        return false;
    if (!pattern.subdomains)
        return origin.host == wanted.host;
    const std::string suffix = "." + wanted.host;
    const std::string& host = origin.host;
    if (host.size() <= suffix.size() ||
        host.compare(host.size() - suffix.size(), suffix.size(), suffix) != 0)
        return false;
    return host[host.size() - suffix.size() - 1] != '.';
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 300)
        return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string url = newline == std::string::npos ? input : input.substr(newline + 1);
    std::optional<WebOrigin> origin = OriginOf(url);
    std::optional<PlainOrigin> plain = PlainReading(url);
    Require(origin.has_value() == plain.has_value());
    if (origin)
        Require(*origin == plain->origin);

    std::string entry = input.substr(0, newline == std::string::npos ? 0 : newline);
    if (newline == std::string::npos && origin)
        entry = origin->scheme + "://" + origin->host + ":" + std::to_string(origin->port);
    std::optional<OriginPattern> pattern = ParseOriginPattern(entry);
    if (pattern) {
        std::optional<PlainOrigin> entryOrigin = PlainReading(entry);
        Require(entryOrigin && !entryOrigin->userinfo);
        const std::string& name = pattern->origin.host;
        Require(entryOrigin->origin.host == (pattern->subdomains ? "*." + name : name));
        const bool literal = name.front() == '[' && name.back() == ']';
        Require(literal || IsHostName(name));
    }
    CTrustedOrigins trust;
    trust.TrustListed(entry);
    // An address's own origin, written as an entry, trusts it when it is a host name.
    if (newline == std::string::npos && origin && IsHostName(origin->host))
        Require(trust.Trusts(url) == pattern.has_value());
    if (pattern && origin) {
        const bool matches = PatternMatches(*pattern, *origin);
        Require(matches == Means(*pattern, *origin));
        if (entry.find_first_of(" \t\r") == std::string::npos)
            Require(trust.Trusts(url) == matches);
    }
    return 0;
}
