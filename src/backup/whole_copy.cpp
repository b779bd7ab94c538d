#include "backup/whole_copy.h"

#include <optional>

namespace vintrel {

std::string TemporaryCopyPath(const std::string& destination) {
    return destination + ".~vt";
}

std::string ReleasedCopyPath(const std::string& destination) {
    return destination + ".~old";
}


void PaintPacer::Tick() {
    if (screen_.Milliseconds() - last_ < kCopyPaintIntervalMs) return;
    screen_.KeepPainted();
    last_ = screen_.Milliseconds();
}

namespace {

CopyOutcome SourceOutcome(DiskError error) {
    switch (error) {
    case DiskError::NotFound:
        return CopyOutcome::SourceMissing;
    case DiskError::InUse:
        return CopyOutcome::InUse;
    case DiskError::AccessDenied:
        return CopyOutcome::AccessDenied;
    default:
        return CopyOutcome::Failed;
    }
}

CopyOutcome TargetOutcome(DiskError error) {
    switch (error) {
    case DiskError::InUse:
        return CopyOutcome::InUse;
    case DiskError::AccessDenied:
        return CopyOutcome::AccessDenied;
    case DiskError::DiskFull:
        return CopyOutcome::DiskFull;
    case DiskError::TooLarge:
        return CopyOutcome::TooLarge;
    default:
        return CopyOutcome::Failed;
    }
}

// Reads the whole source into the copy. The source must end as it began: same size, same
// last-write time, and every byte of it read.
CopyOutcome Transfer(FileSource& source, FileWriter& copy, const FileFacts& before,
                     PaintPacer& pacer, std::vector<char>& buffer) {
    std::uint64_t copied = 0;
    for (;;) {
        std::size_t got = 0;
        if (!source.Read(buffer.data(), buffer.size(), got)) return SourceOutcome(source.Failure());
        if (got == 0) break;
        if (!copy.Write(buffer.data(), got)) return TargetOutcome(copy.Failure());
        copied += got;
        pacer.Tick();
    }
    const std::optional<FileFacts> after = source.Facts();
    if (!after || *after != before || copied != before.size) return CopyOutcome::SourceChanged;
    // Not flushed: like the system's own copy, it reaches the disk in the system's time.
    if (!copy.SetLastWriteTime(before.lastWriteTime)) return TargetOutcome(copy.Failure());
    return CopyOutcome::Copied;
}

// A large earlier copy is moved aside before the new one takes its name: replacing a file
// makes some file systems (ext4, under Wine) write the whole new copy out there and then,
// and freeing gigabytes at once takes a second or more. It is held open from then on, and
// every step acts on the open file. Nothing when it is small, or stays: a link, or a file with
// other names too, is another file's as well, and the swap replaces only the name.
std::unique_ptr<HeldFile> MoveAside(Disk& disk, const std::string& destination) {
    const std::optional<DiskEntry> earlier = disk.FindEntry(destination);
    if (!earlier || earlier->size < kReleaseStep) return nullptr;
    std::unique_ptr<HeldFile> held = disk.HoldSoleFile(destination);
    if (!held || !held->MoveTo(ReleasedCopyPath(destination))) return nullptr;
    return held;
}

// Gives the earlier copy's space back a piece at a time, the window painting in between.
void Release(HeldFile& held, PaintPacer& pacer) {
    while (held.Shrink(kReleaseStep))
        pacer.Tick();
    held.Delete();
}

} // namespace

void ClearLeftovers(Disk& disk, const std::string& destination) {
    const std::string aside = ReleasedCopyPath(destination);
    if (disk.Attributes(aside)) {
        // An earlier copy moved aside by a run that died before its swap: it goes back where
        // nothing took its name; it is released where the new copy did. A link or a name
        // shared with another file is no copy of ours: its name alone goes.
        std::unique_ptr<HeldFile> held = disk.HoldSoleFile(aside);
        if (!held) {
            disk.RemoveFile(aside);
        } else if (disk.Attributes(destination) || !held->MoveTo(destination)) {
            held->Delete();
        }
    }
    const std::string temporary = TemporaryCopyPath(destination);
    if (!disk.Attributes(temporary)) return;
    disk.RemoveFile(temporary);
    // Other names were only taken while this one could not be cleared.
    for (int n = 1; n <= 9; ++n)
        disk.RemoveFile(temporary + std::to_string(n));
}

CopyOutcome CopyWholeFile(Disk& disk, PaintPacer& pacer, const std::string& sourcePath,
                          const std::string& destination, const std::string& destinationDirectory,
                          std::vector<char>& buffer) {
    DiskError why = DiskError::None;
    std::unique_ptr<FileSource> source = disk.OpenToCopy(sourcePath, why);
    if (!source) return SourceOutcome(why);
    const std::optional<FileFacts> before = source->Facts();
    if (!before) return CopyOutcome::Failed;
    // Known before a byte is written: more than the target's file system holds in one file.
    constexpr std::uint64_t kLargestFat32File = 0xFFFFFFFFu;
    if (before->size > kLargestFat32File) {
        const std::optional<std::uint64_t> limit = disk.FileSizeLimit(destinationDirectory);
        if (limit && before->size > *limit) return CopyOutcome::TooLarge;
    }
    std::string temporary;
    std::unique_ptr<FileWriter> copy =
        CreateTemporaryFile(disk, TemporaryCopyPath(destination), temporary, why);
    if (!copy) return TargetOutcome(why);
    if (buffer.empty()) buffer.resize(kCopyChunk);
    CopyOutcome outcome = Transfer(*source, *copy, *before, pacer, buffer);
    source.reset();
    if (outcome == CopyOutcome::Copied) {
        // A new file is archive-marked already; only other marks cost a call.
        if (before->attributes & ~kAttributeArchive)
            disk.SetAttributes(temporary, before->attributes);
        // On the disk before it takes the name: a power cut then leaves the earlier copy or
        // the whole new one, never an empty file in its place.
        if (!copy->Flush()) outcome = TargetOutcome(copy->Failure());
    }
    if (outcome == CopyOutcome::Copied) {
        disk.MakeWritable(destination);
        std::unique_ptr<HeldFile> aside = MoveAside(disk, destination);
        // Swapped in while still open: nothing is opened by name again.
        if (copy->MoveOver(destination)) {
            // A close that fails (a delayed write on a network share) leaves no whole copy:
            // a copy moved aside goes back.
            const bool closed = copy->Close();
            copy.reset();
            if (aside && closed) Release(*aside, pacer);
            if (aside && !closed) aside->MoveTo(destination);
            return closed ? CopyOutcome::Copied : CopyOutcome::Failed;
        }
        // The name may lead elsewhere now (a link swapped in at the temporary name was moved
        // there): the earlier copy takes it back, or the link goes.
        if (!aside || !aside->MoveTo(destination)) {
            if (disk.IsLink(destination)) disk.RemoveFile(destination);
        }
        outcome = TargetOutcome(copy->Failure());
    }
    copy.reset();
    disk.RemoveFile(temporary);
    return outcome;
}

} // namespace vintrel
