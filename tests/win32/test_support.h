// Helpers for the tests that run against real Windows (or Wine): private folders, files.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

// The text of a window or control (at most 1,023 characters).
std::string TextOf(HWND window);
// The text of one field of a status bar.
std::string StatusFieldText(HWND bar, int field);

// A link to a file or folder (a relative target is taken from the link's own folder). Wine makes
// none through CreateSymbolicLinkA, so there it is a Linux symbolic link, which Wine shows as a
// folder link with the reparse attribute. False when it could not be asked for. Removing one
// never touches what it leads to.
bool MakeLink(const std::string& link, const std::string& target);
void RemoveLink(const std::string& link);

// Under Wine: runs a Linux shell command and waits for it to end, true when it succeeded
// (false elsewhere); the Linux name of a Windows path (empty elsewhere). A Linux program is
// held by no Windows sharing mode.
bool RunLinuxShell(const std::string& command);
std::string LinuxName(const std::string& path);

// Whether the tests run under Wine. A test that makes Linux links or files, or uses the drive
// letters of the test prefix, runs there only: on Windows (the test kit) it says so and skips.
inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name") != nullptr;
}
#define VINTREL_NEEDS_WINE()                                                                  \
    if (!::vintrel::test::UnderWine())                                                         \
    GTEST_SKIP() << "needs Wine: it makes Linux links, or uses the test prefix's drives"

// Drive C: as Wine's Z: drive reaches it from the Linux side ("Z:\\...\\drive_c\\"), or
// empty outside Wine.
std::string DriveCFromOutside();

// A drive letter that the test prefix links to drive C:, as subst would, and drive C: as a
// share (Windows' own, and the test prefix's under Wine).
inline constexpr const char* kAliasOfDriveC = "S:\\";
inline constexpr const char* kShareOfDriveC = "\\\\localhost\\c$\\";

// A file's whole content, or "<unreadable>".
std::string Contents(const std::string& path);

// The folder this test program runs from; vintrel.exe is built beside it.
std::string ProgramDirectory();

// A drive letter with nothing behind it, such as "Q:".
std::string MissingDrive();

// Answers the dialogs this thread opens (message boxes, the folder dialog) from inside their
// own message loops: each one found is recorded and closed with the given button.
class DialogAnswerer {
public:
    explicit DialogAnswerer(int button = IDOK);
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    struct Seen {
        std::string caption;
        std::string text; // every static text of the dialog, joined by " / "
    };
    std::vector<Seen> seen;
    std::function<void(HWND dialog)> whileOpen; // runs before the button is pressed

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    int button_;
    UINT_PTR timer_;
};

} // namespace vintrel::test
