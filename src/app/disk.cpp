#include "app/disk.h"

#include <algorithm>

namespace vintrel {

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

bool ReplaceWholeFile(Disk& disk, const std::string& path, const std::string& temporary,
                      const std::string& bytes) {
    disk.RemoveFile(temporary);
    DiskError why = DiskError::None;
    std::unique_ptr<FileWriter> file = disk.CreateNewFile(temporary, why);
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
