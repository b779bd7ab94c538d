// Tells whether a path names a file (its size), a directory or drive root (-2) or
// nothing (-1).
#pragma once

#include <cstdint>
#include <string>

#include "app/disk.h"
#include "app/state.h"

namespace vintrel {

inline constexpr std::int64_t kProbeNothing = -1;
inline constexpr std::int64_t kProbeDirectory = -2;

// The longest path Windows takes in its ANSI calls, without the terminating NUL.
inline constexpr std::size_t kMaxPathChars = 259;
// Windows creates no directory whose path has this many characters or more.
inline constexpr std::size_t kDirectoryLimit = 248;

std::int64_t ProbeFileSize(Disk& disk, const std::string& path);

} // namespace vintrel
