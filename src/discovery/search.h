// The walk over a drive that finds the mail and address-book data files.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/disk.h"
#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

struct DataFileKind {
    const char* kindText;
    const char* versionText;
};

// During the search, pending window messages are handled once this many milliseconds have
// passed since the last handling (checked at every file), and once more at the end.
inline constexpr std::uint32_t kSearchUpkeepIntervalMs = 20;

// What kind of data file a full path names, if any. Endings and the "Outlook Express" folder
// are compared without regard to the case of ASCII letters, as Windows names them.
std::optional<DataFileKind> ClassifyDataFile(const std::string& fullPath);

// The mark for the next file: a hyphen, the spinner's first character, a hyphen; the
// spinner then turns by one.
std::string NextSpinnerMark(std::string& spinner);

// Why a file or folder is left out of the list: no name of it opens it through the ANSI calls
// (see OpenableName), and it has no short name that does.
enum class LeftOutWhy {
    CodePage, // the ANSI code page cannot hold its name
    Spelling, // no Windows path can spell its name (a line break, "|", ":", a final dot, "NUL")
};

struct LeftOutName {
    std::string path; // a folder's ends in "\"; control characters shown as "?"
    LeftOutWhy why;
    friend bool operator==(const LeftOutName&, const LeftOutName&) = default;
};

// What a search could not list: the data files, and every folder, left out, in the order met.
struct SearchResult {
    std::vector<LeftOutName> leftOut;
    // The files a backup's record names as its copies, listed all the same: each changed since
    // the copy was made (opened in a mail program and worked in?), or a link, or a file with
    // other names too. Control characters shown as "?".
    std::vector<std::string> changedCopies;
};

// What the window's status says when a search ends: that all was found, or how many names it
// left out and why, and how many copies it listed as changed since they were made.
std::string SearchEndText(const SearchResult& result);

// Empties both lists, then walks every directory below the start in depth-first pre-order
// and lists every data file it meets, apart from the copies that a backup's record names
// below its folder, while each is still that copy: a plain file with one name, of the size and
// time the record gives it. Folder links are followed once to folders off the walked tree, never to
// the root of a drive and never on from a tree a link led to. Events made while files are met
// are thrown away; those made after the last one are left for the event loop. A run without
// a window gives neither a list nor a pump: the search then only fills the profile list.
SearchResult SearchDataFiles(AppState& state, Disk& disk, ListSink* list, EventPump* pump,
                             const std::string& startDirectory);
inline SearchResult SearchDataFiles(AppState& state, Disk& disk, Screen& screen,
                                    const std::string& startDirectory) {
    return SearchDataFiles(state, disk, &screen, &screen, startDirectory);
}

} // namespace vintrel
