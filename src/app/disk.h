// What the program asks of the file system. One real implementation talks to Windows;
// the unit tests use an in-memory tree.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vintrel {

inline constexpr std::uint32_t kAttributeDirectory = 0x10;
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;

struct DiskEntry {
    std::string name; // the long name, as the platform reports it
    std::uint32_t attributes = 0;
    std::uint64_t size = 0;
};

class Disk {
  public:
    virtual ~Disk() = default;

    // The kind of drive whose root is given ("C:\"): 0 unknown, 1 no such root, above 1 a
    // drive with a root directory.
    virtual unsigned DriveType(const std::string& root) = 0;

    // The first entry that the path names (as a lookup pattern), or nothing.
    virtual std::optional<DiskEntry> FindEntry(const std::string& path) = 0;

    // The attributes of what the path names, or nothing when it cannot be asked.
    virtual std::optional<std::uint32_t> Attributes(const std::string& path) = 0;
};

} // namespace vintrel
