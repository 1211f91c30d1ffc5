// The release made from the test skin in tests/installer/skin (by the
// installer_package test before these): its zip, and its installer run
// silently as an administrator's script runs it, into a folder with a space
// and Chinese in its name; the installed client started from its shortcut;
// the uninstaller run silently afterwards.

#include "ChildProcess.h"
#include "InstalledProgram.h"
#include "LoginWindows.h"
#include "ProcessTree.h"
#include "TempDir.h"
#include "TextConversion.h"
#include "UiPump.h"
#include "UserInput.h"
#include "ZipEntries.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

std::string WindowsPath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return "Z:" + path;
}

const std::string kRelease = WindowsPath(RELEASE_DIR);
const std::string kStem = kRelease + "\\game-client-" CLIENT_RELEASE_VERSION RELEASE_SUFFIX;
const std::string kSetup = kStem + "-setup.exe";
const std::string kZip = kStem + ".zip";
const std::string kKit = kStem + "-skin-kit.zip";
constexpr char kPlainId[] = "GameClient";
constexpr char kShortcutName[] = "\\Game client.lnk";
constexpr DWORD kInstallerTimeoutMs = 60000;
// The test skin's close button and the colour of its image.
constexpr int kCloseX = 200, kCloseY = 10, kCloseSide = 30;
constexpr COLORREF kCloseColour = RGB(0xC0, 0x30, 0x20);

// The release's files, sorted; the skin's pages are not among them.
const std::vector<std::string> kReleaseFiles = {
    "client.exe", "config.xml", "data\\login buttons\\close_normal.bmp", "data\\登录背景.png"};

// Every file and folder under `dir` (folders end in '\'), sorted.
std::vector<std::string> ListTree(const std::string& dir, const std::string& prefix = "") {
    std::vector<std::string> found;
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do {
        std::string name = entry.cFileName;
        if (name == "." || name == "..")
            continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            found.push_back(prefix + name + "\\");
            auto inner = ListTree(dir + "\\" + name, prefix + name + "\\");
            found.insert(found.end(), inner.begin(), inner.end());
        } else {
            found.push_back(prefix + name);
        }
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
    std::sort(found.begin(), found.end());
    return found;
}

// What the installer leaves in its folder: the release, the folders that
// hold it and the uninstaller.
std::vector<std::string> InstalledTree() {
    std::vector<std::string> tree = kReleaseFiles;
    tree.insert(tree.end(), {"data\\", "data\\login buttons\\", "uninstall.exe", "uninstall.lst"});
    std::sort(tree.begin(), tree.end());
    return tree;
}

// Runs the program and everything it starts to the end; its exit status.
DWORD RunToTheEnd(const std::string& program, const std::string& arguments) {
    ProcessTree tree(program, arguments);
    EXPECT_TRUE(tree.Started()) << program;
    EXPECT_TRUE(tree.WaitForAll(kInstallerTimeoutMs)) << program;
    return tree.ExitCode();
}

DWORD Install(const std::string& folder) {
    return RunToTheEnd(kSetup, "/S /D=" + folder);
}

// Runs a registered command line ("program" arguments) to the end, as a
// program that uninstalls others runs it: its exit status.
DWORD RunCommandLine(const std::string& command) {
    const size_t end = command.find('"', 1);
    if (!command.starts_with('"') || end == std::string::npos)
        return ~0u;
    return RunToTheEnd(command.substr(1, end - 1),
                       command.substr(std::min(end + 2, command.size())));
}

std::string UninstallKey(const std::string& id) {
    return "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + id;
}

std::optional<std::string> UninstallString(const std::string& id, const char* name) {
    char value[1024] = {};
    DWORD size = sizeof(value);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, UninstallKey(id).c_str(), name, RRF_RT_REG_SZ, nullptr,
                       value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<DWORD> UninstallDword(const std::string& id, const char* name) {
    DWORD value = 0, size = sizeof(value);
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, UninstallKey(id).c_str(), name, RRF_RT_REG_DWORD,
                       nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

bool UninstallKeyExists(const std::string& id) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey(id).c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return false;
    ::RegCloseKey(key);
    return true;
}

std::string CommonFolder(int csidl) {
    char path[MAX_PATH] = {};
    ::SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

// The shortcuts every user gets: the Start menu's and the desktop's.
std::vector<std::string> Shortcuts(const std::string& name = kShortcutName) {
    return {CommonFolder(CSIDL_COMMON_PROGRAMS) + name,
            CommonFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + name};
}

struct Shortcut {
    std::string target;
    std::string folder;
};

// What a shortcut file starts and where, as the shell reads it.
std::optional<Shortcut> ReadShortcut(const std::string& path) {
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link))))
        return std::nullopt;
    std::optional<Shortcut> read;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        char target[MAX_PATH] = {}, folder[MAX_PATH] = {};
        if (SUCCEEDED(file->Load(ToWide(path, CP_ACP).c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) &&
            SUCCEEDED(link->GetWorkingDirectory(folder, MAX_PATH)))
            read = Shortcut{target, folder};
        file->Release();
    }
    link->Release();
    return read;
}

// The client started as a shortcut starts it, until it goes out of scope.
struct StartedClient {
    explicit StartedClient(const Shortcut& shortcut)
        : process(shortcut.target, "", shortcut.folder), windows(WaitForLoginWindow(process)) {}
    ~StartedClient() { process.Terminate(); }
    // The backdrop's size: that of the image config.xml names, found beside
    // the executable.
    SIZE Backdrop() const {
        RECT rect{};
        ::GetWindowRect(windows.backdrop, &rect);
        return {rect.right - rect.left, rect.bottom - rect.top};
    }

    ChildProcess process;
    LoginWindows windows;
};

// What a failed run may have left in the prefix that later runs share.
void ForgetTheInstallation(const std::string& id = kPlainId,
                           const std::string& shortcut = kShortcutName) {
    ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, UninstallKey(id).c_str());
    for (const std::string& path : Shortcuts(shortcut))
        ::DeleteFileA(path.c_str());
}

} // namespace

TEST(Release, ZipHoldsTheClientItsConfigurationAndDataOnly) {
    std::vector<std::string> names;
    for (const ZipEntry& entry : ReadZipEntries(kZip)) {
        bool ascii = std::all_of(entry.name.begin(), entry.name.end(),
                                 [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        // Unpackers read unflagged names in the system's OEM code page.
        EXPECT_TRUE(ascii || entry.utf8) << entry.name;
        std::string name = ToNarrow(ToWide(entry.name, CP_UTF8), CP_ACP);
        std::replace(name.begin(), name.end(), '/', '\\');
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, kReleaseFiles);
}

TEST(Release, TheSkinKitHoldsTheToolsTheSkinAndTheDocuments) {
    std::vector<std::string> names;
    for (const ZipEntry& entry : ReadZipEntries(kKit))
        names.push_back(entry.name);
    for (const char* expected :
         {"README.txt", "skincheck.exe", "preview.exe", "skin/config.xml",
          "skin/data/login buttons/close_normal.bmp", "skin/pages/login.html",
          "docs/configuration.md", "docs/pages.md", "docs/releases.md", "pages/external-shim.js",
          "pages/external.d.ts"})
        EXPECT_EQ(std::count(names.begin(), names.end(), expected), 1) << expected;
}

// One silent installation for the tests of what it made.
class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_parent = std::make_unique<TempDir>();
        s_folder = s_parent->PathOf("游戏 客户端");
        s_exitCode = Install(s_folder);
    }
    static void TearDownTestSuite() {
        RunToTheEnd(s_folder + "\\uninstall.exe", "/S");
        ForgetTheInstallation();
        s_parent.reset();
    }
    void SetUp() override { ASSERT_EQ(s_exitCode, 0u); }

    static std::unique_ptr<TempDir> s_parent;
    static std::string s_folder;
    static DWORD s_exitCode;
};

std::unique_ptr<TempDir> Installed::s_parent;
std::string Installed::s_folder;
DWORD Installed::s_exitCode = 0;

TEST_F(Installed, PutsTheReleaseAndTheUninstallerInTheChosenFolder) {
    EXPECT_EQ(ListTree(s_folder), InstalledTree());
}

TEST_F(Installed, RegistersTheUninstallerWithAddRemovePrograms) {
    const std::string client = s_folder + "\\client.exe";
    const std::string uninstaller = "\"" + s_folder + "\\uninstall.exe\"";
    const struct {
        const char* name;
        std::string value;
    } strings[] = {
        {"DisplayName", VersionString(client, "ProductName")},
        {"DisplayVersion", CLIENT_RELEASE_VERSION},
        {"DisplayIcon", client + ",0"},
        {"UninstallString", uninstaller},
        {"QuietUninstallString", uninstaller + " /S _?=" + s_folder},
        {"InstallLocation", s_folder},
    };
    for (const auto& expected : strings)
        EXPECT_EQ(UninstallString(kPlainId, expected.name), expected.value) << expected.name;
    EXPECT_EQ(UninstallDword(kPlainId, "NoModify"), 1u);
    EXPECT_EQ(UninstallDword(kPlainId, "NoRepair"), 1u);
    // The executable's version information names no maker.
    EXPECT_EQ(UninstallString(kPlainId, "Publisher"), std::nullopt);

    // In KB, each file rounded up.
    DWORD bytes = 0;
    for (const std::string& file : kReleaseFiles) {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        ASSERT_TRUE(
            ::GetFileAttributesExA((s_folder + "\\" + file).c_str(), GetFileExInfoStandard, &data));
        bytes += data.nFileSizeLow;
    }
    std::optional<DWORD> size = UninstallDword(kPlainId, "EstimatedSize");
    ASSERT_TRUE(size.has_value());
    EXPECT_GE(*size, bytes / 1024);
    EXPECT_LE(*size, bytes / 1024 + kReleaseFiles.size());
}

TEST_F(Installed, ClientAndInstallerCarryTheProjectVersion) {
    const std::string client = s_folder + "\\client.exe";
    EXPECT_EQ(FixedFileVersion(client), CLIENT_VERSION);
    EXPECT_EQ(VersionString(client, "ProductVersion"), CLIENT_VERSION);
    EXPECT_EQ(FixedFileVersion(kSetup), CLIENT_VERSION);
    EXPECT_EQ(VersionString(kSetup, "ProductVersion"), CLIENT_VERSION);
}

TEST_F(Installed, ShortcutsStartTheClientInItsFolder) {
    for (const std::string& path : Shortcuts()) {
        std::optional<Shortcut> shortcut = ReadShortcut(path);
        ASSERT_TRUE(shortcut.has_value()) << path;
        EXPECT_EQ(shortcut->target, s_folder + "\\client.exe") << path;
        // The client reads config.xml and data\ from its current folder.
        EXPECT_EQ(shortcut->folder, s_folder) << path;
    }
}

TEST_F(Installed, ClientStartedFromTheStartMenuShowsTheSkinsLoginWindow) {
    std::optional<Shortcut> shortcut = ReadShortcut(Shortcuts()[0]);
    ASSERT_TRUE(shortcut.has_value());
    StartedClient client(*shortcut);
    ASSERT_NE(client.windows.content, nullptr);
    EXPECT_EQ(client.Backdrop().cx, 240);
    EXPECT_EQ(client.Backdrop().cy, 180);
    // The close button shows its image, found from the current folder.
    POINT close{kCloseX + kCloseSide / 2, kCloseY + kCloseSide / 2};
    ::ClientToScreen(client.windows.content, &close);
    EXPECT_TRUE(PumpUntil([&] { return ScreenPixel(close) == kCloseColour; }, 5000));
}

class Uninstall : public ::testing::Test {
protected:
    void TearDown() override { ForgetTheInstallation(); }
};

TEST_F(Uninstall, RemovesWhatTheInstallerMadeAndLeavesTheUsersFiles) {
    TempDir parent;
    const std::string folder = parent.PathOf("游戏 客户端");
    ASSERT_EQ(Install(folder), 0u);
    ASSERT_TRUE(UninstallKeyExists(kPlainId));
    parent.Write("游戏 客户端\\我的截图.png", "the user's");

    // As Add/Remove Programs starts it: the uninstaller copies itself away
    // and returns at once, the copy does the work.
    EXPECT_EQ(RunToTheEnd(folder + "\\uninstall.exe", "/S"), 0u);

    EXPECT_EQ(ListTree(folder), std::vector<std::string>{"我的截图.png"});
    for (const std::string& shortcut : Shortcuts())
        EXPECT_EQ(::GetFileAttributesA(shortcut.c_str()), INVALID_FILE_ATTRIBUTES) << shortcut;
    EXPECT_FALSE(UninstallKeyExists(kPlainId));
}

namespace {

// The operators' releases the branded fixture made (make-releases.cmake).
struct Product {
    const char* id;
    const char* name;
    std::string Setup(const char* version) const {
        return WindowsPath(BRANDED_DIR) + "\\releases\\" + id + "-" + version + RELEASE_SUFFIX +
               "-setup.exe";
    }
    // Where the installer puts it by default.
    std::string Folder() const { return CommonFolder(CSIDL_PROGRAM_FILES) + "\\" + name; }
    std::string Exe() const { return Folder() + "\\" + id + ".exe"; }
    std::string Shortcut() const { return std::string("\\") + name + ".lnk"; }
};

const Product kTestGame{"TestGame", "测试游戏"};
// Its texts hold what CMake and the installer's compiler read as their own.
const Product kOtherGame{"OtherGame", "另一个游戏 $(Y)$$;#'`@a@[[b]]{c}"};
const char kOtherPublisher[] = R"(另一家 "公司" ;$PUBLISHER# '`\)";
const char kOtherCopyright[] = R"($(ProductName) [[x]]; "c" $$ \q\)";
// Another id with TestGame's name.
const Product kRivalGame{"RivalGame", "测试游戏"};

// The images of an .ico file, or of an executable's icon 128, in order.
std::vector<std::string> IconImages(const std::string& ico) {
    std::vector<std::string> images;
    const WORD count = *reinterpret_cast<const WORD*>(ico.data() + 4);
    for (WORD i = 0; i < count; ++i) {
        const DWORD* entry = reinterpret_cast<const DWORD*>(ico.data() + 6 + 16 * i + 8);
        images.push_back(ico.substr(entry[1], entry[0]));
    }
    return images;
}

std::vector<std::string> ExecutableIconImages(const std::string& exe) {
    std::vector<std::string> images;
    HMODULE module = ::LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    auto resource = [&](LPCSTR name, LPCSTR type) {
        HRSRC found = ::FindResourceA(module, name, type);
        return found ? std::string(
                           static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                           ::SizeofResource(module, found))
                     : std::string();
    };
    const std::string group = resource(MAKEINTRESOURCEA(128), RT_GROUP_ICON);
    for (size_t at = 6; group.size() >= 6 && at + 14 <= group.size(); at += 14)
        images.push_back(resource(
            MAKEINTRESOURCEA(*reinterpret_cast<const WORD*>(group.data() + at + 12)), RT_ICON));
    ::FreeLibrary(module);
    return images;
}

std::string ReadBinary(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class BrandedRelease : public ::testing::Test {
protected:
    // Whatever a test left installed goes, with its folder.
    void TearDown() override {
        for (const Product* product : {&kTestGame, &kOtherGame, &kRivalGame}) {
            if (::GetFileAttributesA((product->Folder() + "\\uninstall.exe").c_str()) !=
                INVALID_FILE_ATTRIBUTES)
                RunToTheEnd(product->Folder() + "\\uninstall.exe", "/S");
            ForgetTheInstallation(product->id, product->Shortcut());
            // The shortcuts of a release whose name another id's had.
            for (const std::string& path :
                 Shortcuts(std::string("\\") + product->name + " (" + product->id + ").lnk"))
                ::DeleteFileA(path.c_str());
            std::string command = "/c rd /s /q \"" + product->Folder() + "\"";
            RunToTheEnd(CommonFolder(CSIDL_SYSTEM) + "\\cmd.exe", command);
        }
    }
};

} // namespace

TEST_F(BrandedRelease, CarriesTheOperatorsNameIconAndPublisherEverywhere) {
    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.0.0"), "/S"), 0u);
    const std::string exe = kTestGame.Exe();
    const std::string publisher = "测试网络科技有限公司";
    const std::pair<const char*, std::string> strings[] = {
        {"ProductName", "测试游戏"},
        {"CompanyName", publisher},
        {"FileDescription", "测试游戏"},
        {"ProductVersion", "1.0.0"},
        {"LegalCopyright", "版权所有 2026 " + publisher},
        {"OriginalFilename", "TestGame.exe"},
        {"EngineVersion", CLIENT_VERSION},
    };
    for (const auto& [name, value] : strings)
        EXPECT_EQ(VersionString(exe, name), value) << name;
    EXPECT_EQ(FixedFileVersion(exe), "1.0.0.0");
    EXPECT_EQ(ExecutableIconImages(exe), IconImages(ReadBinary(WinePath(BRANDED_ICON))));
    const std::string setup = kTestGame.Setup("1.0.0");
    EXPECT_EQ(VersionString(setup, "ProductName"), "测试游戏");
    EXPECT_EQ(VersionString(setup, "CompanyName"), publisher);
    EXPECT_EQ(VersionString(setup, "ProductVersion"), "1.0.0");

    for (const std::string& path : Shortcuts(kTestGame.Shortcut())) {
        std::optional<Shortcut> shortcut = ReadShortcut(path);
        ASSERT_TRUE(shortcut.has_value()) << path;
        EXPECT_EQ(shortcut->target, exe) << path;
        EXPECT_EQ(shortcut->folder, kTestGame.Folder()) << path;
    }
    const std::pair<const char*, std::string> entry[] = {
        {"DisplayName", "测试游戏"},
        {"Publisher", publisher},
        {"DisplayVersion", "1.0.0"},
        {"DisplayIcon", exe + ",0"},
        {"URLInfoAbout", "https://example.com/test-game"},
        {"InstallLocation", kTestGame.Folder()},
    };
    for (const auto& [name, value] : entry)
        EXPECT_EQ(UninstallString(kTestGame.id, name), value) << name;
    EXPECT_GT(UninstallDword(kTestGame.id, "EstimatedSize").value_or(0), 0u);
}

TEST_F(BrandedRelease, TwoProductsInstallSideBySideAndUninstallApart) {
    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.0.0"), "/S"), 0u);
    ASSERT_EQ(RunToTheEnd(kOtherGame.Setup("3.0.0"), "/S"), 0u);
    const std::vector<std::string> otherTree = ListTree(kOtherGame.Folder());
    // Its description offers no desktop shortcut.
    const std::vector<std::string> otherShortcuts = Shortcuts(kOtherGame.Shortcut());
    EXPECT_EQ(::GetFileAttributesA(otherShortcuts[1].c_str()), INVALID_FILE_ATTRIBUTES);

    EXPECT_EQ(RunToTheEnd(kTestGame.Folder() + "\\uninstall.exe", "/S"), 0u);
    EXPECT_FALSE(UninstallKeyExists(kTestGame.id));
    EXPECT_EQ(ListTree(kOtherGame.Folder()), otherTree);
    EXPECT_EQ(UninstallString(kOtherGame.id, "DisplayVersion"), "3.0.0");
    std::optional<Shortcut> shortcut = ReadShortcut(otherShortcuts[0]);
    ASSERT_TRUE(shortcut.has_value());
    // Named OtherGame.exe, the client finds its skin as client.exe does.
    StartedClient client(*shortcut);
    ASSERT_NE(client.windows.content, nullptr);
    EXPECT_EQ(client.Backdrop().cx, 240);
}

// The record the upgrade reads lies in a folder other programs may write to:
// what it names outside the folder, by a full path or by climbing out of
// it, and wildcards, are not removed.
TEST_F(BrandedRelease, AnUpgradeRemovesWhatOnlyTheOldReleaseHadAndKeepsThePlayersFiles) {
    const std::string folder = kTestGame.Folder();
    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.0.0"), "/S"), 0u);
    std::ofstream(folder + "\\data\\存档.sav") << "the player's";
    TempDir outside;
    const std::string other = outside.Write("other.txt", "another program's");
    std::string climb = "..\\" + other.substr(3);
    for (char c : folder.substr(3))
        if (c == '\\')
            climb = "..\\" + climb;
    const std::wstring planted = ToWide(other + "\r\n" + climb + "\r\ndata\\*.sav\r\n", CP_ACP);
    std::ofstream(folder + "\\uninstall.lst", std::ios::binary | std::ios::app)
        .write(reinterpret_cast<const char*>(planted.data()), planted.size() * sizeof(wchar_t));

    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.1.0"), "/S"), 0u);
    const std::vector<std::string> tree = ListTree(folder);
    auto has = [&](const char* file) { return std::count(tree.begin(), tree.end(), file) == 1; };
    EXPECT_FALSE(has("data\\only-1.0.0.txt"));
    EXPECT_TRUE(has("data\\only-1.1.0.txt"));
    EXPECT_TRUE(has("data\\存档.sav"));
    EXPECT_NE(::GetFileAttributesA(other.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(UninstallString(kTestGame.id, "DisplayVersion"), "1.1.0");
    // Its own record names its id and holds paths relative to the folder.
    const std::string record = ReadBinary(folder + "\\uninstall.lst");
    const std::wstring lines(reinterpret_cast<const wchar_t*>(record.data()), record.size() / 2);
    EXPECT_TRUE(lines.starts_with(L"id:TestGame\r\n"));
    EXPECT_EQ(lines.find(L":\\"), std::wstring::npos);

    EXPECT_EQ(RunToTheEnd(folder + "\\uninstall.exe", "/S"), 0u);
    EXPECT_EQ(ListTree(folder), (std::vector<std::string>{"data\\", "data\\存档.sav"}));
}

TEST_F(BrandedRelease, ARunningGameStopsASilentInstallOrUninstallWithoutChangingAFile) {
    const std::string folder = kTestGame.Folder();
    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.0.0"), "/S"), 0u);
    const std::vector<std::string> installed = ListTree(folder);
    const std::string exe = ReadBinary(kTestGame.Exe());
    ChildProcess client(kTestGame.Exe(), "", folder);
    ASSERT_NE(WaitForLoginWindow(client).content, nullptr);

    EXPECT_EQ(RunToTheEnd(kTestGame.Setup("1.1.0"), "/S"), 2u);
    // The command registered for uninstalling without questions says so too.
    const std::optional<std::string> quiet = UninstallString(kTestGame.id, "QuietUninstallString");
    ASSERT_TRUE(quiet.has_value());
    EXPECT_EQ(RunCommandLine(*quiet), 2u);
    EXPECT_EQ(ListTree(folder), installed);
    EXPECT_EQ(ReadBinary(kTestGame.Exe()), exe);
    EXPECT_EQ(UninstallString(kTestGame.id, "DisplayVersion"), "1.0.0");
    client.Terminate();
}

// Started by the running client to update it, the installer waits for the
// client to end (instead of refusing because the game runs), upgrades it and
// starts the new client from the installation folder.
TEST_F(BrandedRelease, AnUpdateStartedByTheClientWaitsForItThenStartsTheNewClient) {
    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.0.0"), "/S"), 0u);
    auto client = std::make_unique<ChildProcess>(kTestGame.Exe(), "", kTestGame.Folder());
    ASSERT_NE(WaitForLoginWindow(*client).content, nullptr);
    ChildProcess setup(kTestGame.Setup("1.1.0"), "/S /UPDATE=" + std::to_string(client->Id()),
                       kTestGame.Folder());
    PumpFor(2000);
    client.reset(); // the client ends once the installer runs
    ASSERT_TRUE(setup.WaitForExit(120000));
    EXPECT_EQ(setup.ExitCode(), 0u);
    EXPECT_EQ(UninstallString(kTestGame.id, "DisplayVersion"), "1.1.0");
    EXPECT_EQ(FixedFileVersion(kTestGame.Exe()).rfind("1.1.0.", 0), 0u);
    const DWORD started = ProcessRunningFrom(kTestGame.Exe());
    EXPECT_NE(started, 0u);
    EndProcess(started);
}

// Moved to another folder, the release leaves no copy behind whose
// uninstaller would later remove its shortcuts and entry.
TEST_F(BrandedRelease, AnUpgradeIntoAnotherFolderTakesTheOldCopysPlace) {
    const std::string old = kTestGame.Folder();
    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.0.0"), "/S"), 0u);
    std::ofstream(old + "\\data\\存档.sav") << "the player's";
    TempDir chosen;
    const std::string folder = chosen.PathOf("测试游戏");
    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.1.0"), "/S /D=" + folder), 0u);
    EXPECT_EQ(ListTree(old), (std::vector<std::string>{"data\\", "data\\存档.sav"}));
    EXPECT_EQ(UninstallString(kTestGame.id, "InstallLocation"), folder);
    std::optional<Shortcut> shortcut = ReadShortcut(Shortcuts(kTestGame.Shortcut())[0]);
    ASSERT_TRUE(shortcut.has_value());
    EXPECT_EQ(shortcut->target, folder + "\\TestGame.exe");
    EXPECT_EQ(RunToTheEnd(folder + "\\uninstall.exe", "/S"), 0u);
    EXPECT_FALSE(UninstallKeyExists(kTestGame.id));
}

// Both would go into Program Files\<name> and make the same shortcuts. The
// second ends, silently with status 3, before it changes anything of the
// first; in a folder of its own its shortcuts carry its id, and its
// uninstaller leaves the first's.
TEST_F(BrandedRelease, AnotherIdOfTheSameNameKeepsOutOfTheInstalledReleasesFolder) {
    ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.0.0"), "/S"), 0u);
    const std::vector<std::string> installed = ListTree(kTestGame.Folder());
    const std::string exe = ReadBinary(kTestGame.Exe());
    EXPECT_EQ(RunToTheEnd(kRivalGame.Setup("1.0.0"), "/S"), 3u);
    EXPECT_EQ(ListTree(kTestGame.Folder()), installed);
    EXPECT_TRUE(ReadBinary(kTestGame.Exe()) == exe);
    EXPECT_FALSE(UninstallKeyExists(kRivalGame.id));
    EXPECT_EQ(UninstallString(kTestGame.id, "InstallLocation"), kTestGame.Folder());

    TempDir chosen;
    const std::string folder = chosen.PathOf("测试游戏");
    ASSERT_EQ(RunToTheEnd(kRivalGame.Setup("1.0.0"), "/S /D=" + folder), 0u);
    const std::string rivalShortcut = Shortcuts("\\测试游戏 (RivalGame).lnk")[0];
    std::optional<Shortcut> rival = ReadShortcut(rivalShortcut);
    ASSERT_TRUE(rival.has_value());
    EXPECT_EQ(rival->target, folder + "\\RivalGame.exe");
    EXPECT_EQ(RunToTheEnd(folder + "\\uninstall.exe", "/S"), 0u);
    EXPECT_EQ(::GetFileAttributesA(rivalShortcut.c_str()), INVALID_FILE_ATTRIBUTES);
    for (const std::string& path : Shortcuts(kTestGame.Shortcut())) {
        std::optional<Shortcut> shortcut = ReadShortcut(path);
        ASSERT_TRUE(shortcut.has_value()) << path;
        EXPECT_EQ(shortcut->target, kTestGame.Exe()) << path;
    }
}

// Its name, publisher and copyright as release.ini gives them, in the
// installer's and the executable's version information, Add/Remove Programs
// and the shortcut.
TEST_F(BrandedRelease, CarriesItsTextsUnchangedWhateverCharactersTheyHold) {
    const std::string setup = kOtherGame.Setup("3.0.0");
    ASSERT_EQ(RunToTheEnd(setup, "/S"), 0u);
    const std::pair<const char*, std::string> strings[] = {
        {"ProductName", kOtherGame.name},
        {"CompanyName", kOtherPublisher},
        {"LegalCopyright", kOtherCopyright},
    };
    for (const auto& [name, value] : strings) {
        EXPECT_EQ(VersionString(setup, name), value) << name;
        EXPECT_EQ(VersionString(kOtherGame.Exe(), name), value) << name;
    }
    EXPECT_EQ(VersionString(setup, "FileDescription"), std::string(kOtherGame.name) + " Setup");
    EXPECT_EQ(UninstallString(kOtherGame.id, "DisplayName"), kOtherGame.name);
    EXPECT_EQ(UninstallString(kOtherGame.id, "Publisher"), kOtherPublisher);
    std::optional<Shortcut> shortcut = ReadShortcut(Shortcuts(kOtherGame.Shortcut())[0]);
    ASSERT_TRUE(shortcut.has_value());
    EXPECT_EQ(shortcut->target, kOtherGame.Exe());
}

#ifdef _WIN64
namespace {

// A 32-bit release of TestGame 1.0.0 as its installer leaves it on 64-bit
// Windows: its folder under the 32-bit Program Files with its files and
// record (UTF-16, a full path a line), and its entry in the 32-bit registry
// view; a player's file beside it.
struct Planted32BitRelease {
    Planted32BitRelease() {
        const std::string files[] = {"TestGame.exe", "config.xml", "data\\only-1.0.0.txt",
                                     "uninstall.exe", "data\\存档.sav"};
        ::SHCreateDirectoryExA(nullptr, (folder + "\\data").c_str(), nullptr);
        std::string record;
        for (const std::string& file : files) {
            std::ofstream(folder + "\\" + file) << file;
            if (file != "data\\存档.sav")
                record += folder + "\\" + file + "\r\n";
        }
        record += folder + "\\data\r\n" + Shortcuts(kTestGame.Shortcut())[0] + "\r\n";
        std::wstring wide = ToWide(record, CP_ACP);
        std::ofstream(folder + "\\uninstall.lst", std::ios::binary)
            .write(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t));
        HKEY key = nullptr;
        ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, UninstallKey(kTestGame.id).c_str(), 0, nullptr, 0,
                          KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr);
        ::RegSetValueExA(key, "InstallLocation", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(folder.c_str()), folder.size() + 1);
        ::RegCloseKey(key);
    }
    ~Planted32BitRelease() {
        ::RegDeleteKeyExA(HKEY_LOCAL_MACHINE, UninstallKey(kTestGame.id).c_str(), KEY_WOW64_32KEY,
                          0);
        RunToTheEnd(CommonFolder(CSIDL_SYSTEM) + "\\cmd.exe", "/c rd /s /q \"" + folder + "\"");
    }
    bool EntryExists() const {
        HKEY key = nullptr;
        if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, UninstallKey(kTestGame.id).c_str(), 0,
                            KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS)
            return false;
        ::RegCloseKey(key);
        return true;
    }

    const std::string folder = CommonFolder(CSIDL_PROGRAM_FILESX86) + "\\" + kTestGame.name;
};

} // namespace

// The 64-bit release takes the 32-bit one's place: by default in its folder
// (the player's files stay together), or in the folder the player chose,
// the old one then keeping only the player's files. Either way one entry,
// in the 64-bit view, and one set of shortcuts.
TEST_F(BrandedRelease, ReplacesA32BitReleaseOfTheSameId) {
    for (bool chooseFolder : {false, true}) {
        Planted32BitRelease old;
        TempDir chosen;
        const std::string folder = chooseFolder ? chosen.PathOf("测试游戏") : old.folder;
        ASSERT_EQ(RunToTheEnd(kTestGame.Setup("1.1.0"),
                              chooseFolder ? "/S /D=" + folder : std::string("/S")),
                  0u);
        const std::vector<std::string> tree = ListTree(folder), oldTree = ListTree(old.folder);
        auto has = [&](const char* file) { return std::count(tree.begin(), tree.end(), file); };
        EXPECT_EQ(has("data\\only-1.0.0.txt"), 0);
        EXPECT_EQ(has("data\\only-1.1.0.txt"), 1);
        if (chooseFolder)
            EXPECT_EQ(oldTree, (std::vector<std::string>{"data\\", "data\\存档.sav"}));
        else
            EXPECT_EQ(has("data\\存档.sav"), 1);
        EXPECT_FALSE(old.EntryExists());
        EXPECT_EQ(UninstallString(kTestGame.id, "InstallLocation"), folder);
        for (const std::string& path : Shortcuts(kTestGame.Shortcut())) {
            std::optional<Shortcut> shortcut = ReadShortcut(path);
            ASSERT_TRUE(shortcut.has_value()) << path;
            EXPECT_EQ(shortcut->target, folder + "\\TestGame.exe") << path;
        }
        EXPECT_EQ(RunToTheEnd(folder + "\\uninstall.exe", "/S"), 0u);
        ForgetTheInstallation(kTestGame.id, kTestGame.Shortcut());
    }
}
#endif
