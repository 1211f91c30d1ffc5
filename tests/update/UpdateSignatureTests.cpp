// The update foundation as the client will use it, on a release the
// packaging made with an update key (the update_release test before these):
// the branded client carries the address and key and the plain one none,
// the branded 32-bit one its own address;
// the description's signature verifies with the carried key through CNG,
// and nothing else does; the installer's SHA-256 is the one described.

#include "TempDir.h"
#include "TextConversion.h"
#include "UpdateFiles.h"
#include "UpdateSignature.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Hex(const Sha256Digest& digest) {
    std::string hex;
    for (unsigned char byte : digest) {
        char two[3];
        std::snprintf(two, sizeof(two), "%02x", byte);
        hex += two;
    }
    return hex;
}

// An executable's resources, loaded as data.
class CLoadedResources {
public:
    explicit CLoadedResources(const std::wstring& path)
        : m_module(::LoadLibraryExW(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
    CLoadedResources(const CLoadedResources&) = delete;
    CLoadedResources& operator=(const CLoadedResources&) = delete;
    ~CLoadedResources() {
        if (m_module)
            ::FreeLibrary(m_module);
    }
    HMODULE Module() const { return m_module; }

private:
    HMODULE m_module;
};

class UpdateRelease : public ::testing::Test {
protected:
    const std::string m_description = ReadAll(InUpdateDir(L"releases\\UpdateGame-update.json"));
    const std::string m_signature = ReadAll(InUpdateDir(L"releases\\UpdateGame-update.json.sig"));
    const std::string m_publicKey = ReadAll(InUpdateDir(L"keys\\update-public.der"));
};

// Each architecture's release has its own description: the 32-bit client
// (a 32-bit program branded as one) looks at the address derived from
// update_url, where the packaging's 32-bit description goes.
TEST_F(UpdateRelease, EachBrandedClientCarriesItsOwnAddressesAndKeyThePlainOneNone) {
    const struct {
        const wchar_t* client;
        const char* description;
    } releases[] = {{L"stage\\UpdateGame.exe", "UpdateGame-update.json"},
                    {L"stage-x86\\UpdateGame.exe", "UpdateGame-update-x86.json"}};
    std::optional<CUpdateKey> key = CUpdateKey::Import(m_publicKey);
    ASSERT_TRUE(key);
    for (const auto& release : releases) {
        CLoadedResources branded(InUpdateDir(release.client));
        ASSERT_TRUE(branded.Module());
        std::optional<UpdateSource> source = ReadUpdateSource(branded.Module());
        ASSERT_TRUE(source);
        EXPECT_EQ(source->url, "https://127.0.0.1/updates/" + std::string(release.description));
        EXPECT_EQ(source->publicKey, m_publicKey);
        EXPECT_EQ(ReadCrashReportUrl(branded.Module()), "http://127.0.0.1/crash");
        const std::wstring made = InUpdateDir(L"releases\\" + ToWide(release.description, CP_ACP));
        EXPECT_TRUE(key->Verifies(ReadAll(made), ReadAll(made + L".sig"))) << release.description;
    }

    CLoadedResources plain(ToWide(ProgramDirectory() + "\\client.exe", CP_ACP));
    ASSERT_TRUE(plain.Module());
    EXPECT_FALSE(ReadUpdateSource(plain.Module()));
    EXPECT_FALSE(ReadUpdateSource());
    EXPECT_EQ(ReadCrashReportUrl(plain.Module()), "");
}

TEST_F(UpdateRelease, OnlyTheDescriptionThePackagingSignedVerifies) {
    std::optional<CUpdateKey> key = CUpdateKey::Import(m_publicKey);
    ASSERT_TRUE(key);
    std::string changed = m_description;
    changed[changed.find("\"rollout\": 25") + 11] = '9';
    std::string flipped = m_signature;
    flipped[40] ^= 0x01;
    const std::string otherSignature = ReadAll(InUpdateDir(L"other\\UpdateGame-update.json.sig"));
    const struct {
        const char* what;
        std::string description;
        std::string signature;
        bool verifies;
    } cases[] = {
        {"as made", m_description, m_signature, true},
        {"signed with another key", m_description, otherSignature, false},
        {"a byte changed after signing", changed, m_signature, false},
        {"a bit of the signature flipped", m_description, flipped, false},
        {"the signature cut short", m_description, m_signature.substr(0, 63), false},
        {"a byte after the signature", m_description, m_signature + '\0', false},
        {"no signature", m_description, "", false},
        {"the signature in openssl's DER form", m_description,
         ReadAll(InUpdateDir(L"keys\\description.der")), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(key->Verifies(c.description, c.signature), c.verifies) << c.what;

    // The other signature is a good one, of the other key.
    std::optional<CUpdateKey> other =
        CUpdateKey::Import(ReadAll(InUpdateDir(L"keys\\other-public.der")));
    ASSERT_TRUE(other);
    EXPECT_TRUE(other->Verifies(m_description, otherSignature));
}

TEST(UpdateKey, OnlyAP256PublicKeyIsImported) {
    const std::string key = ReadAll(InUpdateDir(L"keys\\update-public.der"));
    std::string otherCurve = key;
    otherCurve[24] = 0x22; // secp384r1's last arc, in place of prime256v1's
    for (const std::string& bad : {std::string(), key.substr(0, 90), key + '\0', otherCurve})
        EXPECT_FALSE(CUpdateKey::Import(bad)) << bad.size();
}

TEST_F(UpdateRelease, Sha256OfTheInstallerIsTheDescribedOne) {
    std::optional<Sha256Digest> installer =
        Sha256OfFile(InUpdateDir(L"releases\\UpdateGame-2.1.0-setup.exe"));
    ASSERT_TRUE(installer);
    EXPECT_NE(m_description.find("\"installer_sha256\": \"" + Hex(*installer) + "\""),
              std::string::npos);
    EXPECT_EQ(Hex(*Sha256("abc")),
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hex(*Sha256("")), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_FALSE(Sha256OfFile(InUpdateDir(L"releases\\none.exe")));
}

} // namespace
