#pragma once
// What the client needs to trust an update: the address and key the
// packaging wrote into the executable, the check of an update description's
// detached signature against that key (ECDSA P-256 over SHA-256, through
// the platform's CNG), and the SHA-256 of a downloaded file.

#include <windows.h>

#include <bcrypt.h>

#include <array>
#include <optional>
#include <string>
#include <string_view>

struct UpdateSource {
    std::string url;
    // DER SubjectPublicKeyInfo (UpdateKeyFormat.h).
    std::string publicKey;
};

// The update address and key in `module`'s resources (the running
// executable for nullptr); nothing unless both are there.
std::optional<UpdateSource> ReadUpdateSource(HMODULE module = nullptr);

// Where `module` (the running executable for nullptr) sends its crash
// reports, as the packaging wrote it; empty when it sends none.
std::string ReadCrashReportUrl(HMODULE module = nullptr);

using Sha256Digest = std::array<unsigned char, 32>;

std::optional<Sha256Digest> Sha256(std::string_view bytes);
std::optional<Sha256Digest> Sha256OfFile(const std::wstring& path);
// 64 lower-case hex digits, as an update description gives a digest.
std::string Sha256Hex(const Sha256Digest& digest);

// An imported update key; owns its CNG handles.
class CUpdateKey {
public:
    // Nothing when `der` is not a P-256 public key the platform accepts.
    static std::optional<CUpdateKey> Import(std::string_view der);

    CUpdateKey(CUpdateKey&& other) noexcept;
    CUpdateKey& operator=(CUpdateKey&& other) noexcept;
    CUpdateKey(const CUpdateKey&) = delete;
    CUpdateKey& operator=(const CUpdateKey&) = delete;
    ~CUpdateKey();

    // Whether `signature` (r then s, 32 bytes each, big-endian) signs
    // `message` with this key.
    bool Verifies(std::string_view message, std::string_view signature) const;

private:
    CUpdateKey() = default;
    void Close();

    BCRYPT_ALG_HANDLE m_algorithm = nullptr;
    BCRYPT_KEY_HANDLE m_key = nullptr;
};
