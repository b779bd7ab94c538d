// The rows of the file list and their twins in the profile list, kept in step: row k and
// entry k always describe the same file.
#pragma once

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

void ClearFileRows(AppState& state, Screen& screen);
void AddFileRow(AppState& state, Screen& screen, const std::string& fullPath,
                const std::string& kind, const std::string& version, const std::string& status);

} // namespace vintrel
