#pragma once
// Which documents the client trusts with window.external and the hand-over:
// those whose origin (scheme, host, port) is one the operator's settings name,
// and the few exact addresses the client itself puts into a browser. Portable
// (no platform types), so the rules are checked and fuzzed natively as well.
//
// Addresses are narrow text as the browser reports them. Hosts are compared
// as the browser gives them, ASCII letters lower-cased: an internationalised
// name matches only in the form the browser reports (its punycode form).
// Anything outside the plain ASCII that RFC 3986 allows in an authority gives
// no origin, and so no trust.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct WebOrigin {
    std::string scheme; // "http" or "https"
    std::string host;   // lower-cased; an IP literal keeps its brackets
    std::uint16_t port = 0;

    bool operator==(const WebOrigin&) const = default;
};

// The origin of an http or https address: the port written or the scheme's
// default (80, 443). Nothing for another scheme (file:, res:, about:, ...),
// for an authority RFC 3986 does not allow (a backslash, a space, a byte
// above 0x7F, a second "@"), for an empty host, or for a port above 65535.
// Userinfo is not part of the origin: http://example.com@evil.net/ is
// evil.net's.
std::optional<WebOrigin> OriginOf(std::string_view url);

// One entry of trusted_origins: "scheme://host[:port]" with an optional "/"
// after it, or "scheme://*.name[:port]" for every subdomain of name (at any
// depth) but not name itself. The scheme is http or https; the host a DNS
// name, an IPv4 address or a bracketed IPv6 address; a wildcard's name has at
// least two labels and is no address.
struct OriginPattern {
    WebOrigin origin; // for a wildcard, origin.host is the name after "*."
    bool subdomains = false;
};

std::optional<OriginPattern> ParseOriginPattern(std::string_view entry);
bool PatternMatches(const OriginPattern& pattern, const WebOrigin& origin);

// The entries of a trusted_origins value (separated by spaces, tabs or line
// breaks) that are not well-formed, in order.
std::vector<std::string> MalformedOriginEntries(std::string_view list);

// The trust of one browser: origins and exact addresses.
class CTrustedOrigins {
public:
    // Trusts the origin of `url`; nothing for an address without one.
    void TrustOriginOf(std::string_view url);
    // Trusts every well-formed entry of a trusted_origins value; the others
    // are left out (the skin checker reports them).
    void TrustListed(std::string_view list);
    // Trusts the document at exactly this address, as the browser reports it:
    // for pages the client itself shows (a blank page, a page of its own).
    void TrustAddress(std::string_view url);
    // Trusts the document at this address with any query the client writes
    // after "?": for a page of its own that it tells something (the offline
    // page).
    void TrustPage(std::string_view page);

    bool Trusts(std::string_view url) const;

private:
    std::vector<OriginPattern> m_patterns;
    std::vector<std::string> m_addresses;
    std::vector<std::string> m_pages;
};
