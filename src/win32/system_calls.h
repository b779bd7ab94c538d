// The system calls that not every Windows has, or that no import library offers, found by name
// when first asked for and kept from then on. Each gives nullptr where the system lacks the
// call, so that the program still starts there and the caller does without it.
#pragma once

#include <windows.h>
#include <shlobj.h>

namespace vintrel::system_calls {

namespace detail {

// The call of that name in a system library (or else of the other name, where there is one),
// which is loaded if nothing has loaded it yet and then stays, as the call found in it is kept;
// nullptr where the library or the call is missing.
template <typename Call>
Call Find(const char* library, const char* name, const char* otherName = nullptr) {
    HMODULE module = GetModuleHandleA(library);
    if (module == nullptr) module = LoadLibraryA(library);
    if (module == nullptr) return nullptr;
    FARPROC found = GetProcAddress(module, name);
    if (found == nullptr && otherName != nullptr) found = GetProcAddress(module, otherName);
    return reinterpret_cast<Call>(reinterpret_cast<void*>(found));
}

} // namespace detail

// kernel32, Vista and later: the path a handle really leads to, every link resolved.
using GetFinalPathNameByHandleACall = DWORD(WINAPI*)(HANDLE, LPSTR, DWORD, DWORD);
inline GetFinalPathNameByHandleACall GetFinalPathNameByHandleA() {
    static const auto call =
        detail::Find<GetFinalPathNameByHandleACall>("kernel32.dll", "GetFinalPathNameByHandleA");
    return call;
}

// kernel32, Windows 8 and later: the 128-bit file identity (FileIdInfo), the only one that
// tells files apart on ReFS, whose 64-bit index is not unique.
struct FileIdInfo {
    ULONGLONG volumeSerialNumber;
    ULONGLONG idLow; // FILE_ID_128, in the order it lies in memory
    ULONGLONG idHigh;
};
using GetFileInformationByHandleExCall = BOOL(WINAPI*)(HANDLE, int, void*, DWORD);
inline GetFileInformationByHandleExCall GetFileInformationByHandleEx() {
    static const auto call = detail::Find<GetFileInformationByHandleExCall>(
        "kernel32.dll", "GetFileInformationByHandleEx");
    return call;
}

// Whether this is Wine rather than Windows: Wine's ntdll has a call that tells its version.
// Wine opens a Linux link as what it leads to, whatever the flags say, and only there does a
// name that is no reparse point lead to a file of another name.
inline bool RunningUnderWine() {
    static const bool wine = detail::Find<FARPROC>("ntdll.dll", "wine_get_version") != nullptr;
    return wine;
}

// ntdll, on every Windows NT. What it reports of a file call besides its status.
struct IoStatus {
    void* status;
    ULONG_PTR information;
};
// A name as ntdll takes it: lengths in bytes, not necessarily ended by a zero.
struct NtName {
    USHORT length;
    USHORT maximumLength;
    WCHAR* buffer;
};
// The calls that ask about an open file, or change it, by the kind of information.
using FileInformationCall = LONG(WINAPI*)(HANDLE, IoStatus*, void*, ULONG, int);
inline FileInformationCall NtQueryInformationFile() {
    static const auto call =
        detail::Find<FileInformationCall>("ntdll.dll", "NtQueryInformationFile");
    return call;
}
inline FileInformationCall NtSetInformationFile() {
    static const auto call = detail::Find<FileInformationCall>("ntdll.dll", "NtSetInformationFile");
    return call;
}
// A path of the ANSI calls' kind as the system names it ("\??\C:\..."), in a buffer of the
// process heap that the caller frees.
using RtlDosPathNameToNtPathName_UCall = BOOLEAN(WINAPI*)(const WCHAR*, NtName*, WCHAR**, void*);
inline RtlDosPathNameToNtPathName_UCall RtlDosPathNameToNtPathName_U() {
    static const auto call =
        detail::Find<RtlDosPathNameToNtPathName_UCall>("ntdll.dll", "RtlDosPathNameToNtPathName_U");
    return call;
}
using RtlNtStatusToDosErrorCall = ULONG(WINAPI*)(LONG);
inline RtlNtStatusToDosErrorCall RtlNtStatusToDosError() {
    static const auto call =
        detail::Find<RtlNtStatusToDosErrorCall>("ntdll.dll", "RtlNtStatusToDosError");
    return call;
}

// rstrtmgr, the Restart Manager, Vista and later: which programs hold a file. One of them.
struct HolderInfo {
    DWORD processId;
    FILETIME startTime;
    WCHAR appName[256];
    WCHAR serviceName[64];
    DWORD type;
    DWORD status;
    DWORD session;
    BOOL restartable;
};
using RmStartSessionCall = DWORD(WINAPI*)(DWORD*, DWORD, WCHAR*);
inline RmStartSessionCall RmStartSession() {
    static const auto call = detail::Find<RmStartSessionCall>("rstrtmgr.dll", "RmStartSession");
    return call;
}
using RmRegisterResourcesCall = DWORD(WINAPI*)(DWORD, UINT, const WCHAR**, UINT, void*, UINT,
                                               const WCHAR**);
inline RmRegisterResourcesCall RmRegisterResources() {
    static const auto call =
        detail::Find<RmRegisterResourcesCall>("rstrtmgr.dll", "RmRegisterResources");
    return call;
}
using RmGetListCall = DWORD(WINAPI*)(DWORD, UINT*, UINT*, HolderInfo*, DWORD*);
inline RmGetListCall RmGetList() {
    static const auto call = detail::Find<RmGetListCall>("rstrtmgr.dll", "RmGetList");
    return call;
}
using RmEndSessionCall = DWORD(WINAPI*)(DWORD);
inline RmEndSessionCall RmEndSession() {
    static const auto call = detail::Find<RmEndSessionCall>("rstrtmgr.dll", "RmEndSession");
    return call;
}

// uxtheme, where the system has visual themes at all.
using SetWindowThemeCall = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
inline SetWindowThemeCall SetWindowTheme() {
    static const auto call = detail::Find<SetWindowThemeCall>("uxtheme.dll", "SetWindowTheme");
    return call;
}

// shell32: the folder dialog, under the plain names the oldest shells export, or else with
// their "A".
using SHBrowseForFolderACall = LPITEMIDLIST(WINAPI*)(LPBROWSEINFOA);
inline SHBrowseForFolderACall SHBrowseForFolderA() {
    static const auto call = detail::Find<SHBrowseForFolderACall>(
        "shell32.dll", "SHBrowseForFolder", "SHBrowseForFolderA");
    return call;
}
using SHGetPathFromIDListACall = BOOL(WINAPI*)(LPCITEMIDLIST, LPSTR);
inline SHGetPathFromIDListACall SHGetPathFromIDListA() {
    static const auto call = detail::Find<SHGetPathFromIDListACall>(
        "shell32.dll", "SHGetPathFromIDList", "SHGetPathFromIDListA");
    return call;
}

} // namespace vintrel::system_calls
