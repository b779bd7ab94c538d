// Helpers for the tests that run against real Windows (or Wine): private folders, files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace vintrel::test {

// A fresh folder under the temporary directory, removed with everything in it at the end.
class TempDir {
public:
    // Below the temporary directory, or below `base` ("C:" for the drive's root).
    explicit TempDir(const std::string& base = "");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; } // ends without "\"
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

void WriteFile(const std::string& path, const std::string& contents);
void MakeDirectory(const std::string& path);
void RemoveTree(const std::string& path);

// The folder this test program runs from; vintrel.exe is built beside it.
std::string ProgramDirectory();

// A drive letter with nothing behind it, such as "Q:".
std::string MissingDrive();

} // namespace vintrel::test
