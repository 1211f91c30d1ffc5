#include "UpdateSignature.h"

#include "UpdateKeyFormat.h"
#include "UpdateResource.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

constexpr size_t kSignatureBytes = 64;

std::optional<std::string> ResourceBytes(HMODULE module, const wchar_t* name) {
    HRSRC found = ::FindResourceW(module, name, MAKEINTRESOURCEW(10)); // RT_RCDATA
    if (!found)
        return std::nullopt;
    HGLOBAL loaded = ::LoadResource(module, found);
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    if (!bytes)
        return std::nullopt;
    return std::string(static_cast<const char*>(bytes), ::SizeofResource(module, found));
}

// A SHA-256 hash in progress; owns its CNG handles.
class CSha256 {
public:
    CSha256() {
        if (BCryptOpenAlgorithmProvider(&m_algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0)
            m_algorithm = nullptr;
        else if (BCryptCreateHash(m_algorithm, &m_hash, nullptr, 0, nullptr, 0, 0) != 0)
            m_hash = nullptr;
    }
    CSha256(const CSha256&) = delete;
    CSha256& operator=(const CSha256&) = delete;
    ~CSha256() {
        if (m_hash)
            BCryptDestroyHash(m_hash);
        if (m_algorithm)
            BCryptCloseAlgorithmProvider(m_algorithm, 0);
    }

    bool Add(const void* bytes, ULONG size) {
        return m_hash &&
               BCryptHashData(m_hash, static_cast<PUCHAR>(const_cast<void*>(bytes)), size, 0) == 0;
    }

    std::optional<Sha256Digest> Finish() {
        Sha256Digest digest{};
        if (!m_hash || BCryptFinishHash(m_hash, digest.data(), digest.size(), 0) != 0)
            return std::nullopt;
        return digest;
    }

private:
    BCRYPT_ALG_HANDLE m_algorithm = nullptr;
    BCRYPT_HASH_HANDLE m_hash = nullptr;
};

} // namespace

std::optional<UpdateSource> ReadUpdateSource(HMODULE module) {
    if (!module)
        module = ::GetModuleHandleW(nullptr);
    std::optional<std::string> url = ResourceBytes(module, kUpdateUrlResource);
    std::optional<std::string> key = ResourceBytes(module, kUpdateKeyResource);
    if (!url || !key || url->empty() || key->empty())
        return std::nullopt;
    return UpdateSource{std::move(*url), std::move(*key)};
}

std::string ReadCrashReportUrl(HMODULE module) {
    return ResourceBytes(module ? module : ::GetModuleHandleW(nullptr), kCrashReportUrlResource)
        .value_or("");
}

std::optional<Sha256Digest> Sha256(std::string_view bytes) {
    CSha256 hash;
    if (!hash.Add(bytes.data(), static_cast<ULONG>(bytes.size())))
        return std::nullopt;
    return hash.Finish();
}

std::optional<Sha256Digest> Sha256OfFile(const std::wstring& path) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    CSha256 hash;
    std::vector<char> buffer(1 << 16);
    bool whole = false;
    for (;;) {
        DWORD got = 0;
        if (!::ReadFile(file, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr))
            break;
        if (got == 0) {
            whole = true;
            break;
        }
        if (!hash.Add(buffer.data(), got))
            break;
    }
    ::CloseHandle(file);
    if (!whole)
        return std::nullopt;
    return hash.Finish();
}

std::string Sha256Hex(const Sha256Digest& digest) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (unsigned char byte : digest) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

std::optional<CUpdateKey> CUpdateKey::Import(std::string_view der) {
    if (!IsP256PublicKey(der))
        return std::nullopt;
    std::vector<unsigned char> blob(sizeof(BCRYPT_ECCKEY_BLOB) + kP256PointBytes);
    BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kP256PointBytes / 2};
    std::memcpy(blob.data(), &header, sizeof(header));
    std::memcpy(blob.data() + sizeof(header), der.data() + kP256PublicKeyHead.size(),
                kP256PointBytes);
    CUpdateKey key;
    if (BCryptOpenAlgorithmProvider(&key.m_algorithm, BCRYPT_ECDSA_P256_ALGORITHM, nullptr, 0) !=
        0) {
        key.m_algorithm = nullptr;
        return std::nullopt;
    }
    if (BCryptImportKeyPair(key.m_algorithm, nullptr, BCRYPT_ECCPUBLIC_BLOB, &key.m_key,
                            blob.data(), static_cast<ULONG>(blob.size()), 0) != 0) {
        key.m_key = nullptr;
        return std::nullopt;
    }
    return key;
}

CUpdateKey::CUpdateKey(CUpdateKey&& other) noexcept
    : m_algorithm(std::exchange(other.m_algorithm, nullptr)),
      m_key(std::exchange(other.m_key, nullptr)) {}

CUpdateKey& CUpdateKey::operator=(CUpdateKey&& other) noexcept {
    if (this != &other) {
        Close();
        m_algorithm = std::exchange(other.m_algorithm, nullptr);
        m_key = std::exchange(other.m_key, nullptr);
    }
    return *this;
}

CUpdateKey::~CUpdateKey() {
    Close();
}

void CUpdateKey::Close() {
    if (m_key)
        BCryptDestroyKey(m_key);
    if (m_algorithm)
        BCryptCloseAlgorithmProvider(m_algorithm, 0);
    m_key = nullptr;
    m_algorithm = nullptr;
}

bool CUpdateKey::Verifies(std::string_view message, std::string_view signature) const {
    if (!m_key || signature.size() != kSignatureBytes)
        return false;
    std::optional<Sha256Digest> digest = Sha256(message);
    if (!digest)
        return false;
    return BCryptVerifySignature(m_key, nullptr, digest->data(), static_cast<ULONG>(digest->size()),
                                 reinterpret_cast<PUCHAR>(const_cast<char*>(signature.data())),
                                 static_cast<ULONG>(signature.size()), 0) == 0;
}
