#pragma once
// A scoped temporary directory with files, removed with everything in it.

#include <string>
#include <string_view>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // The directory's full path (narrow, ANSI code page), without a trailing backslash.
    const std::string& Path() const { return m_path; }
    // Full path of `relative` inside the directory.
    std::string PathOf(std::string_view relative) const;
    // Writes `bytes` to `relative` (folders are created), returns its full path.
    std::string Write(std::string_view relative, std::string_view bytes) const;

private:
    std::string m_path;
};

// Makes `directory` the current directory until the object goes out of scope.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const std::string& directory);
    ~ScopedCurrentDirectory();
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;

private:
    std::string m_previous;
};

// The directory of the running program, without a trailing backslash.
std::string ProgramDirectory();

// The Windows path (on Wine's Z: drive) of a path on the machine running the tests.
std::string WinePath(std::string unixPath);
