// Linux commands run from a Windows program under Wine, for the tests and the benchmarks.
// Wine starts a Linux program without a process handle to wait on (the wait fails at once),
// so the command itself leaves its exit status in a folder that is watched for the change.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace vintrel::test {

// Wine's own call for the Linux name of a Windows path; nothing on Windows.
using UnixNameCall = char*(CDECL*)(LPCWSTR);
inline UnixNameCall UnixNameFunction() {
    static const UnixNameCall call = reinterpret_cast<UnixNameCall>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    return call;
}

// Under Wine, the Linux name of a Windows path; empty elsewhere.
inline std::string UnixName(const std::string& path) {
    if (!UnixNameFunction()) return "";
    std::wstring wide(path.size() + 1, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), static_cast<int>(wide.size()));
    char* name = UnixNameFunction()(wide.c_str());
    if (!name) return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

// Runs `sh -c command` (no double quotes in it) under Wine and waits for it to end, a minute
// at most; true when it ended with status 0. False outside Wine.
inline bool RunLinuxCommand(const std::string& command) {
    if (!UnixNameFunction()) return false;
    static LONG serial = 0;
    char temp[MAX_PATH + 1] = "";
    GetTempPathA(sizeof temp, temp);
    std::string folder;
    do {
        folder = std::string(temp) + "vintrel-linux-" + std::to_string(GetCurrentProcessId()) +
                 "-" + std::to_string(InterlockedIncrement(&serial));
    } while (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    const std::string status = folder + "\\status";
    const std::string unixStatus = UnixName(status);
    HANDLE change =
        FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
    // Written aside and renamed: the status appears whole.
    std::string line = "sh -c \"" + command + "; echo $? > '" + unixStatus + ".part' && mv '" +
                       unixStatus + ".part' '" + unixStatus + "'\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    bool ended = false;
    if (change != INVALID_HANDLE_VALUE &&
        CreateProcessA("Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        if (process.hProcess) CloseHandle(process.hProcess);
        if (process.hThread) CloseHandle(process.hThread);
        const DWORD deadline = GetTickCount() + 60000;
        while (!(ended = GetFileAttributesA(status.c_str()) != INVALID_FILE_ATTRIBUTES) &&
               static_cast<LONG>(deadline - GetTickCount()) > 0) {
            // Wine's wait on a change handle now and then fails at once: the folder is then
            // watched anew (and looked at again) rather than given up on.
            if (WaitForSingleObject(change, 60000) == WAIT_OBJECT_0 &&
                FindNextChangeNotification(change)) {
                continue;
            }
            FindCloseChangeNotification(change);
            change =
                FindFirstChangeNotificationA(folder.c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME);
            if (change == INVALID_HANDLE_VALUE) break;
        }
    }
    if (change != INVALID_HANDLE_VALUE) FindCloseChangeNotification(change);
    char code[16] = "";
    DWORD got = 0;
    HANDLE file = CreateFileA(status.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ReadFile(file, code, sizeof code - 1, &got, nullptr);
        CloseHandle(file);
    }
    DeleteFileA(status.c_str());
    RemoveDirectoryA(folder.c_str());
    const bool succeeded = ended && std::string(code, got) == "0\n";
    if (!succeeded) {
        std::fprintf(stderr, "linux command %s: %s\n", ended ? "failed" : "never ended",
                     command.c_str());
    }
    return succeeded;
}

} // namespace vintrel::test
