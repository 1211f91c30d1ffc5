#include "CrashReports.h"
#include "MainApp.h"
#include "ReleaseName.h"
#include "version.h"

namespace {

// The client: the shared start-up, with crash reports kept for the release
// (the client's own build keeps them as the release it is packaged as).
class CClientApp : public CMainApp {
public:
    BOOL InitInstance() override {
        ReleaseIdentity release = BrandedReleaseIdentity();
        if (release.id.empty())
            release = {kOwnReleaseId, CLIENT_VERSION_TEXT};
        std::wstring config(MAX_PATH, L'\0');
        config.resize(::GetFullPathNameW(L"config.xml", MAX_PATH, config.data(), nullptr));
        CCrashReporter reporter(ReleaseDataFolder(release.id),
                                {release.id, release.version, CLIENT_VERSION_TEXT, config});
        return CMainApp::InitInstance();
    }

private:
    static constexpr char kOwnReleaseId[] = "GameClient";
};

} // namespace

// The program's one application object.
CClientApp theApp;
