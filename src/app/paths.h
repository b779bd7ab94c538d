// Splitting a path into its directory and file name. Both "\" and "/" separate.
#pragma once

#include <string>
#include <string_view>

namespace vintrel {

// Everything up to and including the last separator before the end or the first "|";
// a leading double quote is skipped. Empty when there is no separator.
std::string DirectoryPart(const std::string& path);

// The name after the last separator (a "|" does not stop the scan), up to the first
// double quote after it; a leading double quote is skipped.
std::string FileNamePart(const std::string& path);

// A letter in lower case, as Windows compares names: ASCII letters only.
inline char FoldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// "\" and "/" both separate the names of a path.
inline bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

// Whether the path ends in a separator.
inline bool EndsInSeparator(const std::string& path) {
    return !path.empty() && IsPathSeparator(path.back());
}

// A folder joined to what follows: a "\" is added unless it is empty or ends in a separator.
inline std::string WithFinalSeparator(std::string folder) {
    if (!folder.empty() && !EndsInSeparator(folder)) folder += '\\';
    return folder;
}

// Whether a name, joined to its folder's path, is one that the ANSI calls open to exactly that
// file or folder, and that can be written in a line of the profile, the log or the console: not
// empty; no control character (a line break would forge a line), none of \ / : * ? " < > |
// (which no Windows name holds: under Wine they come from Linux names, and "?" is also where
// the code page could not hold a character); no final dot or space (Windows drops them, and
// then opens another name); and no device's name (NUL, CON, AUX, PRN, COM1 to COM9, LPT1 to
// LPT9, with any ending: "nul.pst" opens the device, not the file).
bool IsPlainName(const std::string& name);

// Whether the text holds the pattern from `at` on: a "0" in the pattern stands for any digit,
// every other character for itself ("0000-" for a year and its dash).
bool MatchesDigits(const std::string& text, std::size_t at, std::string_view pattern);

// The text as it may be written in a line: each control character (a line break) shown as "?".
std::string Printable(std::string text);

// Windows compares file names without regard to case: this folds the ASCII letters.
bool SamePath(const std::string& a, const std::string& b);

// How many characters of the path are its root, which no one makes: "C:\" (3), "C:" (2), a
// share's "\\server\share\", a prefixed "\\?\C:\" or "\\?\UNC\server\share\", a
// rooted "\" (1); 0 for a relative path.
std::size_t PathRootLength(const std::string& path);

// Whether a path lies below a folder (either ending in a separator or not), by the folders'
// names in any case; the folder itself is not below itself.
bool LiesBelow(const std::string& path, const std::string& folder);

// The path as a key under which every spelling that differs only in the case of ASCII letters
// or in "/" for "\" is one: letters folded to lower case, "/" made "\".
std::string PathKey(std::string path);

// The plain path of a final path as Windows reports it: "\\?\C:\x" is "C:\x",
// "\\?\UNC\server\share" is "\\server\share", and the terminating NUL that Vista's ANSI call
// counts in its length is no part of it.
std::string PlainFinalPath(std::string reported);

} // namespace vintrel
