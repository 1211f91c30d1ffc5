#pragma once
// The functions of the platform's cryptography (CNG) the client calls, from
// bcrypt.dll loaded at the first call rather than imported: an import loads
// it (under Wine, with its cryptographic library) at every start-up, before
// the first window, for checks that come later if at all.

#include <windows.h>

#include <bcrypt.h>

struct CngFunctions {
    decltype(&::BCryptOpenAlgorithmProvider) openAlgorithmProvider = nullptr;
    decltype(&::BCryptCloseAlgorithmProvider) closeAlgorithmProvider = nullptr;
    decltype(&::BCryptCreateHash) createHash = nullptr;
    decltype(&::BCryptHashData) hashData = nullptr;
    decltype(&::BCryptFinishHash) finishHash = nullptr;
    decltype(&::BCryptDestroyHash) destroyHash = nullptr;
    decltype(&::BCryptImportKeyPair) importKeyPair = nullptr;
    decltype(&::BCryptVerifySignature) verifySignature = nullptr;
    decltype(&::BCryptDestroyKey) destroyKey = nullptr;
    decltype(&::BCryptGenRandom) genRandom = nullptr;
};

// Every function, or null when bcrypt.dll or one of them cannot be had.
const CngFunctions* Cng();
