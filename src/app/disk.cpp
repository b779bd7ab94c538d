#include "app/disk.h"

#include <algorithm>
#include <utility>

#include "app/paths.h"

namespace vintrel {

std::string OpenableName(const DiskEntry& entry) {
    if (entry.nameExact && IsPlainName(entry.name)) return entry.name;
    return IsPlainName(entry.shortName) ? entry.shortName : "";
}

bool IsFolder(Disk& disk, const std::string& path) {
    const std::optional<std::uint32_t> marks = disk.Attributes(path);
    return marks && (*marks & kAttributeDirectory);
}

std::string ListingPattern(const std::string& directory) {
    return WithFinalSeparator(directory) + "*.*";
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

std::string OwnFolderPath(const std::string& directory, int n) {
    return WithFinalSeparator(directory) + "~vt" + (n == 0 ? "" : std::to_string(n));
}

namespace {

// A new file in a folder of the run's own, which goes once the file is let go: every step is
// the file's.
class InOwnFolder : public FileWriter {
public:
    InOwnFolder(std::unique_ptr<HeldFolder> folder, std::unique_ptr<FileWriter> file)
        : folder_(std::move(folder)), file_(std::move(file)) {}
    bool Write(const char* data, std::size_t size) override { return file_->Write(data, size); }
    bool SetLastWriteTime(std::uint64_t time) override { return file_->SetLastWriteTime(time); }
    bool Flush() override { return file_->Flush(); }
    bool SetMarks(std::uint32_t marks) override { return file_->SetMarks(marks); }
    bool MoveOver(const std::string& destination) override {
        return file_->MoveOver(destination);
    }
    std::string FinalPath() override { return file_->FinalPath(); }
    bool Discard() override { return file_->Discard(); }
    std::unique_ptr<FileSource> ReadBack(DiskError& why) override { return file_->ReadBack(why); }
    bool Close() override { return file_->Close(); }
    DiskError Failure() override { return file_->Failure(); }

private:
    std::unique_ptr<HeldFolder> folder_; // let go after the file
    std::unique_ptr<FileWriter> file_;
};

constexpr int kOtherNames = 9;

// Whether a failure to make a file or folder may pass by another name: a missing folder, a
// full disk or a file too large fails by any name.
bool AnotherNameMayDo(DiskError why) {
    return why == DiskError::AccessDenied || why == DiskError::InUse;
}

std::unique_ptr<FileWriter> CreateInOwnFolder(Disk& disk, const std::string& temporary,
                                              std::string& used, DiskError& why) {
    const std::string name = FileNamePart(temporary);
    for (int n = 0; n <= kOtherNames; ++n) {
        const std::string folder = OwnFolderPath(DirectoryPart(temporary), n);
        used = WithFinalSeparator(folder) + name;
        // What a run that died left there; the folder goes only where nothing else is in it.
        disk.RemoveFile(used);
        disk.RemoveFolder(folder);
        std::unique_ptr<HeldFolder> held = disk.MakeOwnFolder(folder, why);
        if (!held) {
            if (AnotherNameMayDo(why)) continue;
            break;
        }
        std::unique_ptr<FileWriter> file = disk.CreateNewFile(used, why);
        if (!file) break;
        // Made where it was meant to be: the folder held is still the one made, by its name.
        const std::string made = file->FinalPath(), expected = held->FinalPath();
        if (!made.empty() && !expected.empty() &&
            !SamePath(made, WithFinalSeparator(expected) + name)) {
            file->Discard(); // it goes as it is closed, on the way out
            why = DiskError::Link;
            return nullptr;
        }
        return std::make_unique<InOwnFolder>(std::move(held), std::move(file));
    }
    return nullptr;
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
    if (disk.RenamesByName()) return CreateInOwnFolder(disk, temporary, used, why);
    for (int n = 0; n <= kOtherNames; ++n) {
        used = n == 0 ? temporary : temporary + std::to_string(n);
        disk.RemoveFile(used);
        std::unique_ptr<FileWriter> file = disk.CreateNewFile(used, why);
        if (file) return file;
        if (!AnotherNameMayDo(why)) break;
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
    if (disk.RenamesByName()) {
        // Where a rename goes by name, the folder of the run's own may be swapped for a link
        // between two steps: the new file takes the old one's hidden and system marks through
        // its own handle, and is swapped in while still open, by the file itself, kept only
        // where the name then leads to this very file (a read-only file or a folder there is
        // not replaced). Its folder goes once it is let go.
        constexpr std::uint32_t kKept = kAttributeHidden | kAttributeSystem;
        if (const std::optional<std::uint32_t> old = disk.Attributes(path);
            written && old && !(*old & kAttributeDirectory) && (*old & kKept)) {
            written = file->SetMarks((*old & kKept) | kAttributeArchive);
        }
        written = written && file->Flush();
        if (written && file->MoveOver(path)) return file->Close();
        file->Discard(); // it goes as it is closed, on the way out
        return false;
    }
    written = written && file->Flush();
    written = file->Close() && written;
    if (written && disk.ReplaceFileWith(temporary, path)) return true;
    disk.RemoveFile(temporary);
    return false;
}

} // namespace vintrel
