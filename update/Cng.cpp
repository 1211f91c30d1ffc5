#include "Cng.h"

#include <string>

namespace {

template <typename Function> bool Resolve(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return function != nullptr;
}

bool Load(CngFunctions& f) {
    wchar_t system[MAX_PATH] = {};
    const UINT length = ::GetSystemDirectoryW(system, MAX_PATH);
    if (!length || length >= MAX_PATH)
        return false;
    // From the system folder by its full path: never a file of that name
    // beside the game. Kept for the process's life, as an import would be:
    // a check's thread may still be inside it when the process ends.
    HMODULE module = ::LoadLibraryW((std::wstring(system, length) + L"\\bcrypt.dll").c_str());
    return module && Resolve(module, "BCryptOpenAlgorithmProvider", f.openAlgorithmProvider) &&
           Resolve(module, "BCryptCloseAlgorithmProvider", f.closeAlgorithmProvider) &&
           Resolve(module, "BCryptCreateHash", f.createHash) &&
           Resolve(module, "BCryptHashData", f.hashData) &&
           Resolve(module, "BCryptFinishHash", f.finishHash) &&
           Resolve(module, "BCryptDestroyHash", f.destroyHash) &&
           Resolve(module, "BCryptImportKeyPair", f.importKeyPair) &&
           Resolve(module, "BCryptVerifySignature", f.verifySignature) &&
           Resolve(module, "BCryptDestroyKey", f.destroyKey) &&
           Resolve(module, "BCryptGenRandom", f.genRandom);
}

} // namespace

const CngFunctions* Cng() {
    static CngFunctions functions;
    static const bool loaded = Load(functions);
    return loaded ? &functions : nullptr;
}
