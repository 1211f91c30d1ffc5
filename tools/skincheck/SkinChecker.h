#pragma once
// Reads the skin in the current directory as the client reads it (the same
// configuration store, the same image loaders) and tells what is wrong with
// it. It only reads.

#include "ConfigStore.h"
#include "SkinRules.h"
#include "TrustedOrigins.h"

#include <windows.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

struct Finding {
    Severity severity;
    // The key (or element, or file) the finding is about; "-" for the file as a whole.
    std::string key;
    std::string message;
    // The skin's file the finding is in.
    std::string file = "config.xml";
};

class CSkinChecker {
public:
    std::vector<Finding> Run();

    // The size the game window takes at its smallest: three quarters of the
    // smallest screen a player is expected to have.
    static constexpr int kSmallestScreenWidth = 1024, kSmallestScreenHeight = 768;

private:
    bool ReadConfiguration();
    void CheckUnknownKeys();
    void CheckReading();
    void CheckMissingKeys();
    void CheckValue(const SkinKey& key);
    // Each entry of the optional trusted_origins key.
    void CheckTrustedOrigins();
    void CheckImage(const SkinKey& key);
    void CheckFilePresent(const SkinKey& key);
    bool CheckFileReadable(const SkinKey& key, const std::string& path, FileKind kind);
    // `twice`: `path` is the twice-size version of the key's image.
    void CheckContent(const SkinKey& key, const std::string& path, FileKind kind, bool twice);
    void CheckBitmap(const SkinKey& key, const std::string& path, FileKind kind, bool twice);
    void CheckPicture(const SkinKey& key, const std::string& path, FileKind kind, bool twice);
    // What players see when the image at hand cannot be shown.
    static std::string Effect(const SkinKey& key, bool twice);
    // Reports what the client's image check refuses in the file; whether it does.
    bool RefusedByImageCheck(const SkinKey& key, const std::string& path, bool twice);
    void CheckBackdrop(const SkinKey& key, const std::string& path, bool twice);
    void CheckLoginLayout();
    void CheckGameLayout();
    // Each "@2x" image in data\ beside its base, at twice its size.
    void CheckTwiceSizeImages();
    void CheckIcon();
    void CheckReleaseDescription();

    void Add(Severity severity, const std::string& key, const std::string& message);
    void Add(const std::string& key, const Problem& problem);
    // The value the client reads; "" for a key that is absent.
    std::string Value(const std::string& key) const;
    int Number(const std::string& key) const;
    bool Given(const std::string& key) const;
    Box BoxOf(const std::string& stem) const;

    CConfigStore m_store;
    ConfigLoadReport m_report;
    std::set<std::string> m_present;
    std::optional<SIZE> m_backdropSize;
    std::vector<Finding> m_findings;
};

// One finding as a line: "config.xml: error: KEY: message" (or release.ini).
std::string FormatFinding(const Finding& finding);
// 0 without findings, 1 with warnings only, 2 with errors.
int ExitStatusOf(const std::vector<Finding>& findings);
