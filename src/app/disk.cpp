#include "app/disk.h"

#include <algorithm>

#include "app/paths.h"

namespace vintrel {

std::string OpenableName(const DiskEntry& entry) {
    if (entry.nameExact && IsPlainName(entry.name)) return entry.name;
    return IsPlainName(entry.shortName) ? entry.shortName : "";
}

std::string ListingPattern(const std::string& directory) {
    std::string pattern = directory;
    if (!pattern.empty() && pattern.back() != '\\') pattern += '\\';
    return pattern + "*.*";
}

namespace {

// Written in pieces, each of which may fail.
constexpr std::size_t kWriteChunk = 4096;

bool WriteAll(FileWriter& file, const std::string& bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += kWriteChunk) {
        if (!file.Write(bytes.data() + at, std::min(kWriteChunk, bytes.size() - at))) return false;
    }
    return true;
}

} // namespace

std::unique_ptr<HeldTurn> Disk::TakeTurn(const std::string& path, std::uint32_t waitMs,
                                         DiskError& why) {
    // The time waited is the pauses' own: each try between them takes a moment more.
    constexpr std::uint32_t kBetweenTries = 200;
    for (std::uint32_t waited = 0;; waited += kBetweenTries) {
        std::unique_ptr<HeldTurn> turn = TryTurn(path, why);
        if (turn || why != DiskError::InUse || waited >= waitMs) return turn;
        Pause(kBetweenTries);
    }
}

std::unique_ptr<FileWriter> CreateTemporaryFile(Disk& disk, const std::string& temporary,
                                                std::string& used, DiskError& why) {
    constexpr int kOtherNames = 9;
    for (int n = 0; n <= kOtherNames; ++n) {
        used = n == 0 ? temporary : temporary + std::to_string(n);
        disk.RemoveFile(used);
        std::unique_ptr<FileWriter> file = disk.CreateNewFile(used, why);
        if (file) return file;
        // A missing folder, a full disk or a file too large fails by any name.
        if (why != DiskError::AccessDenied && why != DiskError::InUse) break;
    }
    return nullptr;
}

bool ReplaceWholeFile(Disk& disk, const std::string& path, const std::string& wanted,
                      const std::string& bytes) {
    std::string temporary;
    DiskError why = DiskError::None;
    std::unique_ptr<FileWriter> file = CreateTemporaryFile(disk, wanted, temporary, why);
    if (!file) return false;
    bool written = WriteAll(*file, bytes);
    written = written && file->Flush();
    written = file->Close() && written;
    file.reset();
    if (written && disk.ReplaceFileWith(temporary, path)) return true;
    disk.RemoveFile(temporary);
    return false;
}

} // namespace vintrel
