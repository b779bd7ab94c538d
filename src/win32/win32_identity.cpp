// What a path really names: the file's identity and index, where its links lead, whether it
// has other names, who holds it, and how large a file its drive takes.
#include "win32/win32_disk.h"

#include <windows.h>

#include <string>

#include "app/paths.h"
#include "app/probe.h"
#include "win32/disk_internal.h"
#include "win32/handle.h"
#include "win32/system_calls.h"

namespace vintrel {

namespace {

// Opens a file or folder only to ask about it: no access to its content, every kind of
// sharing, so that it works whoever holds it open.
Handle OpenToAsk(const std::string& path) {
    if (path.size() > kMaxPathChars) return Handle();
    return Handle(::CreateFileA(path.c_str(), 0,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

} // namespace

std::optional<FileIdentity> Win32Disk::Identity(const std::string& path) {
    const Handle handle = OpenToAsk(path);
    if (!handle) return std::nullopt;
    // Windows 8 and later give the 128-bit identity, which alone tells files apart on ReFS; it
    // fails on file systems that keep none, and those give the 64-bit one.
    system_calls::FileIdInfo id{};
    constexpr int kFileIdInfo = 18;
    if (const auto ask = system_calls::GetFileInformationByHandleEx();
        ask && ask(handle.get(), kFileIdInfo, &id, sizeof id)) {
        return KnownIdentity(FileIdentity{static_cast<std::uint32_t>(id.volumeSerialNumber),
                                          id.idLow, id.idHigh});
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
    return KnownIdentity(
        FileIdentity{info.dwVolumeSerialNumber, SizeOf(info.nFileIndexHigh, info.nFileIndexLow)});
}

std::optional<std::uint64_t> Win32Disk::FileIndex(const std::string& path) {
    const Handle handle = OpenToAsk(path);
    if (!handle) return std::nullopt;
    const std::optional<std::uint64_t> index = IndexOf(handle.get());
    if (!index || !TellsFiles(*index)) return std::nullopt;
    return index;
}

std::string FinalPathOf(HANDLE handle) {
    // Windows before Vista has no such call; there nothing can say where a link leads.
    const auto call = system_calls::GetFinalPathNameByHandleA();
    if (!call) return "";
    std::string final(MAX_PATH, '\0');
    for (;;) {
        // On Vista and Server 2008 the ANSI call counts the terminating NUL in the length it
        // returns; later systems and Wine do not. Too small a buffer gives the size needed.
        const DWORD got = call(handle, final.data(), static_cast<DWORD>(final.size()), 0);
        if (got == 0) return "";
        if (got < final.size()) {
            final.resize(got);
            break;
        }
        final.resize(got + 1);
    }
    return PlainFinalPath(std::move(final));
}

std::string FinalPathOfName(const std::string& path) {
    const Handle handle = OpenToAsk(path);
    return handle ? FinalPathOf(handle.get()) : "";
}

std::string OwnPathOf(const std::string& path) {
    // The folder with its final separator as the path wrote it ("C:\x\", "C:/x/"), "." for a
    // name alone.
    const std::size_t cut = path.find_last_of("\\/");
    const std::string folder =
        FinalPathOfName(cut == std::string::npos ? "." : path.substr(0, cut + 1));
    if (folder.empty()) return "";
    return WithFinalSeparator(folder) + path.substr(cut == std::string::npos ? 0 : cut + 1);
}

std::string Win32Disk::FinalPath(const std::string& path) {
    return FinalPathOfName(path);
}

bool Win32Disk::LeadsElsewhere(const std::string& path) {
    // Where either cannot be asked (before Vista; a RAM disk or a volume without a letter; a
    // share whose folders cannot be read) nothing is known of where it leads.
    const std::string expected = OwnPathOf(path);
    const std::string found = FinalPath(path);
    if (expected.empty() || found.empty()) return false;
    return !SamePath(found, expected);
}

bool Win32Disk::IsLink(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The listing gives the reparse tag; a cloud file or a deduplicated one is no link.
        WIN32_FIND_DATAA data;
        const bool pattern = path.find_first_of("*?") != std::string::npos;
        HANDLE find = pattern ? INVALID_HANDLE_VALUE : FindFirstFileA(path.c_str(), &data);
        if (find == INVALID_HANDLE_VALUE) return true;
        FindClose(find);
        return IsLinkTag(data.dwReserved0);
    }
    // On Windows a name that is no reparse point is the file itself; under Wine a Linux link
    // to a file shows as that file, and only where its path leads tells it.
    return system_calls::RunningUnderWine() && LeadsElsewhere(path);
}

std::string Win32Disk::HolderOf(const std::string& path) {
    // The Restart Manager (Vista and later) knows which program holds a file; where it is
    // missing, nobody is named.
    const auto start = system_calls::RmStartSession();
    const auto add = system_calls::RmRegisterResources();
    const auto list = system_calls::RmGetList();
    const auto end = system_calls::RmEndSession();
    std::string holder;
    DWORD session = 0;
    WCHAR key[64] = {};
    if (start && add && list && end && start(&session, 0, key) == ERROR_SUCCESS) {
        std::wstring wide(path.size() + 1, L'\0');
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(),
                            static_cast<int>(wide.size()));
        const WCHAR* files[] = {wide.c_str()};
        system_calls::HolderInfo found[4] = {};
        UINT needed = 0, count = 4;
        DWORD reasons = 0;
        if (add(session, 1, files, 0, nullptr, 0, nullptr) == ERROR_SUCCESS &&
            list(session, &needed, &count, found, &reasons) == ERROR_SUCCESS && count > 0) {
            char name[512] = "";
            WideCharToMultiByte(CP_ACP, 0, found[0].appName, -1, name, sizeof name, nullptr,
                                nullptr);
            holder = name;
        }
        end(session);
    }
    return holder;
}

std::optional<std::uint64_t> Win32Disk::FileSizeLimit(const std::string& directory) {
    char root[MAX_PATH + 1] = "";
    char system[MAX_PATH + 1] = "";
    if (!GetVolumePathNameA(directory.c_str(), root, sizeof root) ||
        !GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, system,
                               sizeof system)) {
        return std::nullopt;
    }
    // FAT and FAT32 keep a file's size in 32 bits.
    if (std::string(system).rfind("FAT", 0) == 0) return 0xFFFFFFFFull;
    return std::nullopt;
}

VolumeFacts Win32Disk::Volume(const std::string& directory) {
    VolumeFacts facts;
    // GetVolumePathNameA and GetVolumeInformationA (Windows XP) name the file system of the
    // volume that holds the folder, a mounted one too; over a share, the server's.
    char root[MAX_PATH + 1] = "";
    char system[MAX_PATH + 1] = "";
    if (GetVolumePathNameA(directory.c_str(), root, sizeof root) &&
        GetVolumeInformationA(root, nullptr, 0, nullptr, nullptr, nullptr, system,
                              sizeof system)) {
        const std::string name = system;
        constexpr std::uint64_t kMillisecond = 10000; // in 100-nanosecond steps
        // FAT and FAT32 keep last-write times to 2 seconds, exFAT to 10 milliseconds.
        if (name == "exFAT") {
            facts.timeStep = 10 * kMillisecond;
        } else if (name.rfind("FAT", 0) == 0) {
            facts.timeStep = 2000 * kMillisecond;
        }
    }
    // GetDiskFreeSpaceExA (Windows XP) takes any folder of the volume (a share's with its
    // final "\"), and needs the right to list it. What is free for the caller counts a
    // per-user quota; the disk's whole free space would not.
    ULARGE_INTEGER available;
    if (GetDiskFreeSpaceExA(WithFinalSeparator(directory).c_str(), &available, nullptr,
                            nullptr)) {
        facts.freeBytes = available.QuadPart;
    }
    return facts;
}

} // namespace vintrel
