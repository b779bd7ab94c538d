// What a folder holds: listings, the entry a path names, and the short names that stand in
// for names the ANSI code page cannot hold exactly.
#include "win32/win32_disk.h"

#include <windows.h>

#include <map>
#include <string>

#include "app/paths.h"
#include "app/probe.h"
#include "win32/disk_internal.h"

namespace vintrel {

namespace {

// A name in the ANSI code page, and whether exactly: what the code page cannot hold becomes
// "?", never a look-alike (the ANSI listing gives "Lukasz" for "Łukasz", "8" for "∞", "/" for
// a fullwidth slash: another file, or none), and the name is exact only when it comes back as
// the very same name. Where the code page is UTF-8 (Windows 10 can make it so) the flags and
// the stand-in are refused, and only the way back tells.
std::string AnsiOf(const wchar_t* wide, bool& exact) {
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const char* standIn = utf8 ? nullptr : "?";
    exact = false;
    const int length = WideCharToMultiByte(CP_ACP, flags, wide, -1, nullptr, 0, standIn, used);
    if (length <= 0) return "";
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide, -1, text.data(), length, standIn, used);
    text.pop_back();
    exact = !usedDefault && WideOf(text) == wide;
    return text;
}

// What a listing says of an entry, but its names.
template <typename FindData> DiskEntry FactsOf(const FindData& data) {
    DiskEntry entry;
    entry.attributes = data.dwFileAttributes;
    entry.size = SizeOf(data.nFileSizeHigh, data.nFileSizeLow);
    entry.lastWriteTime = TimeOf(data.ftLastWriteTime);
    entry.creationTime = TimeOf(data.ftCreationTime);
    // The listing gives the reparse tag in this field, and only for reparse points.
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) entry.reparseTag = data.dwReserved0;
    return entry;
}

DiskEntry EntryOf(const WIN32_FIND_DATAW& data) {
    DiskEntry entry = FactsOf(data);
    entry.name = AnsiOf(data.cFileName, entry.nameExact);
    bool exact = false;
    entry.shortName = AnsiOf(data.cAlternateFileName, exact);
    if (!exact) entry.shortName.clear();
    return entry;
}

// Lists with FindFirstFileExW where Windows has the basic level (no short names, larger
// batches): the same entries in the same order, fetched faster. Older Windows refuses it,
// and from then on the classic FindFirstFileW does the work.
bool basicLevelRefused = false;

HANDLE StartListing(const std::wstring& pattern, WIN32_FIND_DATAW& data) {
    if (!basicLevelRefused) {
        HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (find != INVALID_HANDLE_VALUE) return find;
        const DWORD error = GetLastError();
        if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED &&
            error != ERROR_INVALID_LEVEL) {
            return find;
        }
        basicLevelRefused = true;
    }
    return FindFirstFileW(pattern.c_str(), &data);
}

class Win32DirectoryReader : public DirectoryReader {
public:
    // An empty directory (one without even "." and "..") has no find handle.
    Win32DirectoryReader(HANDLE find, const WIN32_FIND_DATAW& first, std::wstring pattern)
        : find_(find), data_(first), pattern_(std::move(pattern)) {}
    ~Win32DirectoryReader() override {
        if (find_ != INVALID_HANDLE_VALUE) FindClose(find_);
    }
    bool Next(DiskEntry& entry) override {
        if (find_ == INVALID_HANDLE_VALUE) return false;
        if (!haveData_ && !FindNextFileW(find_, &data_)) return false;
        haveData_ = false;
        entry = EntryOf(data_);
        // A name that cannot be opened as it is goes by its short name, which the basic level
        // leaves out.
        if (entry.shortName.empty() && OpenableName(entry).empty()) {
            entry.shortName = ShortNameOf(data_.cFileName);
        }
        return true;
    }

private:
    // The short name of an entry of this folder, from one listing at the standard level made
    // when the first is needed (wide names are told apart exactly); empty where it has none
    // that the code page holds exactly.
    std::string ShortNameOf(const std::wstring& name) {
        if (!shortNamesRead_) {
            shortNamesRead_ = true;
            WIN32_FIND_DATAW data;
            HANDLE find = FindFirstFileW(pattern_.c_str(), &data);
            if (find != INVALID_HANDLE_VALUE) {
                do {
                    if (data.cAlternateFileName[0]) {
                        shortNames_[data.cFileName] = data.cAlternateFileName;
                    }
                } while (FindNextFileW(find, &data));
                FindClose(find);
            }
        }
        const auto found = shortNames_.find(name);
        if (found == shortNames_.end()) return "";
        bool exact = false;
        const std::string shortName = AnsiOf(found->second.c_str(), exact);
        return exact ? shortName : "";
    }

    HANDLE find_;
    WIN32_FIND_DATAW data_;
    std::wstring pattern_;
    bool haveData_ = true;
    bool shortNamesRead_ = false;
    std::map<std::wstring, std::wstring> shortNames_;
};

} // namespace

unsigned Win32Disk::DriveType(const std::string& root) {
    return GetDriveTypeA(root.c_str());
}

std::optional<DiskEntry> Win32Disk::FindEntry(const std::string& path) {
    // What the lookup would find for a path without wildcards, asked for directly: a lookup
    // lists the directory, which under Wine costs twenty times as much (a profile of 10,000
    // entries probes every one of them at start-up). What this cannot answer for sure
    // (access denied, a pattern) goes to the lookup itself.
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    const bool pattern = path.find_first_of("*?") != std::string::npos;
    if (!pattern && AttributesExAt(path, attributes)) {
        DiskEntry entry;
        entry.name = path.substr(path.find_last_of("\\/") + 1);
        entry.attributes = attributes.dwFileAttributes;
        entry.size = SizeOf(attributes.nFileSizeHigh, attributes.nFileSizeLow);
        entry.lastWriteTime = TimeOf(attributes.ftLastWriteTime);
        entry.creationTime = TimeOf(attributes.ftCreationTime);
        return entry;
    }
    if (!pattern && NothingThere(GetLastError())) return std::nullopt;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return std::nullopt;
    FindClose(find);
    DiskEntry entry = FactsOf(data);
    entry.name = data.cFileName;
    return entry;
}

std::optional<std::uint32_t> Win32Disk::Attributes(const std::string& path) {
    const DWORD attributes = AttributesAt(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

bool Win32Disk::Absent(const std::string& path) {
    // Beyond the ANSI path limit (the record beside a long target) the wide call asks.
    DWORD error = ERROR_SUCCESS;
    if (path.size() > kMaxPathChars) {
        if (AttributesAt(path) != INVALID_FILE_ATTRIBUTES) return false;
        error = GetLastError();
    } else {
        WIN32_FIND_DATAA data;
        HANDLE find = FindFirstFileA(path.c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            FindClose(find);
            return false;
        }
        error = GetLastError();
    }
    return NothingThere(error) || error == ERROR_NO_MORE_FILES;
}

std::unique_ptr<DirectoryReader> Win32Disk::OpenDirectory(const std::string& directory) {
    const std::string pattern = ListingPattern(directory);
    // A request that does not fit in a Windows path is refused, never cut short.
    if (pattern.size() > kMaxPathChars) return nullptr;
    // Listed by wide names, which the ANSI listing would give as look-alikes of other files.
    const std::wstring widePattern = WideOf(pattern);
    WIN32_FIND_DATAW data{};
    HANDLE find = StartListing(widePattern, data);
    if (find == INVALID_HANDLE_VALUE) {
        if (GetLastError() != ERROR_FILE_NOT_FOUND) return nullptr;
        return std::make_unique<Win32DirectoryReader>(INVALID_HANDLE_VALUE, data, widePattern);
    }
    return std::make_unique<Win32DirectoryReader>(find, data, widePattern);
}

} // namespace vintrel
