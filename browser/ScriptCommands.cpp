#include "ScriptCommands.h"

#include "ScriptCommandTargets.h"
#include "SimpleBrowser.h"
#include "UrlCache.h"

namespace {

SimpleBrowser* HostOf(void* context) {
    return static_cast<SimpleBrowser*>(context);
}

// The window that owns the calling host, if it is of the kind a command acts on.
template <class Target> Target* OwnerAs(void* context) {
    SimpleBrowser* host = HostOf(context);
    if (!host || !host->m_hWnd)
        return nullptr;
    return dynamic_cast<Target*>(CWnd::FromHandle(::GetParent(host->m_hWnd)));
}

const char* OnHome(void* context, const char* const*, int) {
    if (SimpleBrowser* host = HostOf(context))
        host->Refresh();
    return nullptr;
}

const char* OnSetName(void* context, const char* const* args, int) {
    if (auto* game = OwnerAs<CGameWindowCommands>(context))
        game->SetTitleText(args[0] ? args[0] : "");
    return nullptr;
}

const char* OnShowGame(void* context, const char* const* args, int) {
    if (auto* login = OwnerAs<CLoginWindowCommands>(context))
        login->ShowGame(args[0] ? args[0] : "");
    return nullptr;
}

const char* OnCloseLogin(void* context, const char* const*, int) {
    if (auto* login = OwnerAs<CLoginWindowCommands>(context))
        login->ShowBackdrop(SW_MINIMIZE);
    return nullptr;
}

const char* OnShowLogin(void* context, const char* const*, int) {
    if (auto* login = OwnerAs<CLoginWindowCommands>(context))
        login->ShowBackdrop(SW_SHOWNORMAL);
    return nullptr;
}

const char* OnClearCache(void*, const char* const*, int) {
    ClearUrlCache();
    return nullptr;
}

const char* OnFullScreen(void* context, const char* const*, int) {
    if (auto* game = OwnerAs<CGameWindowCommands>(context))
        game->SetFullScreen(true);
    return nullptr;
}

const char* OnSetWindow(void* context, const char* const*, int) {
    if (auto* game = OwnerAs<CGameWindowCommands>(context))
        game->SetFullScreen(false);
    return nullptr;
}

// Calls reach the commands only from a document the host trusts, decided
// at each call: the document may have changed since the registration.
// Without a host there is no document left to call (its browser went with
// it), and the handlers do nothing, as before the host existed.
bool CallerIsTrusted(void* context) {
    SimpleBrowser* host = HostOf(context);
    return !host || host->IsDocumentTrusted();
}

// In this order: the order fixes the DISPIDs.
constexpr ScriptCommand kCommands[] = {
    {"home", 0, &OnHome},
    {"set_name", 1, &OnSetName},
    {"show_game", 1, &OnShowGame},
    {"close_login", 0, &OnCloseLogin},
    {"show_login", 0, &OnShowLogin},
    {"clear_cache", 0, &OnClearCache},
    {"full_screen", 0, &OnFullScreen},
    {"set_window", 0, &OnSetWindow},
};

} // namespace

void RegisterScriptCommands(SimpleBrowser* host) {
    if (!host || !host->m_pUIHandler || !host->m_pUIHandler->m_pExternal)
        return;
    CDispatchImpl_Hooker* external = host->m_pUIHandler->m_pExternal;
    external->m_context = host;
    external->m_gate = &CallerIsTrusted;
    for (const ScriptCommand& command : kCommands)
        external->AddCommand(command);
}
