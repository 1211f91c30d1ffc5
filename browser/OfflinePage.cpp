#include "OfflinePage.h"

#include <cstdint>

namespace {

// The network layer's codes (urlmon's INET_E_*), as signed 32-bit values.
constexpr std::int32_t Code(std::uint32_t value) {
    return static_cast<std::int32_t>(value);
}
constexpr std::int32_t kNameNotFound = Code(0x800C0005);      // INET_E_RESOURCE_NOT_FOUND
constexpr std::int32_t kCannotConnect = Code(0x800C0004);     // INET_E_CANNOT_CONNECT
constexpr std::int32_t kTimedOut = Code(0x800C000B);          // INET_E_CONNECTION_TIMEOUT
constexpr std::int32_t kAborted = Code(0x80004004);           // E_ABORT
constexpr std::int32_t kBindingTerminated = Code(0x800C0018); // INET_E_TERMINATED_BIND

std::string PercentEncoded(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    for (unsigned char c : text) {
        const bool unreserved = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
                                c == '~';
        if (unreserved) {
            encoded += static_cast<char>(c);
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0xF];
        }
    }
    return encoded;
}

} // namespace

bool MeansServerUnreachable(std::int32_t status) {
    if (status < 0)
        return status != kAborted && status != kBindingTerminated;
    return status >= 500 && status <= 599;
}

std::string UnreachableReason(std::int32_t status) {
    switch (status) {
    case kNameNotFound:
        return "not-found";
    case kCannotConnect:
        return "refused";
    case kTimedOut:
        return "timed-out";
    default:
        return status >= 500 ? "http-" + std::to_string(status) : "failed";
    }
}

std::string OfflinePageAddress(std::string_view page, std::string_view failedUrlUtf8,
                               std::int32_t status, std::string_view more) {
    std::string address(page);
    address += "?url=" + PercentEncoded(failedUrlUtf8);
    address += "&reason=" + UnreachableReason(status);
    address += "&status=" + std::to_string(status);
    address += more;
    return address;
}

unsigned RetryDelaySeconds(unsigned attempt) {
    return attempt >= 4 ? 60 : 5u << attempt;
}
