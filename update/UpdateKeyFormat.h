#pragma once
// The form of the update key that a branded client carries: an X.509
// SubjectPublicKeyInfo of an ECDSA P-256 key, DER, as openssl writes it. Its
// first 27 bytes never change (the algorithm, the curve and the uncompressed
// point's marker); the point's 64 bytes, X then Y, follow. Portable, so the
// release description's reader checks the same form.

#include <cstddef>
#include <string_view>

inline constexpr std::string_view kP256PublicKeyHead{
    "\x30\x59\x30\x13\x06\x07\x2a\x86\x48\xce\x3d\x02\x01\x06"
    "\x08\x2a\x86\x48\xce\x3d\x03\x01\x07\x03\x42\x00\x04",
    27};
inline constexpr std::size_t kP256PointBytes = 64;

inline bool IsP256PublicKey(std::string_view der) {
    return der.size() == kP256PublicKeyHead.size() + kP256PointBytes &&
           der.starts_with(kP256PublicKeyHead);
}
