// The skin checker on the demo skin and on copies of it with one mistake
// each: every mistake gives exactly its finding, and hostile files give
// findings, not crashes.

#include "ChildProcess.h"
#include "HostileImages.h"
#include "PngFile.h"
#include "SkinChecker.h"
#include "TempDir.h"
#include "TextConversion.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

const std::string kDemo = WinePath(CLIENT_SOURCE_DIR "/demo");

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// A copy of the demo skin in a folder of its own, changed by the test.
class SkinCopy {
public:
    SkinCopy() : m_config(ReadFile(kDemo + "\\config.xml")) {
        WIN32_FIND_DATAA found;
        HANDLE search = ::FindFirstFileA((kDemo + "\\data\\*").c_str(), &found);
        m_dir.Write("data\\.keep", "");
        ::DeleteFileA(m_dir.PathOf("data\\.keep").c_str());
        for (BOOL more = search != INVALID_HANDLE_VALUE; more;
             more = ::FindNextFileA(search, &found))
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                ::CopyFileA((kDemo + "\\data\\" + found.cFileName).c_str(),
                            m_dir.PathOf(std::string("data\\") + found.cFileName).c_str(), FALSE);
        ::FindClose(search);
    }

    void Set(const std::string& key, const std::string& value) {
        const std::regex element("<" + key + ">[^<]*</" + key + ">");
        const std::string replacement = "<" + key + ">" + value + "</" + key + ">";
        if (std::regex_search(m_config, element))
            m_config = std::regex_replace(m_config, element, replacement);
        else
            m_config.insert(m_config.rfind("</config>"), replacement);
    }
    void Remove(const std::string& key) {
        m_config = std::regex_replace(m_config, std::regex("<" + key + ">[^<]*</" + key + ">"), "");
    }
    void Replace(const std::string& from, const std::string& to) {
        m_config.replace(m_config.find(from), from.size(), to);
    }
    std::string& Config() { return m_config; }
    const TempDir& Dir() const { return m_dir; }

    std::vector<Finding> Check(bool writeConfig = true) {
        if (writeConfig)
            m_dir.Write("config.xml", m_config);
        ScopedCurrentDirectory cwd(m_dir.Path());
        return CSkinChecker().Run();
    }

private:
    TempDir m_dir;
    std::string m_config;
};

struct Expected {
    Severity severity;
    std::string key;
    std::string fragment;
};

struct BrokenSkin {
    const char* mistake;
    std::function<void(SkinCopy&)> make;
    std::vector<Expected> findings;
    bool writeConfig = true;
};

std::string U8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// A release description in UTF-8, as Notepad saves it; the rows add its id.
const std::string kRelease =
    U8(u8"\xEF\xBB\xBF[release]\nname=示例游戏\npublisher=示例网络\nversion=1.0.0\n");

// A 24-bit bitmap file of width x height black pixels.
std::string BitmapFile(int width, int height) {
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD pixels = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + pixels;
    return std::string(reinterpret_cast<const char*>(&file), sizeof(file)) +
           std::string(reinterpret_cast<const char*>(&info), sizeof(info)) +
           std::string(pixels, '\0');
}

constexpr Severity E = Severity::Error;
constexpr Severity W = Severity::Warning;

std::string Listed(const std::vector<Finding>& findings) {
    std::string text;
    for (const Finding& finding : findings)
        text += FormatFinding(finding) + "\n";
    return text;
}

const std::vector<BrokenSkin>& BrokenSkins() {
    static const std::vector<BrokenSkin> skins = {
        {"no config.xml", [](SkinCopy&) {}, {{E, "-", "there is no config.xml"}}, false},
        {"not well-formed",
         [](SkinCopy& s) { s.Replace("</login_url>", "</login_uri>"); },
         {{E, "-", "is not well-formed XML (line 10, column "}}},
        {"ending inside a comment",
         [](SkinCopy& s) { s.Config().resize(s.Config().find("<!-- Game window") + 20); },
         {{E, "-", "is not well-formed XML"}}},
        // An XML reader once read such a file for ever.
        {"UTF-16 of an odd length",
         [](SkinCopy& s) {
             s.Replace("encoding=\"UTF-8\"", "encoding=\"UTF-16\"");
             const std::wstring text = ToWide(s.Config(), CP_UTF8);
             const std::string bytes(reinterpret_cast<const char*>(text.data()),
                                     text.size() * sizeof(wchar_t));
             s.Dir().Write("config.xml", "\xFF\xFE" + bytes.substr(0, bytes.size() / 2 | 1));
         },
         {{E, "-", "is not well-formed XML"}},
         false},
        {"a DOCTYPE",
         [](SkinCopy& s) {
             s.Replace("<config>", "<!DOCTYPE config [<!ENTITY a \"b\">]><config>");
         },
         {{E, "-", "declares a document type"}}},
        {"GBK without its declaration",
         [](SkinCopy& s) {
             s.Replace("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "");
             s.Set("game_title", "\xC4\xE3\xBA\xC3"); // 你好 in GBK
         },
         {{E, "-", "a GBK file needs <?xml version=\"1.0\" encoding=\"GBK\"?>"}}},
        {"a key the client never reads",
         [](SkinCopy& s) { s.Set("game_closebtn_tip", "x"); },
         {{W, "game_closebtn_tip", "never reads this key; did you mean game_closebtn_tips?"}}},
        {"a key in the wrong case",
         [](SkinCopy& s) { s.Set("Login_URL", "x"); },
         {{W, "Login_URL", "did you mean login_url?"}}},
        {"a key given twice",
         [](SkinCopy& s) {
             s.Replace("<login_url>", "<login_url>http://a.example/</login_url><login_url>");
         },
         {{W, "login_url", "more than once"}}},
        {"keys missing",
         [](SkinCopy& s) {
             s.Remove("game_paybtn_width");
             s.Set("game_paybtn_height", "");
         },
         {{E, "game_paybtn",
           "missing or empty: game_paybtn_width, game_paybtn_height: the button has no size"}}},
        {"a tooltip missing",
         [](SkinCopy& s) { s.Remove("game_webbtn_tips"); },
         {{W, "game_webbtn", "missing or empty: game_webbtn_tips: the button has no tooltip"}}},
        {"units after a number",
         [](SkinCopy& s) { s.Set("game_title_posx", "12px"); },
         {{W, "game_title_posx", "\"12px\" is not a plain number: the client reads it as 12"}}},
        {"an exponent",
         [](SkinCopy& s) { s.Set("game_title_posx", "1e3"); },
         {{E, "game_title_posx",
           "\"1e3\" is not a whole number in digits: the client reads it as 1"}}},
        // The parser trims the spaces around a value before the client sees it.
        {"spaces around a number", [](SkinCopy& s) { s.Set("game_gamepic_posy", " 7 "); }, {}},
        {"full-width digits",
         [](SkinCopy& s) { s.Set("game_gamepic_posy", "\xEF\xBC\x97"); },
         {{E, "game_gamepic_posy", "is not a number: the client reads it as 0"}}},
        {"a number beyond 32 bits",
         [](SkinCopy& s) { s.Set("game_title_posy", "99999999999"); },
         {{E, "game_title_posy", "is beyond 32 bits"}}},
        {"a channel above 255",
         [](SkinCopy& s) { s.Set("game_title_g", "300"); },
         {{E, "game_title_g", "outside 0 to 255: the client takes it modulo 256, giving 44"}}},
        {"a missing image",
         [](SkinCopy& s) { s.Set("game_bg", "nothing.bmp"); },
         {{E, "game_bg", "data\\nothing.bmp does not exist"}}},
        {"an offline page that is not there",
         [](SkinCopy& s) { s.Set("offline_page", "gone.html"); },
         {{E, "offline_page", "data\\gone.html does not exist"}}},
        {"a truncated bitmap",
         [](SkinCopy& s) {
             std::string bytes = ReadFile(s.Dir().PathOf("data\\game_bg.bmp"));
             s.Dir().Write("data\\game_bg.bmp", bytes.substr(0, bytes.size() / 2));
         },
         {{E, "game_bg", "is truncated"}}},
        {"a PNG for a button",
         [](SkinCopy& s) {
             WritePng(s.Dir().PathOf("data\\mini.png"), 24, 24,
                      [](int, int) { return 0xFF000000u; });
             s.Set("game_minibtn_over", "mini.png");
         },
         {{E, "game_minibtn_over",
           "is a PNG image: the client takes only BMP bitmaps for buttons"}}},
        {"a PNG for the picture",
         [](SkinCopy& s) { s.Set("game_gamepic_normal", "login_bg.png"); },
         {{E, "game_gamepic_normal", "is a PNG image: the picture takes GIF"}}},
        {"a picture that does not decode",
         [](SkinCopy& s) { s.Dir().Write("data\\game_pic.gif", "GIF89a\x01"); },
         {{E, "game_gamepic_normal", "cannot be decoded"}}},
        // Files that crashed the decoders are refused before they reach one.
        {"a picture GIF without colour tables",
         [](SkinCopy& s) {
             s.Dir().Write("data\\game_pic.gif", AsString(GifWithoutColourTables(3)));
         },
         {{E, "game_gamepic_normal",
           "is a GIF with a frame that has no colour table, neither the file's nor its own: the "
           "client does not load it, so no picture is shown"}}},
        {"a backdrop GIF without colour tables",
         [](SkinCopy& s) {
             s.Dir().Write("data\\login_bg.png", AsString(GifWithoutColourTables(1)));
         },
         {{E, "login_bg", "is a GIF with a frame that has no colour table"}}},
        {"an icon as the picture whose entry wraps",
         [](SkinCopy& s) { s.Dir().Write("data\\game_pic.gif", IconWithWrappingEntry()); },
         {{E, "game_gamepic_normal", "data\\game_pic.gif is an icon cut short: the client"}}},
        {"a bitmap cut short as the picture",
         [](SkinCopy& s) {
             s.Dir().Write("data\\pic.bmp", BitmapFile(8, 8).substr(0, 100));
             s.Set("game_gamepic_normal", "pic.bmp");
         },
         {{E, "game_gamepic_normal", "is truncated or its headers are not consistent"}}},
        {"an icon whose entry wraps",
         [](SkinCopy& s) { s.Dir().Write("data\\main.ico", IconWithWrappingEntry()); },
         {{E, "data\\main.ico",
           "is an icon cut short: the client does not load it, so the windows have no icon"}}},
        {"a backdrop without alpha",
         [](SkinCopy& s) { s.Set("login_bg", "game_bg.bmp"); },
         {{E, "login_bg", "has no alpha channel"},
          {W, "login_browserctrl", "does not lie within the"},
          {W, "login_minibtn", "does not lie within the"},
          {W, "login_closebtn", "does not lie within the"}}},
        {"an opaque backdrop",
         [](SkinCopy& s) {
             std::string path = s.Dir().PathOf("data\\login_bg.png");
             WritePng(path, 900, 600, [](int, int) { return 0xFF336699u; });
         },
         {{W, "login_bg", "is fully opaque"}}},
        {"a button image of another size",
         [](SkinCopy& s) { s.Set("login_minibtn_width", "30"); },
         {{W, "login_minibtn_normal", "is 32 x 32, the button 30 x 32"},
          {W, "login_minibtn_down", "is 32 x 32, the button 30 x 32"},
          {W, "login_minibtn_over", "is 32 x 32, the button 30 x 32"}}},
        {"a login button off the backdrop",
         [](SkinCopy& s) { s.Set("login_closebtn_posx", "880"); },
         {{W, "login_closebtn",
           "at 880, 18 sized 32 x 32 it does not lie within the 900 x 600 backdrop"}}},
        {"game buttons on top of each other",
         [](SkinCopy& s) {
             s.Set("game_winbtn_posx",
                   s.Config().substr(s.Config().find("<game_closebtn_posx>") + 20, 2));
         },
         {{W, "game_winbtn", "overlaps game_closebtn"}}},
        {"a game button off the window",
         [](SkinCopy& s) { s.Set("game_paybtn_posx", "800"); },
         {{W, "game_paybtn",
           "at the window's smallest size (768 x 576, on a 1024 x 768 screen) the "
           "button does not lie within the window"}}},
        {"an address without a scheme",
         [](SkinCopy& s) { s.Set("login_url", "www.example.com"); },
         {{W, "login_url", "\"www.example.com\" is not an absolute http or https address"}}},
        {"trusted origins, one of them too wide and one with a path",
         [](SkinCopy& s) {
             s.Set("trusted_origins",
                   "https://*.games.example.com https://*.com http://127.0.0.1:8080/pages");
         },
         {{E, "trusted_origins", "\"https://*.com\" is not an origin"},
          {E, "trusted_origins", "\"http://127.0.0.1:8080/pages\" is not an origin"}}},
        {"well-formed trusted origins",
         [](SkinCopy& s) { s.Set("trusted_origins", "https://*.example.com http://[::1]:81"); },
         {}},
        {"a relative link",
         [](SkinCopy& s) { s.Set("game_paybtn_url", "pay.html"); },
         {{W, "game_paybtn_url", "is not an absolute http or https address"}}},
        {"a text the code page cannot show",
         [](SkinCopy& s) { s.Set("game_webbtn_tips", "\xF0\x9F\x98\x80"); }, // an emoji, in UTF-8
         {{W, "game_webbtn_tips", "holds characters that the ANSI code page (936) cannot show"}}},
        {"a high-DPI button image",
         [](SkinCopy& s) { s.Dir().Write("data\\login_min_normal@2x.bmp", BitmapFile(64, 64)); },
         {}},
        {"a high-DPI image without its base",
         [](SkinCopy& s) { s.Dir().Write("data\\btn@2x.bmp", BitmapFile(2, 2)); },
         {{E, "data\\btn@2x.bmp", "is a high-DPI image but data\\btn.bmp does not exist"}}},
        {"a high-DPI image of the wrong size",
         [](SkinCopy& s) { s.Dir().Write("data\\login_min_normal@2x.bmp", BitmapFile(30, 20)); },
         {{E, "data\\login_min_normal@2x.bmp",
           "is 30 x 20 pixels; it must be twice data\\login_min_normal.bmp's 32 x 32, 64 x 64"}}},
        {"a truncated high-DPI bitmap",
         [](SkinCopy& s) {
             s.Dir().Write("data\\login_min_normal@2x.bmp", BitmapFile(64, 64).substr(0, 100));
         },
         {{E, "login_minibtn_normal",
           "@2x.bmp is truncated or its headers are not consistent: "
           "the client does not load it, so at high DPI the client "
           "shows the image it is the twice-size version of"}}},
        {"no icon",
         [](SkinCopy& s) { ::DeleteFileA(s.Dir().PathOf("data\\main.ico").c_str()); },
         {{W, "data\\main.ico", "does not exist"}}},
        // The release description is read as the packaging reads it.
        {"a whole release description",
         [](SkinCopy& s) { s.Dir().Write("release.ini", kRelease + "id=DemoGame\n"); },
         {}},
        {"a release id in Chinese",
         [](SkinCopy& s) { s.Dir().Write("release.ini", kRelease + U8(u8"id=游戏\n")); },
         {{E, "id", "must be ASCII letters"}}},
        {"a release icon that is a PNG",
         [](SkinCopy& s) {
             s.Dir().Write("release.ini", kRelease + "id=Demo\nicon=data\\login_bg.png\n");
         },
         {{E, "icon", "\"data\\login_bg.png\" is a PNG image, not an icon (.ico)"}}},
        {"an update address without its key",
         [](SkinCopy& s) {
             s.Dir().Write("release.ini", kRelease + "id=Demo\nupdate_url=https://a/u.json\n");
         },
         {{E, "update_key", "is missing: update_url and update_key are given together"}}},
        {"an update key that is no key",
         [](SkinCopy& s) {
             s.Dir().Write("release.ini", kRelease + "id=Demo\nupdate_url=https://a/u.json\n"
                                                     "update_key=config.xml\n");
         },
         {{E, "update_key", "\"config.xml\" is not a public key file"}}},
    };
    return skins;
}

class SkinCheckTest : public ::testing::Test {
protected:
    CGdiplusSession m_gdiplus;
};

TEST_F(SkinCheckTest, TheDemoSkinIsClean) {
    ScopedCurrentDirectory cwd(kDemo);
    std::vector<Finding> findings = CSkinChecker().Run();
    EXPECT_TRUE(findings.empty()) << Listed(findings);
}

TEST_F(SkinCheckTest, EachMistakeGivesExactlyItsFindings) {
    for (const BrokenSkin& broken : BrokenSkins()) {
        SCOPED_TRACE(broken.mistake);
        SkinCopy skin;
        broken.make(skin);
        std::vector<Finding> findings = skin.Check(broken.writeConfig);
        ASSERT_EQ(findings.size(), broken.findings.size()) << Listed(findings);
        for (size_t i = 0; i < findings.size(); ++i) {
            EXPECT_EQ(findings[i].severity, broken.findings[i].severity) << Listed(findings);
            EXPECT_EQ(findings[i].key, broken.findings[i].key);
            EXPECT_NE(findings[i].message.find(broken.findings[i].fragment), std::string::npos)
                << FormatFinding(findings[i]);
        }
    }
}

TEST_F(SkinCheckTest, HostileFilesGiveFindingsNotCrashes) {
    SkinCopy skin;
    std::string bitmap = ReadFile(skin.Dir().PathOf("data\\game_bg.bmp"));
    bitmap[18] = bitmap[19] = bitmap[20] = '\x7F'; // a width of 2 gigapixels
    skin.Dir().Write("data\\game_bg.bmp", bitmap);
    skin.Dir().Write("data\\login_min_normal.bmp", "");
    skin.Dir().Write("data\\game_pic.gif", std::string(1 << 20, '\xFF'));
    ::CreateDirectoryA(skin.Dir().PathOf("data\\folder.bmp").c_str(), nullptr);
    skin.Set("game_closebtn_normal", "folder.bmp");
    skin.Set("game_closebtn_down", "..\\..\\..\\..\\..\\..\\..\\..");
    skin.Set("game_closebtn_over", "CON");
    // A PNG header claiming 100000 x 100000 pixels over nothing.
    skin.Dir().Write(
        "data\\login_bg.png",
        std::string("\x89PNG\r\n\x1A\n\0\0\0\x0DIHDR\0\x01\x86\xA0\0\x01\x86\xA0", 24));
    // A sparse file of 3 GiB that is never read whole.
    HANDLE sparse = ::CreateFileA(skin.Dir().PathOf("data\\huge.bmp").c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = 3LL << 30;
    ::WriteFile(sparse, "BM", 2, nullptr, nullptr);
    ::SetFilePointerEx(sparse, end, nullptr, FILE_BEGIN);
    ::SetEndOfFile(sparse);
    ::CloseHandle(sparse);
    skin.Set("game_traybtn_normal", "huge.bmp");
    skin.Set("game_title", std::string(1 << 20, 'x'));

    std::vector<Finding> findings = skin.Check();
    std::set<std::string> keys;
    for (const Finding& finding : findings)
        keys.insert(finding.key);
    for (const char* key :
         {"game_bg", "login_minibtn_normal", "game_gamepic_normal", "game_closebtn_normal",
          "game_closebtn_down", "login_bg", "game_traybtn_normal"})
        EXPECT_TRUE(keys.count(key)) << key << "\n" << Listed(findings);
    EXPECT_EQ(ExitStatusOf(findings), 2);
}

TEST_F(SkinCheckTest, TheProgramPrintsItsFindingsAndExitsWithTheirSeverity) {
    SkinCopy skin;
    skin.Set("game_closebtn_tip", "x");
    skin.Check();
    struct Run {
        std::string folder;
        DWORD status;
        std::vector<std::string> lines;
    };
    const Run runs[] = {
        {kDemo, 0, {"skincheck: 0 errors, 0 warnings"}},
        {skin.Dir().Path(),
         1,
         {"config.xml: warning: game_closebtn_tip: the client never reads this key; did you mean "
          "game_closebtn_tips?",
          "skincheck: 0 errors, 1 warning"}},
        {skin.Dir().PathOf("data"),
         2,
         {"config.xml: error: -: there is no config.xml: the client starts with every setting "
          "empty",
          "config.xml: warning: data\\main.ico: does not exist: the windows and the tray icon have "
          "no icon",
          "skincheck: 1 error, 1 warning"}},
    };
    TempDir output;
    for (const Run& run : runs) {
        SCOPED_TRACE(run.folder);
        std::string before = ReadFile(run.folder + "\\config.xml");
        ChildProcess check(ProgramDirectory() + "\\skincheck.exe", "\"" + run.folder + "\"", "",
                           output.PathOf("out.txt"));
        ASSERT_TRUE(check.WaitForExit(60000));
        EXPECT_EQ(check.ExitCode(), run.status);
        std::string expected;
        for (const std::string& line : run.lines)
            expected += line + "\r\n";
        EXPECT_EQ(ReadFile(output.PathOf("out.txt")), expected);
        EXPECT_EQ(ReadFile(run.folder + "\\config.xml"), before);
    }
}

} // namespace
