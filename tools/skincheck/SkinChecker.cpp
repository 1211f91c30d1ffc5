#include "SkinChecker.h"

#include "BitmapFile.h"
#include "DpiScale.h"
#include "Gdi.h"
#include "GameLayout.h"
#include "GdiplusImage.h"
#include "ImageFileCheck.h"
#include "PictureEx.h"
#include "ReleaseDescription.h"
#include "TextConversion.h"

#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <cstdlib>

namespace {

struct FileStart {
    FileKind failure = FileKind::Other; // Missing, Folder, Device or Unreadable when not read
    std::string bytes;
};

// Up to `most` bytes from the start of a file.
FileStart ReadFileStart(const std::string& path, DWORD most) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return {FileKind::Missing, {}};
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
        return {FileKind::Folder, {}};
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {FileKind::Unreadable, {}};
    FileStart start;
    LARGE_INTEGER size{};
    // Names such as CON open devices, which a read would wait on.
    if (::GetFileType(file) != FILE_TYPE_DISK || !::GetFileSizeEx(file, &size)) {
        start.failure = FileKind::Device;
    } else {
        start.bytes.resize(static_cast<size_t>(std::min<LONGLONG>(most, size.QuadPart)));
        DWORD read = 0;
        if (::ReadFile(file, start.bytes.data(), static_cast<DWORD>(start.bytes.size()), &read,
                       nullptr))
            start.bytes.resize(read);
        else
            start.failure = FileKind::Unreadable;
    }
    ::CloseHandle(file);
    return start;
}

// What a file is, from its first bytes.
FileKind KindOfFile(const std::string& path) {
    const FileStart file = ReadFileStart(path, 8);
    if (file.failure != FileKind::Other)
        return file.failure;
    return SniffFileKind(file.bytes);
}

// Whether the file could be opened and read at all.
bool IsReadFile(FileKind kind) {
    return kind != FileKind::Missing && kind != FileKind::Folder && kind != FileKind::Device &&
           kind != FileKind::Unreadable;
}

// The pixel size an image's header gives, as the client's loaders read it.
std::optional<SIZE> ImageSize(const std::string& path) {
    UINT width = 0;
    UINT height = 0;
    if (!CGdiplusImage::ReadSize(ToWide(path, CP_ACP), &width, &height))
        return std::nullopt;
    return SIZE{static_cast<LONG>(width), static_cast<LONG>(height)};
}

const char* NameOf(FileKind kind) {
    switch (kind) {
    case FileKind::Bitmap:
        return "a BMP bitmap";
    case FileKind::Png:
        return "a PNG image";
    case FileKind::Gif:
        return "a GIF image";
    case FileKind::Jpeg:
        return "a JPEG image";
    case FileKind::Icon:
        return "an icon";
    default:
        return "not an image the client knows";
    }
}

std::string SizeText(long long width, long long height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

std::string Listed(const std::vector<std::string>& items, const char* separator = ", ") {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : separator) + item;
    return text;
}

// What the user sees when a key is missing, and how bad that is.
Problem WhenMissing(const SkinKey& key) {
    const bool loginPage = key.elementKind == SkinElementKind::LoginPage;
    switch (key.kind) {
    case SkinValueKind::LoginAddress:
        return {Severity::Error, "the login window shows no page"};
    case SkinValueKind::LinkAddress:
        return {Severity::Error, "the button opens nothing"};
    case SkinValueKind::Title:
        return {Severity::Warning, "the game window has no title"};
    case SkinValueKind::Tip:
        return {Severity::Warning, "the button has no tooltip"};
    case SkinValueKind::Question:
        return {Severity::Warning, "the close question is empty"};
    case SkinValueKind::PositionX:
    case SkinValueKind::PositionY:
        return {Severity::Warning, "placed at 0"};
    case SkinValueKind::Width:
    case SkinValueKind::Height:
        return {Severity::Error, loginPage ? "the login page has no size and cannot be seen"
                                           : "the button has no size and cannot be seen"};
    case SkinValueKind::Channel:
        return {Severity::Warning, "the channel is 0"};
    case SkinValueKind::ButtonImage:
        return {Severity::Error, "the button shows no image"};
    case SkinValueKind::Background:
        return {Severity::Warning, "the game window shows its plain dialog colour"};
    case SkinValueKind::Backdrop:
        return {Severity::Error, "the login window has no backdrop and cannot be seen"};
    case SkinValueKind::Picture:
        return {Severity::Warning, "no picture is shown"};
    case SkinValueKind::OfflinePage:
        return {Severity::Error, "the client shows its own page when the server cannot be reached"};
    case SkinValueKind::Origins:
        return {Severity::Warning, "only the login and game pages' own origins are trusted"};
    }
    return {Severity::Warning, ""};
}

bool IsNumberKind(SkinValueKind kind) {
    return kind == SkinValueKind::PositionX || kind == SkinValueKind::PositionY ||
           kind == SkinValueKind::Width || kind == SkinValueKind::Height ||
           kind == SkinValueKind::Channel;
}

bool IsImageKind(SkinValueKind kind) {
    return kind == SkinValueKind::ButtonImage || kind == SkinValueKind::Background ||
           kind == SkinValueKind::Backdrop || kind == SkinValueKind::Picture;
}

// Whether a file that failed to parse looks like GBK text without the
// declaration that says so: the parser then reads it as UTF-8.
bool LooksUndeclaredNonUtf8(const std::string& path) {
    const std::string head = ReadFileStart(path, 64 * 1024).bytes;
    const size_t declarationEnd = head.starts_with("<?xml") ? head.find("?>") : std::string::npos;
    if (declarationEnd != std::string::npos &&
        head.substr(0, declarationEnd).find("encoding") != std::string::npos)
        return false;
    // A character cut at the end of what was read is not an error.
    size_t end = head.size();
    for (int i = 0; i < 3 && end > 0 && (static_cast<unsigned char>(head[end - 1]) & 0x80); ++i)
        --end;
    return end > 0 && ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, head.data(),
                                            static_cast<int>(end), nullptr, 0) == 0;
}

struct XmlStop {
    UINT line = 0;
    UINT column = 0;
};

// Where a second parser, XmlLite, stops reading a file: some parsers say
// only that a file is malformed, not where.
std::optional<XmlStop> WhereXmlLiteStops(const wchar_t* path) {
    using CreateReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);
    static constexpr IID kIidXmlReader = {
        0x7279FC81, 0x709D, 0x4095, {0xB6, 0x3D, 0x69, 0xFE, 0x4B, 0x0D, 0x90, 0x30}};
    HMODULE library = ::LoadLibraryA("xmllite.dll");
    auto create = library ? reinterpret_cast<CreateReaderFn>(reinterpret_cast<void*>(
                                ::GetProcAddress(library, "CreateXmlReader")))
                          : nullptr;
    IXmlReader* reader = nullptr;
    IStream* stream = nullptr;
    std::optional<XmlStop> stop;
    if (create && SUCCEEDED(create(kIidXmlReader, reinterpret_cast<void**>(&reader), nullptr)) &&
        SUCCEEDED(::SHCreateStreamOnFileW(path, STGM_READ | STGM_SHARE_DENY_WRITE, &stream)) &&
        SUCCEEDED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) &&
        SUCCEEDED(reader->SetInput(stream))) {
        // No file has more nodes than bytes: a reader that goes on past that
        // is stuck where it is (Wine's, at the end of an unterminated comment).
        STATSTG stat{};
        stream->Stat(&stat, STATFLAG_NONAME);
        XmlNodeType node;
        HRESULT hr = S_OK;
        for (ULONGLONG nodes = 0; hr == S_OK; ++nodes)
            hr = nodes > stat.cbSize.QuadPart ? E_FAIL : reader->Read(&node);
        if (FAILED(hr)) {
            stop = XmlStop{};
            reader->GetLineNumber(&stop->line);
            reader->GetLinePosition(&stop->column);
        }
    }
    if (reader)
        reader->Release();
    if (stream)
        stream->Release();
    if (library)
        ::FreeLibrary(library);
    return stop;
}

// A hidden window for the picture control, which needs one to decode into.
class CHiddenPicture {
public:
    CHiddenPicture() {
        HWND window = ::CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        ::GetModuleHandleA(nullptr), nullptr);
        if (window)
            m_picture.SubclassWindow(window);
    }
    ~CHiddenPicture() {
        if (m_picture.m_hWnd)
            m_picture.DestroyWindow();
    }
    CHiddenPicture(const CHiddenPicture&) = delete;
    CHiddenPicture& operator=(const CHiddenPicture&) = delete;
    CPictureEx& Picture() { return m_picture; }

private:
    CPictureEx m_picture;
};

} // namespace

std::vector<Finding> CSkinChecker::Run() {
    m_findings.clear();
    if (ReadConfiguration()) {
        CheckUnknownKeys();
        CheckReading();
        CheckMissingKeys();
        for (const SkinKey& key : SkinKeys())
            CheckValue(key);
        CheckLoginLayout();
        CheckGameLayout();
    }
    CheckTwiceSizeImages();
    CheckIcon();
    CheckReleaseDescription();
    return m_findings;
}

bool CSkinChecker::ReadConfiguration() {
    m_store.Load(&m_report);
    switch (m_report.outcome) {
    case ConfigLoadReport::Outcome::Read:
        break;
    case ConfigLoadReport::Outcome::Missing:
        Add(Severity::Error, "-",
            "there is no config.xml: the client starts with every setting empty");
        return false;
    case ConfigLoadReport::Outcome::DocumentType:
        Add(Severity::Error, "-",
            "declares a document type (<!DOCTYPE>): the client refuses the whole file");
        return false;
    case ConfigLoadReport::Outcome::NoParser:
        Add(Severity::Error, "-", "the system's XML parser is not available");
        return false;
    case ConfigLoadReport::Outcome::Malformed: {
        std::string message = "is not well-formed XML";
        long line = m_report.line;
        long column = m_report.column;
        if (line <= 0) {
            if (std::optional<XmlStop> stop = WhereXmlLiteStops(L"config.xml")) {
                line = static_cast<long>(stop->line);
                column = static_cast<long>(stop->column);
            }
        }
        if (line > 0)
            message +=
                " (line " + std::to_string(line) + ", column " + std::to_string(column) + ")";
        std::string reason = m_report.reason;
        while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r'))
            reason.pop_back();
        // A bare "error" says nothing the finding does not.
        if (!reason.empty() && lstrcmpiA(reason.c_str(), "error") != 0)
            message += ": " + reason;
        if (LooksUndeclaredNonUtf8("config.xml"))
            message += "; it is not UTF-8 and declares no encoding: a GBK file needs "
                       "<?xml version=\"1.0\" encoding=\"GBK\"?> on its first line";
        Add(Severity::Error, "-", message + "; the client starts with every setting empty");
        return false;
    }
    }
    for (const std::string& key : m_store.Keys())
        m_present.insert(key);
    return true;
}

void CSkinChecker::CheckUnknownKeys() {
    std::set<std::string> known;
    for (const SkinKey& key : SkinKeys())
        known.insert(key.name);
    for (const std::string& key : m_present) {
        // Comments and stray text come through the parser as "#comment" and "#text".
        if (known.count(key) || key.starts_with("#"))
            continue;
        std::string message = "the client never reads this key";
        std::string nearest = NearestKey(key, SkinKeys());
        if (!nearest.empty())
            message += "; did you mean " + nearest + "?";
        Add(Severity::Warning, key, message);
    }
}

void CSkinChecker::CheckReading() {
    for (const std::string& key : m_report.repeatedKeys)
        if (!key.starts_with("#"))
            Add(Severity::Warning, key, "is given more than once: the last one counts");
    for (const std::string& key : m_report.lossyKeys)
        Add(Severity::Warning, key,
            "holds characters that the ANSI code page (" + std::to_string(::GetACP()) +
                ") cannot show: the client shows others in their place");
}

void CSkinChecker::CheckMissingKeys() {
    std::vector<std::string> order;
    std::map<std::string, std::vector<const SkinKey*>> missing;
    for (const SkinKey& key : SkinKeys()) {
        if (Given(key.name) || key.optional)
            continue;
        if (!missing.count(key.element))
            order.push_back(key.element);
        missing[key.element].push_back(&key);
    }
    for (const std::string& element : order) {
        Severity severity = Severity::Warning;
        std::vector<std::string> names;
        std::vector<std::string> effects;
        for (const SkinKey* key : missing[element]) {
            Problem effect = WhenMissing(*key);
            severity = std::max(severity, effect.severity);
            names.push_back(key->name);
            if (std::find(effects.begin(), effects.end(), effect.message) == effects.end())
                effects.push_back(effect.message);
        }
        Add(severity, element, "missing or empty: " + Listed(names) + ": " + Listed(effects, "; "));
    }
}

void CSkinChecker::CheckTrustedOrigins() {
    for (const std::string& entry : MalformedOriginEntries(Value(kTrustedOriginsKey)))
        Add(Severity::Error, kTrustedOriginsKey,
            "\"" + entry +
                "\" is not an origin (http:// or https://, a host or *. and a name, an optional "
                "port, nothing after it): no page is trusted by it, so such pages find no "
                "window.external commands");
}

void CSkinChecker::CheckValue(const SkinKey& key) {
    if (!Given(key.name))
        return;
    const std::string value = Value(key.name);
    if (IsNumberKind(key.kind)) {
        const int readAs = std::atoi(value.c_str());
        if (std::optional<Problem> problem = NumberProblem(value, readAs))
            Add(key.name, *problem);
        else if (key.kind == SkinValueKind::Channel && ChannelProblem(readAs))
            Add(key.name, *ChannelProblem(readAs));
        else if ((key.kind == SkinValueKind::Width || key.kind == SkinValueKind::Height) &&
                 readAs < 0)
            Add(Severity::Error, key.name, "is negative: " + WhenMissing(key).message);
    } else if (key.kind == SkinValueKind::LoginAddress || key.kind == SkinValueKind::LinkAddress) {
        if (std::optional<Problem> problem = AddressProblem(value))
            Add(key.name, *problem);
    } else if (IsImageKind(key.kind)) {
        CheckImage(key);
    } else if (key.kind == SkinValueKind::OfflinePage) {
        CheckFilePresent(key);
    } else if (key.kind == SkinValueKind::Origins) {
        CheckTrustedOrigins();
    }
}

// Whether the file a key names under data\ can be read; says why not.
bool CSkinChecker::CheckFileReadable(const SkinKey& key, const std::string& path, FileKind kind) {
    const char* problem = kind == FileKind::Missing      ? " does not exist: "
                          : kind == FileKind::Folder     ? " is a folder: "
                          : kind == FileKind::Device     ? " names a device, not a file: "
                          : kind == FileKind::Unreadable ? " cannot be read: "
                                                         : nullptr;
    if (problem)
        Add(Severity::Error, key.name, path + problem + WhenMissing(key).message);
    return !problem;
}

void CSkinChecker::CheckFilePresent(const SkinKey& key) {
    const std::string path = "data\\" + Value(key.name);
    CheckFileReadable(key, path, KindOfFile(path));
}

void CSkinChecker::CheckImage(const SkinKey& key) {
    const std::string path = "data\\" + Value(key.name);
    const FileKind kind = KindOfFile(path);
    if (!CheckFileReadable(key, path, kind))
        return;
    const std::size_t before = m_findings.size();
    CheckContent(key, path, kind, false);
    // At high DPI the client loads the image's twice-size version the same
    // way; a mistake of the image itself is not said again for it.
    if (m_findings.size() != before)
        return;
    const std::string twice = TwiceSizeName(path);
    if (const FileKind twiceKind = KindOfFile(twice); IsReadFile(twiceKind))
        CheckContent(key, twice, twiceKind, true);
}

void CSkinChecker::CheckContent(const SkinKey& key, const std::string& path, FileKind kind,
                                bool twice) {
    if (key.kind == SkinValueKind::Backdrop)
        CheckBackdrop(key, path, twice);
    else if (key.kind == SkinValueKind::Picture)
        CheckPicture(key, path, kind, twice);
    else
        CheckBitmap(key, path, kind, twice);
}

std::string CSkinChecker::Effect(const SkinKey& key, bool twice) {
    // A twice-size image that does not load leaves the client its base image.
    return twice ? "at high DPI the client shows the image it is the twice-size version of"
                 : WhenMissing(key).message;
}

void CSkinChecker::CheckBitmap(const SkinKey& key, const std::string& path, FileKind kind,
                               bool twice) {
    const char* what = key.kind == SkinValueKind::Background ? "the background" : "buttons";
    if (kind != FileKind::Bitmap) {
        Add(Severity::Error, key.name,
            path + " is " + NameOf(kind) + ": the client takes only BMP bitmaps for " + what +
                ", so " + Effect(key, twice));
        return;
    }
    CBitmap bitmap;
    bitmap.Attach(LoadBitmapFile(path.c_str(), LR_CREATEDIBSECTION));
    BITMAP info{};
    if (bitmap.IsEmpty() || !bitmap.GetBitmap(&info)) {
        if (!IsCompleteBitmapFile(path))
            Add(Severity::Error, key.name,
                path +
                    " is truncated or its headers are not consistent: the client does not load "
                    "it, so " +
                    Effect(key, twice));
        else
            Add(Severity::Error, key.name,
                path + " cannot be loaded as a bitmap: " + Effect(key, twice));
        return;
    }
    // A twice-size version is measured against its base instead (CheckTwiceSizeImages).
    if (twice || key.kind != SkinValueKind::ButtonImage)
        return;
    const Box box = BoxOf(key.element);
    if (box.width > 0 && box.height > 0 &&
        (info.bmWidth != box.width || info.bmHeight != box.height))
        Add(Severity::Warning, key.name,
            path + " is " + SizeText(info.bmWidth, info.bmHeight) + ", the button " +
                SizeText(box.width, box.height) +
                ": it is drawn unscaled from the button's top-left corner");
}

void CSkinChecker::CheckPicture(const SkinKey& key, const std::string& path, FileKind kind,
                                bool twice) {
    // The picture component reads no PNG on Windows, whatever it does elsewhere.
    if (kind == FileKind::Png || kind == FileKind::Other) {
        Add(Severity::Error, key.name,
            path + " is " + NameOf(kind) + ": the picture takes GIF, JPEG, BMP or icon files, so " +
                Effect(key, twice));
        return;
    }
    if (RefusedByImageCheck(key, path, twice))
        return;
    CHiddenPicture hidden;
    if (!hidden.Picture().m_hWnd)
        Add(Severity::Warning, key.name,
            path + " was not checked: the picture decoder needs a window, and none could be made");
    else if (!hidden.Picture().LoadFromFile(path.c_str()))
        Add(Severity::Error, key.name, path + " cannot be decoded: " + Effect(key, twice));
}

bool CSkinChecker::RefusedByImageCheck(const SkinKey& key, const std::string& path, bool twice) {
    const std::optional<std::string> problem = ImageFileProblemAt(ToWide(path, CP_ACP));
    if (problem)
        Add(Severity::Error, key.name,
            path + " " + *problem + ": the client does not load it, so " + Effect(key, twice));
    return problem.has_value();
}

void CSkinChecker::CheckBackdrop(const SkinKey& key, const std::string& path, bool twice) {
    if (RefusedByImageCheck(key, path, twice))
        return;
    const std::wstring widePath = ToWide(path, CP_ACP);
    CGdiplusImage image;
    if (!image.Load(widePath)) {
        // Why not: too large for the client, or not an image it can decode.
        UINT width = 0;
        UINT height = 0;
        if (CGdiplusImage::ReadSize(widePath, &width, &height) &&
            (width > CGdiplusImage::kMaxSide || height > CGdiplusImage::kMaxSide))
            Add(Severity::Error, key.name,
                path + " is " + SizeText(width, height) +
                    ": the client takes no image larger than " +
                    std::to_string(CGdiplusImage::kMaxSide) + " pixels a side, so " +
                    Effect(key, twice));
        else
            Add(Severity::Error, key.name, path + " cannot be decoded: " + Effect(key, twice));
        return;
    }
    // The layout is in the skin's pixels, those of the base image.
    if (!twice)
        m_backdropSize = image.Size();
    if (image.HasTransparentPixels())
        return;
    if (image.HasAlphaChannel())
        Add(Severity::Warning, key.name,
            path + " is fully opaque: the login window is a plain rectangle");
    else
        Add(Severity::Error, key.name,
            path + " has no alpha channel: the login window takes its shape from the image's "
                   "alpha, and is a plain rectangle without one");
}

void CSkinChecker::CheckLoginLayout() {
    if (!m_backdropSize)
        return;
    for (const char* stem : {"login_browserctrl", "login_minibtn", "login_closebtn"}) {
        const Box box = BoxOf(stem);
        if (box.width <= 0 || box.height <= 0 ||
            Inside(box, m_backdropSize->cx, m_backdropSize->cy))
            continue;
        Add(Severity::Warning, stem,
            "at " + std::to_string(box.x) + ", " + std::to_string(box.y) + " sized " +
                SizeText(box.width, box.height) + " it does not lie within the " +
                SizeText(m_backdropSize->cx, m_backdropSize->cy) +
                " backdrop: what lies outside is not shown");
    }
}

void CSkinChecker::CheckGameLayout() {
    const GameRect smallest = InitialGamePlacement(kSmallestScreenWidth, kSmallestScreenHeight);
    const std::string where = "at the window's smallest size (" +
                              SizeText(smallest.width, smallest.height) + ", on a " +
                              SizeText(kSmallestScreenWidth, kSmallestScreenHeight) + " screen)";
    std::vector<std::pair<std::string, Box>> placed;
    for (const std::string& stem : GameButtonStems()) {
        Box box = BoxOf(stem);
        if (box.width <= 0 || box.height <= 0)
            continue;
        box.x = ButtonLeft(smallest.width, Number(stem + "_posx"));
        if (!Inside(box, smallest.width, smallest.height))
            Add(Severity::Warning, stem, where + " the button does not lie within the window");
        for (const auto& [other, otherBox] : placed) {
            if (Overlap(box, otherBox))
                Add(Severity::Warning, stem, "overlaps " + other);
        }
        placed.emplace_back(stem, box);
    }
}

void CSkinChecker::CheckTwiceSizeImages() {
    // Sorted, for findings in the same order on every file system.
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA("data\\*", &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
    for (const std::string& name : names) {
        const std::string path = "data\\" + name;
        const std::string base = BaseNameOfTwiceSize(path);
        if (base.empty())
            continue;
        if (KindOfFile(base) == FileKind::Missing) {
            Add(Severity::Error, path, "is a high-DPI image but " + base + " does not exist");
            continue;
        }
        // An image whose size cannot be read has its finding where it is used.
        const std::optional<SIZE> size = ImageSize(path);
        const std::optional<SIZE> baseSize = ImageSize(base);
        if (size && baseSize && (size->cx != 2 * baseSize->cx || size->cy != 2 * baseSize->cy))
            Add(Severity::Error, path,
                "is " + SizeText(size->cx, size->cy) + " pixels; it must be twice " + base + "'s " +
                    SizeText(baseSize->cx, baseSize->cy) + ", " +
                    SizeText(2LL * baseSize->cx, 2LL * baseSize->cy));
    }
}

void CSkinChecker::CheckIcon() {
    const std::string path = "data\\main.ico";
    const FileKind kind = KindOfFile(path);
    if (kind == FileKind::Missing)
        Add(Severity::Warning, path, "does not exist: the windows and the tray icon have no icon");
    else if (kind != FileKind::Icon)
        Add(Severity::Warning, path,
            std::string("is ") + NameOf(kind) + ", not an icon: the windows have no icon");
    else if (const std::optional<std::string> problem = ImageFileProblemAt(ToWide(path, CP_ACP)))
        Add(Severity::Error, path,
            *problem + ": the client does not load it, so the windows have no icon");
}

// The release description, read as the release tool reads it: its first
// problem, in the same words.
void CSkinChecker::CheckReleaseDescription() {
    // As the release tool, files of 64 MiB and more are not read.
    constexpr DWORD kLargest = 64 << 20;
    auto read = [](const std::string& utf8Path) -> std::optional<std::string> {
        FileStart file = ReadFileStart(ToNarrow(ToWide(utf8Path, CP_UTF8)), kLargest);
        if (file.failure != FileKind::Other || file.bytes.size() >= kLargest)
            return std::nullopt;
        return std::move(file.bytes);
    };
    const FileStart description = ReadFileStart(kReleaseFileName, kLargest);
    if (description.failure == FileKind::Missing)
        return;
    std::optional<ReleaseProblem> problem;
    if (description.failure != FileKind::Other)
        problem = ReleaseProblem{"-", "cannot be read"};
    else if (auto result = ReadReleaseDescription(description.bytes, read);
             std::holds_alternative<ReleaseProblem>(result))
        problem = std::get<ReleaseProblem>(result);
    if (problem)
        m_findings.push_back({Severity::Error, problem->field,
                              ToNarrow(ToWide(problem->message, CP_UTF8)), kReleaseFileName});
}

void CSkinChecker::Add(Severity severity, const std::string& key, const std::string& message) {
    m_findings.push_back({severity, key, message});
}

void CSkinChecker::Add(const std::string& key, const Problem& problem) {
    Add(problem.severity, key, problem.message);
}

std::string CSkinChecker::Value(const std::string& key) const {
    return m_store.GetValue(key);
}

int CSkinChecker::Number(const std::string& key) const {
    return std::atoi(Value(key).c_str());
}

bool CSkinChecker::Given(const std::string& key) const {
    return m_present.count(key) && !Value(key).empty();
}

Box CSkinChecker::BoxOf(const std::string& stem) const {
    return Box{Number(stem + "_posx"), Number(stem + "_posy"), Number(stem + "_width"),
               Number(stem + "_height")};
}

std::string FormatFinding(const Finding& finding) {
    return finding.file + ": " + (finding.severity == Severity::Error ? "error" : "warning") +
           ": " + finding.key + ": " + finding.message;
}

int ExitStatusOf(const std::vector<Finding>& findings) {
    if (findings.empty())
        return 0;
    const bool errors = std::any_of(findings.begin(), findings.end(), [](const Finding& finding) {
        return finding.severity == Severity::Error;
    });
    return errors ? 2 : 1;
}
