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

// A name that would forge a line of the profile, the log or the console if written as it is:
// one holding a control character (a line break) or the profile's "|".
bool IsUnsafeName(const std::string& name);

// Whether the text holds the pattern from `at` on: a "0" in the pattern stands for any digit,
// every other character for itself ("0000-" for a year and its dash).
bool MatchesDigits(const std::string& text, std::size_t at, std::string_view pattern);

// The text as it may be written in a line: each control character (a line break) shown as "?".
std::string Printable(std::string text);

// Windows compares file names without regard to case: this folds the ASCII letters.
bool SamePath(const std::string& a, const std::string& b);

// The path as a key under which every spelling that differs only in the case of ASCII letters
// or in "/" for "\" is one: letters folded to lower case, "/" made "\".
std::string PathKey(std::string path);

// The plain path of a final path as Windows reports it: "\\?\C:\x" is "C:\x",
// "\\?\UNC\server\share" is "\\server\share", and the terminating NUL that Vista's ANSI call
// counts in its length is no part of it.
std::string PlainFinalPath(std::string reported);

} // namespace vintrel
