#include "test_support.h"

#include "linux_command.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace vintrel::test {

TempDir::TempDir(const std::string& under) {
    std::string base = under.empty() ? std::string() : under + "\\";
    if (base.empty()) {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        base = temp;
    }
    static unsigned counter = 0;
    for (;;) {
        path_ = base + "vintrel-test-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
        if (CreateDirectoryA(path_.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            ADD_FAILURE() << "cannot create " << path_;
            break;
        }
    }
}

TempDir::~TempDir() {
    RemoveTree(path_);
}

std::string TextOf(HWND window) {
    char text[1024] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string StatusFieldText(HWND bar, int field) {
    char text[1024] = "";
    SendMessageA(bar, SB_GETTEXTA, field, reinterpret_cast<LPARAM>(text));
    return text;
}

void WriteFile(const std::string& path, const std::string& contents) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, contents.size());
}

void MakeDirectory(const std::string& path) {
    ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            // A link goes, never what it leads to.
            if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                RemoveLink(child);
                continue;
            }
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(child);
            else if (!DeleteFileA(child.c_str()) && data.cAlternateFileName[0])
                DeleteFileA((path + "\\" + data.cAlternateFileName).c_str()); // "Ł" and such
        } while (FindNextFileA(find, &data));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

bool MakeLink(const std::string& link, const std::string& target) {
    if (!UnixNameFunction()) {
        const DWORD attributes = GetFileAttributesA(target.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        // Vista and later; found by name, so that the tests start on XP too.
        using Call = BOOLEAN(WINAPI*)(LPCSTR, LPCSTR, DWORD);
        const auto call = reinterpret_cast<Call>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "CreateSymbolicLinkA")));
        constexpr DWORD kDirectory = 1; // SYMBOLIC_LINK_FLAG_DIRECTORY
        return call && call(link.c_str(), target.c_str(), folder ? kDirectory : 0);
    }
    const bool absolute = target.find(':') != std::string::npos || target.rfind("\\\\", 0) == 0;
    const std::string to = absolute ? UnixName(target) : target;
    return !to.empty() && RunLinuxCommand("ln -s '" + to + "' '" + UnixName(link) + "'");
}

void RemoveLink(const std::string& link) {
    if (RemoveDirectoryA(link.c_str()) &&
        GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    if (UnixNameFunction()) RunLinuxCommand("rm -f '" + UnixName(link) + "'");
}

bool RunLinuxShell(const std::string& command) {
    return RunLinuxCommand(command);
}

std::string LinuxName(const std::string& path) {
    return UnixName(path);
}

std::string DriveCFromOutside() {
    char prefix[MAX_PATH] = "";
    if (!GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix)) return "";
    std::string path = std::string("Z:") + prefix + "\\drive_c\\";
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

std::string Contents(const std::string& path) {
    // Read while a writer may still add to it (a log), never while one holds it alone.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<unreadable>";
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

std::string ProgramDirectory() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, n);
    return full.substr(0, full.find_last_of("\\/"));
}

std::string MissingDrive() {
    const DWORD drives = GetLogicalDrives();
    for (char letter = 'Q'; letter <= 'Y'; ++letter) {
        if (!(drives & (1u << (letter - 'A')))) return std::string(1, letter) + ":";
    }
    return "";
}

namespace {

DialogAnswerer* activeAnswerer = nullptr;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char cls[16] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (std::string(cls) == "#32770" && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectText(HWND child, LPARAM text) {
    char cls[16] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (std::string(cls) != "Static") return TRUE;
    char buffer[512] = "";
    GetWindowTextA(child, buffer, sizeof buffer);
    if (buffer[0] == '\0') return TRUE;
    auto* all = reinterpret_cast<std::string*>(text);
    if (!all->empty()) *all += " / ";
    *all += buffer;
    return TRUE;
}

} // namespace

DialogAnswerer::DialogAnswerer(int button) : button_(button) {
    activeAnswerer = this;
    timer_ = SetTimer(nullptr, 0, 50, OnTimer);
}

DialogAnswerer::~DialogAnswerer() {
    KillTimer(nullptr, timer_);
    activeAnswerer = nullptr;
}

void CALLBACK DialogAnswerer::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    DialogAnswerer* self = activeAnswerer;
    if (self == nullptr) return;
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog == nullptr) return;
    Seen seen;
    char caption[256] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    seen.caption = caption;
    EnumChildWindows(dialog, CollectText, reinterpret_cast<LPARAM>(&seen.text));
    self->seen.push_back(seen);
    if (self->whileOpen) self->whileOpen(dialog);
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(self->button_, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, self->button_)));
}

} // namespace vintrel::test
