#pragma once
// The page a window shows instead of the browser's own error page when a
// top-level navigation cannot reach its server: the rules for when, what the
// page is told and how often the window tries again by itself. Portable (no
// platform types), so they are also checked natively.

#include <cstdint>
#include <string>
#include <string_view>

// Whether a failed navigation's status (a negative HRESULT of the network
// layer, or an HTTP status) means the server could not be reached or failed
// itself: any network failure but a cancelled navigation, and an HTTP status
// of 500 or more. A client error (404 and the like) is the page's own answer.
bool MeansServerUnreachable(std::int32_t status);

// The reason the page is told: "not-found" (no such server name), "refused",
// "timed-out", "http-<status>" for a server error, "failed" for the rest.
std::string UnreachableReason(std::int32_t status);

// The page's address for a failure: `page` (a file: or res: address without
// a query), then "?url=" the failed address (UTF-8, percent-encoded),
// "&reason=", "&status=" and `more` (further "&name=value" pairs).
std::string OfflinePageAddress(std::string_view page, std::string_view failedUrlUtf8,
                               std::int32_t status, std::string_view more);

// Seconds before the window tries the failed address again by itself, for
// the `attempt`-th time in a row (from 0): 5, 10, 20, 40, then 60 each time.
unsigned RetryDelaySeconds(unsigned attempt);
