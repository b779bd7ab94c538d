// What the files of Win32Disk share among themselves, and no one else needs.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "app/disk.h"

namespace vintrel {

// What a system error means for a file step.
DiskError ErrorOf(DWORD error);

// Whether an error says that nothing of that name is there: no such file, no folder on the
// way, no such drive, share or server, a drive with no disk in it, a name no file can have.
bool NothingThere(DWORD error);

// A 64-bit number that Windows hands over in two halves (a size, an index, a time).
inline std::uint64_t SizeOf(DWORD high, DWORD low) {
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

inline std::uint64_t TimeOf(const FILETIME& time) {
    return SizeOf(time.dwHighDateTime, time.dwLowDateTime);
}

// The plain path of the file or folder a handle is open on ("C:\\x", "\\\\server\\share\\x");
// empty where the system cannot say. FinalPathOfName opens the path only to ask.
std::string FinalPathOf(HANDLE handle);
std::string FinalPathOfName(const std::string& path);

// The plain path a name has where its last name is no link: its folder's final path and the
// name. Empty where the folder's cannot be asked. A file or folder opened at the name whose
// own final path is another was reached through a link (under Wine, whose Linux links open
// as what they lead to).
std::string OwnPathOf(const std::string& path);

// Marks an open file (opened with delete access) to go when it is closed.
bool DeleteOnClose(HANDLE file);

// Renames an open file (opened with delete access) through its own handle, over whatever
// stands at the new name; the error, or ERROR_SUCCESS.
DWORD RenameOpenFile(HANDLE file, const std::string& destination);

// The file's index on its volume, from an open handle; nothing where it cannot be asked.
std::optional<std::uint64_t> IndexOf(HANDLE file);

// Whether an index tells files apart: not 0 or all ones, which some file systems give every file.
inline bool TellsFiles(std::uint64_t index) {
    return index != 0 && index != ~0ULL;
}

// Whether the file a handle is open on (with FILE_FLAG_OPEN_REPARSE_POINT) is a link: a
// reparse point whose tag names another place. Cloud and deduplicated files are none.
bool IsLinkHandle(HANDLE file);

// Whether `named` (opened with FILE_FLAG_OPEN_REPARSE_POINT) is the very file `file` is open
// on and no link: None where their indexes agree (see TellsFiles); Link where it is another
// file or a link; Other where an index cannot be asked.
DiskError ThisVeryFile(HANDLE file, HANDLE named);

// Whether a name leads to the very file a handle is open on, and is not a link.
bool IsThisFile(HANDLE file, const std::string& path);

// Whether what has these attributes (INVALID_FILE_ATTRIBUTES: nothing there) is never to be
// replaced by a file: a folder, or a read-only file (Windows' own rename refuses one; Wine's
// would not).
inline bool RefusesReplacing(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0;
}

// A path as the wide calls take it, from the ANSI code page: as it is where it is shorter than
// MAX_PATH; else made absolute with "\\?\" before it ("\\?\UNC\server\share\..." for a
// share), which lifts the limit of MAX_PATH characters (every Windows NT). The record beside
// a long target ("Vintrel Copies.txt") and a copy's temporary names may be that long while
// the destination is not.
std::wstring WidePath(const std::string& path);

// A text the way the ANSI calls read it: from the ANSI code page, as it is.
std::wstring WideOf(const std::string& text);

// The file calls for a path of any length: the ANSI call for one shorter than MAX_PATH (as
// ever), the wide call with WidePath for a longer one (the ANSI calls refuse it).
DWORD AttributesAt(const std::string& path);
BOOL AttributesExAt(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data);
BOOL SetAttributesAt(const std::string& path, DWORD attributes);
HANDLE CreateFileAt(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags);
BOOL DeleteFileAt(const std::string& path);
BOOL MoveFileExAt(const std::string& from, const std::string& to, DWORD flags);

// Gives the open file these marks (read-only, hidden, system, archive...), through its handle:
// never by a name that a link may have taken meanwhile. The handle needs FILE_WRITE_ATTRIBUTES.
bool SetMarksOf(HANDLE file, DWORD marks);

} // namespace vintrel
