// The configuration store, loaded from real files by the platform's XML parser.

#include "ChildProcess.h"
#include "ConfigStore.h"
#include "ProcessMemory.h"
#include "RecordingXmlDocument.h"
#include "TempDir.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <map>
#include <string>
#include <thread>

namespace {

class ConfigStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ::CoInitialize(nullptr); }
    void TearDown() override { ::CoUninitialize(); }

    // A fresh store loaded from `xml` written as config.xml in a temporary
    // current directory.
    void LoadFrom(const std::string& xml) {
        m_dir.Write("config.xml", xml);
        ScopedCurrentDirectory cwd(m_dir.Path());
        m_store.Load();
    }

    TempDir m_dir;
    CConfigStore m_store;
};

constexpr char kUtf8Chinese[] = "\xE5\x90\xAF\xE5\x8A\xA8\xE6\xB8\xB8\xE6\x88\x8F"; // 启动游戏
constexpr char kGbkChinese[] = "\xC6\xF4\xB6\xAF\xD3\xCE\xCF\xB7";                  // 启动游戏

// The settings the store makes on its parser, by name. Read from a stand-in:
// Wine's parser keeps some of them nowhere and refuses others.
std::map<std::wstring, std::wstring> ParserSettings() {
    CRecordingXmlDocument document;
    CConfigStore::PrepareParser(&document);
    return document.m_settings;
}

// Loads `xml` on a thread of its own so that a parser that never returns
// fails the test instead of stalling the run; true when Load returned.
bool LoadsWithoutHanging(const TempDir& dir, const std::string& xml, CConfigStore& store) {
    dir.Write("config.xml", xml);
    ScopedCurrentDirectory cwd(dir.Path());
    HANDLE done = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::thread loader([&] {
        ::CoInitialize(nullptr);
        store.Load();
        ::CoUninitialize();
        ::SetEvent(done);
    });
    bool finished = ::WaitForSingleObject(done, 60000) == WAIT_OBJECT_0;
    if (finished)
        loader.join();
    else
        loader.detach();
    ::CloseHandle(done);
    return finished;
}

} // namespace

TEST_F(ConfigStoreTest, DirectChildrenBecomeEntriesWithTheirText) {
    LoadFrom("<anything><login_url>http://host/login</login_url>"
             "<login_bg>bg.png</login_bg><empty></empty><selfclosed/></anything>");
    EXPECT_EQ(m_store.GetValue("login_url"), "http://host/login");
    EXPECT_EQ(m_store.GetValue("login_bg"), "bg.png");
    EXPECT_EQ(m_store.GetValue("empty"), "");
    EXPECT_EQ(m_store.GetValue("selfclosed"), "");
    EXPECT_EQ(m_store.GetValue("missing"), "");
    EXPECT_EQ(atoi(m_store.GetValue("missing").c_str()), 0);
}

TEST_F(ConfigStoreTest, LaterDuplicateWinsAndKeysAreCaseSensitive) {
    LoadFrom("<c><k>first</k><Login_url>upper</Login_url><k>second</k></c>");
    EXPECT_EQ(m_store.GetValue("k"), "second");
    EXPECT_EQ(m_store.GetValue("login_url"), "");
    EXPECT_EQ(m_store.GetValue("Login_url"), "upper");
}

TEST_F(ConfigStoreTest, ValuesConvertTheAtoiWayAndOuterWhiteSpaceIsDropped) {
    LoadFrom("<c><a>12px</a><b>abc</b><c>   7</c><d>-3 </d><e>\n  42\n</e></c>");
    EXPECT_EQ(atoi(m_store.GetValue("a").c_str()), 12);
    EXPECT_EQ(atoi(m_store.GetValue("b").c_str()), 0);
    EXPECT_EQ(m_store.GetValue("c"), "7");
    EXPECT_EQ(atoi(m_store.GetValue("d").c_str()), -3);
    EXPECT_EQ(m_store.GetValue("e"), "42");
}

TEST_F(ConfigStoreTest, NestedElementsGiveConcatenatedTextUnderTheOuterNameOnly) {
    LoadFrom("<c><outer>a<inner>b<deep>c</deep></inner>d</outer></c>");
    EXPECT_EQ(m_store.GetValue("outer"), "abcd");
    EXPECT_EQ(m_store.GetValue("inner"), "");
    EXPECT_EQ(m_store.GetValue("deep"), "");
}

TEST_F(ConfigStoreTest, AttributesAreIgnoredAndCommentsAreNoSettings) {
    LoadFrom("<c login_url=\"root attribute\"><!-- note --><k v=\"attr\">text</k></c>");
    EXPECT_EQ(m_store.GetValue("k"), "text");
    EXPECT_EQ(m_store.GetValue("login_url"), "");
    EXPECT_EQ(m_store.GetValue("v"), "");
    // A comment is stored under its node name, which no caller reads.
    EXPECT_EQ(m_store.GetValue("#comment"), " note ");
}

TEST_F(ConfigStoreTest, Utf8FileGivesCodePage936Bytes) {
    LoadFrom(std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?><c><game_title>") +
             kUtf8Chinese + "</game_title></c>");
    EXPECT_EQ(m_store.GetValue("game_title"), kGbkChinese);
}

TEST_F(ConfigStoreTest, GbkFileWithItsDeclarationGivesTheSameBytes) {
    LoadFrom(std::string("<?xml version=\"1.0\" encoding=\"GBK\"?><c><game_title>") + kGbkChinese +
             "</game_title></c>");
    EXPECT_EQ(m_store.GetValue("game_title"), kGbkChinese);
}

TEST_F(ConfigStoreTest, MissingOrMalformedFileLeavesTheStoreEmpty) {
    {
        ScopedCurrentDirectory cwd(m_dir.Path());
        m_store.Load();
    }
    EXPECT_EQ(m_store.GetValue("login_url"), "");

    CConfigStore broken;
    m_dir.Write("config.xml", "<c><login_url>http://x</login_url><unclosed></c>");
    ScopedCurrentDirectory cwd(m_dir.Path());
    broken.Load();
    EXPECT_EQ(broken.GetValue("login_url"), "");
}

TEST_F(ConfigStoreTest, BackdropPathUsesTheProgramsDirectoryWhileConfigComesFromHere) {
    LoadFrom("<c><login_bg>bg.png</login_bg></c>");
    EXPECT_EQ(m_store.GetLoginBgPath(), ProgramDirectory() + "\\data\\bg.png");
    EXPECT_NE(ProgramDirectory(), m_dir.Path());

    CConfigStore empty;
    EXPECT_EQ(empty.GetLoginBgPath(), ProgramDirectory() + "\\data\\");
}

// A buffer of MAX_PATH bytes cuts the path short: in code page 936 two
// folders of 60 characters take 240 bytes, though only 120 characters.
TEST(ProgramPath, AProgramInAFolderPastMaxPathBytesKnowsItsWholePath) {
    ASSERT_EQ(936u, ::GetACP());
    TempDir dir;
    std::string folder;
    for (int i = 0; i < 60; ++i)
        folder += "路";
    const std::string relative = folder + "\\" + folder;
    dir.Write(relative + "\\placeholder", "");
    // The last character's trail byte is a backslash's (0x5C).
    const std::string program = dir.PathOf(relative + "\\module_path_child乗.exe");
    ASSERT_GT(program.size(), static_cast<size_t>(MAX_PATH));
    ASSERT_TRUE(::CopyFileA((ProgramDirectory() + "\\module_path_child.exe").c_str(),
                            program.c_str(), FALSE));
    ChildProcess child(program, "", dir.Path());
    ASSERT_TRUE(child.WaitForExit(30000));
    std::ifstream paths(dir.PathOf("paths.txt"));
    std::string path, name, backdrop;
    std::getline(paths, path);
    std::getline(paths, name);
    std::getline(paths, backdrop);
    EXPECT_EQ(path, program);
    EXPECT_EQ(name, "module_path_child乗");
    EXPECT_EQ(backdrop, dir.PathOf(relative + "\\data\\"));
}

TEST_F(ConfigStoreTest, InstanceIsOneStoreAndInitialisesCom) {
    std::thread other([] {
        CConfigStore* first = &CConfigStore::Instance();
        EXPECT_EQ(first, &CConfigStore::Instance());
        // COM is already initialised on this thread: a second call says so.
        EXPECT_EQ(::CoInitialize(nullptr), S_FALSE);
        ::CoUninitialize();
    });
    other.join();
}

TEST_F(ConfigStoreTest, LargeFileLoadsCompletely) {
    std::string xml = "<c>";
    for (int i = 0; i < 60000; ++i)
        xml += "<key" + std::to_string(i) + ">" + std::string(60, 'v') + "</key" +
               std::to_string(i) + ">";
    xml += "<last>done</last></c>";
    ASSERT_GT(xml.size(), 4u * 1024 * 1024);
    // Load returns only once the whole file is read.
    EXPECT_EQ(ParserSettings()[L"async"], L"false");
    CConfigStore store;
    ASSERT_TRUE(LoadsWithoutHanging(m_dir, xml, store));
    EXPECT_EQ(store.GetValue("last"), "done");
    EXPECT_EQ(store.GetValue("key59999"), std::string(60, 'v'));
}

TEST_F(ConfigStoreTest, HostileFilesNeitherHangNorExhaustMemory) {
    std::string deep = "<c><k>";
    for (int i = 0; i < 200000; ++i)
        deep += "<n>";
    deep += "x";
    for (int i = 0; i < 200000; ++i)
        deep += "</n>";
    deep += "</k></c>";

    std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE c [<!ENTITY l0 \"ha\">";
    for (int i = 1; i <= 12; ++i)
        laughs += "<!ENTITY l" + std::to_string(i) + " \"" + [&] {
            std::string refs;
            for (int j = 0; j < 10; ++j)
                refs += "&l" + std::to_string(i - 1) + ";";
            return refs;
        }() + "\">";
    laughs += "]><c><k>&l12;</k></c>";

    std::string external = "<?xml version=\"1.0\"?><!DOCTYPE c [<!ENTITY e SYSTEM "
                           "\"http://192.0.2.1/never\">]><c><k>&e;</k></c>";
    // Validating would fetch the external subset.
    std::string externalSubset = "<?xml version=\"1.0\"?><!DOCTYPE c SYSTEM "
                                 "\"http://192.0.2.1/never.dtd\"><c><k>x</k></c>";

    // Each file with the setting of the store's parser that stops it.
    const struct {
        const std::string& xml;
        const wchar_t* setting;
        const wchar_t* value;
    } files[] = {
        {deep, L"MaxElementDepth", L"256"},
        {laughs, L"ProhibitDTD", L"true"},
        {external, L"resolveExternals", L"false"},
        {externalSubset, L"validateOnParse", L"false"},
    };
    std::map<std::wstring, std::wstring> settings = ParserSettings();
    size_t before = PeakMemory();
    for (const auto& file : files) {
        EXPECT_EQ(settings[file.setting], file.value) << file.setting;
        CConfigStore store;
        EXPECT_TRUE(LoadsWithoutHanging(m_dir, file.xml, store)) << file.setting;
        // Whatever the parser made of it, no value is the expansion.
        EXPECT_LT(store.GetValue("k").size(), 1024u * 1024) << file.setting;
    }
    EXPECT_LT(PeakMemory() - before, 512u * 1024 * 1024);
}
