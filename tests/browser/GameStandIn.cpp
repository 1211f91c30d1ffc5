// Stands in for the external game program in the hand-over tests: records
// the parameters it was started with in "command-line.txt" beside itself.

#include <windows.h>

#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR parameters, int) {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory = path;
    directory.erase(directory.find_last_of('\\'));
    // Written whole under another name first, so the reader never sees half of it.
    std::string partial = directory + "\\command-line.tmp";
    std::string record = directory + "\\command-line.txt";
    HANDLE file = ::CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 2;
    DWORD written = 0;
    std::string text = parameters ? parameters : "";
    ::WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    ::CloseHandle(file);
    return ::MoveFileExA(partial.c_str(), record.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 2;
}
