// The file list: its rows on the screen and their twins in the profile list, kept in step
// (row k and entry k always describe the same file), and the format of both. The search and
// the profile fill it, the backup reads it, the window shows it.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/screen.h"
#include "app/state.h"

namespace vintrel {

inline constexpr const char* kStatusOkay = "Okay";
inline constexpr const char* kStatusMissing = "Missing/Damaged";
inline constexpr Colour kOkayColour = 0x0002F7FD;    // red 253, green 247, blue 2
inline constexpr Colour kMissingColour = 0x001B22FB; // red 251, green 34, blue 27
inline constexpr int kStatusColumn = 3;

// The four cells of a row as the list takes them: joined by line feeds.
std::string RowText(const std::string& fileName, const std::string& kind,
                    const std::string& version, const std::string& status);

// The cells of a row text: split at every line feed; a trailing one adds no cell.
std::vector<std::string> SplitRowText(const std::string& rowText);

// A profile entry: full path "|" kind "|" version.
std::string ProfileEntry(const std::string& fullPath, const std::string& kind,
                         const std::string& version);

// The three fields of an entry: before the first "|", between the first and second, between
// the second and third (or to the end). Missing fields are empty; a fourth and on are dropped.
std::array<std::string, 3> SplitProfileEntry(const std::string& line);

// The full path of an entry: the text before its first "|".
std::string EntryPath(const std::string& entry);

// The profile list and, where there is one, the list on the screen.
void ClearFileRows(AppState& state, ListSink* list);
void AddFileRow(AppState& state, ListSink* list, const std::string& fullPath,
                const std::string& kind, const std::string& version, const std::string& status);

} // namespace vintrel
