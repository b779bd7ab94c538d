#include "backup/whole_copy.h"

#include "backup/versions.h"

#include "app/paths.h"
#include "backup/checksum.h"
#include "backup/damage_check.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <optional>

namespace vintrel {

std::string TemporaryCopyPath(const std::string& destination) {
    return destination + ".~vt";
}

std::string ReleasedCopyPath(const std::string& destination) {
    return destination + ".~old";
}

void PaintPacer::Tick() {
    if (!pump_ || pump_->Milliseconds() - last_ < kCopyPaintIntervalMs) return;
    pump_->KeepPainted();
    last_ = pump_->Milliseconds();
}

namespace {

enum class Side { Source, Target };

// What a failed step means for the copy: a missing file only on the source's side, a full
// disk and a size limit only on the target's.
CopyOutcome OutcomeOf(Side side, DiskError error) {
    switch (error) {
    case DiskError::NotFound:
        return side == Side::Source ? CopyOutcome::SourceMissing : CopyOutcome::PathNotFound;
    case DiskError::NotAFolder:
        return side == Side::Target ? CopyOutcome::FileInTheWay : CopyOutcome::Failed;
    case DiskError::Link:
        return CopyOutcome::ThroughLink;
    case DiskError::InUse:
        return CopyOutcome::InUse;
    case DiskError::AccessDenied:
        return CopyOutcome::AccessDenied;
    case DiskError::DiskFull:
        return side == Side::Target ? CopyOutcome::DiskFull : CopyOutcome::Failed;
    case DiskError::TooLarge:
        return side == Side::Target ? CopyOutcome::TooLarge : CopyOutcome::Failed;
    default:
        return CopyOutcome::Failed;
    }
}

// Whether a new copy, not yet swapped in, was made elsewhere than in its folder (a folder on
// its way became a link before it was made), or that folder became a link in place. `within`:
// the folder of the run's own below it that the copy was made in, or empty.
bool MadeElsewhere(const CopyWay& way, FileWriter& copy, const std::string& within) {
    if (way.folder && way.folder->BecameLink()) return true;
    const std::string folder = way.folder ? way.folder->FinalPath() : way.targetFinalPath;
    if (folder.empty()) return false;
    const std::string made = copy.FinalPath();
    return !made.empty() && !SamePath(DirectoryPart(made), WithFinalSeparator(folder) + within);
}

// Whether a copy just swapped in lies outside the target, where that can be asked: a folder on
// its way became a link that the swap went through.
bool Astray(const CopyWay& way, FileWriter& copy) {
    if (way.targetFinalPath.empty()) return false;
    const std::string landed = copy.FinalPath();
    return !landed.empty() && !LiesBelow(landed, way.targetFinalPath);
}

// Whether an earlier copy stands at the destination whose first bytes show no damage. One whose
// first bytes cannot be read is not shown whole, and is left to the swap, as ever: another
// program that holds it (the mail program with the copy open) keeps it from being replaced,
// and the run says so.
bool GoodEarlierCopy(Disk& disk, const std::string& destination) {
    const std::optional<std::uint32_t> marks = disk.Attributes(destination);
    if (!marks || (*marks & kAttributeDirectory)) return false;
    DiskError why = DiskError::None;
    std::unique_ptr<FileSource> earlier = disk.OpenToCopy(destination, why);
    if (!earlier) return false;
    std::vector<char> head(kHeadSize);
    std::size_t have = 0;
    for (std::size_t got = 1; have < kHeadSize && got > 0; have += got) {
        if (!earlier->Read(head.data() + have, kHeadSize - have, got)) return false;
    }
    return WhyDamaged(destination, std::string_view(head.data(), have)).empty();
}

// The check of a source's first bytes, made on the pieces the copy reads: no byte is read for
// it alone, and the earlier copy's first bytes only when the source's show damage.
class DamageGate {
public:
    DamageGate(Disk& disk, const std::string& source, const std::string& destination,
               std::string* damage)
        : disk_(disk), source_(source), destination_(destination), damage_(damage),
          decided_(!damage || !HeadChecked(source)) {}

    // Takes the next piece read (an empty one at the end); true when the copy is to stop: the
    // source looks damaged and the earlier copy does not.
    bool Stops(const char* data, std::size_t size) {
        if (decided_) return false;
        head_.append(data, std::min(size, kHeadSize - head_.size()));
        if (size > 0 && head_.size() < kHeadSize) return false;
        decided_ = true;
        *damage_ = WhyDamaged(source_, head_);
        return !damage_->empty() && GoodEarlierCopy(disk_, destination_);
    }

private:
    Disk& disk_;
    const std::string& source_;
    const std::string& destination_;
    std::string* damage_;
    bool decided_;
    std::string head_; // the first bytes, from as many pieces as they came in
};

// Reads the whole source into the copy. The source must end as it began: same size, same
// last-write time, and every byte of it read.
CopyOutcome Transfer(FileSource& source, FileWriter& copy, const FileFacts& before,
                     PaintPacer& pacer, std::vector<char>& buffer, DamageGate& gate,
                     Checksum* sum) {
    std::uint64_t copied = 0;
    for (;;) {
        std::size_t got = 0;
        if (!source.Read(buffer.data(), buffer.size(), got))
            return OutcomeOf(Side::Source, source.Failure());
        if (gate.Stops(buffer.data(), got)) return CopyOutcome::LooksDamaged;
        if (got == 0) break;
        if (!copy.Write(buffer.data(), got)) return OutcomeOf(Side::Target, copy.Failure());
        if (sum) sum->Add(buffer.data(), got);
        copied += got;
        pacer.Tick();
    }
    const std::optional<FileFacts> after = source.Facts();
    if (!after || *after != before || copied != before.size) return CopyOutcome::SourceChanged;
    // Not flushed: like the system's own copy, it reaches the disk in the system's time.
    if (!copy.SetLastWriteTime(before.lastWriteTime))
        return OutcomeOf(Side::Target, copy.Failure());
    return CopyOutcome::Copied;
}

// Reads the new copy back from the disk, past the system's cache, and compares it with what was
// written: its size and checksum. None when they agree; else the outcome.
std::optional<CopyOutcome> ReadBackFault(FileWriter& copy, const CopyState& made,
                                         PaintPacer& pacer, std::vector<char>& buffer) {
    DiskError why = DiskError::None;
    std::unique_ptr<FileSource> back = copy.ReadBack(why);
    if (!back) return OutcomeOf(Side::Target, why);
    Checksum sum;
    std::uint64_t read = 0;
    for (std::size_t got = 1; got > 0; read += got) {
        if (!back->Read(buffer.data(), buffer.size(), got))
            return OutcomeOf(Side::Target, back->Failure());
        sum.Add(buffer.data(), got);
        pacer.Tick();
    }
    if (read != made.size || sum.Value() != made.checksum) return CopyOutcome::ReadBackDiffers;
    return std::nullopt;
}

// Tries a step again while another program holds the file it needs, each pause twice the
// one before; the step gives DiskError::None when it worked. The last try's failure.
template <typename Step> DiskError WhileHeld(Disk& disk, Step step) {
    DiskError why = step();
    std::uint32_t pause = kFirstHeldPause;
    for (int tries = 1; why == DiskError::InUse && tries < kHeldTries; ++tries, pause *= 2) {
        disk.Pause(pause);
        why = step();
    }
    return why;
}

// The earlier copy held to be moved, tried again while another program has it open.
std::unique_ptr<HeldFile> HoldEarlierCopy(Disk& disk, const std::string& destination,
                                          DiskError& why) {
    std::unique_ptr<HeldFile> held;
    why = WhileHeld(disk, [&] {
        DiskError failure = DiskError::Other;
        held = disk.HoldSoleFile(destination, failure);
        return held ? DiskError::None : failure;
    });
    return held;
}

// A large earlier copy is moved aside before the new one takes its name: replacing a file
// makes some file systems (ext4, under Wine) write the whole new copy out there and then,
// and freeing gigabytes at once takes a second or more. It is held open from then on, and
// every step acts on the open file. Nothing when it is small, or stays: a link, or a file with
// other names too, is another file's as well, and the swap replaces only the name; one that
// another program holds open (`why` InUse) cannot be replaced either.
std::unique_ptr<HeldFile> MoveAside(Disk& disk, const std::string& destination, DiskError& why) {
    const std::optional<DiskEntry> earlier = disk.FindEntry(destination);
    if (!earlier || earlier->size < kReleaseStep) return nullptr;
    std::unique_ptr<HeldFile> held = HoldEarlierCopy(disk, destination, why);
    if (!held || !held->MoveTo(ReleasedCopyPath(destination))) return nullptr;
    return held;
}

// The earlier copy, renamed in place to its version's name (`version`) and held; nothing (and why,
// in `notKept`) when it cannot be kept: then it is released as ever, unless another program holds
// it open (`holdFailure` InUse), and then nothing is replaced.
std::unique_ptr<HeldFile> KeepVersion(Disk& disk, const std::string& destination,
                                      std::string* notKept, DiskError& holdFailure,
                                      std::string& version) {
    const std::optional<DiskEntry> earlier = disk.FindEntry(destination);
    if (!earlier || (earlier->attributes & kAttributeDirectory)) return nullptr;
    version = VersionPath(destination, earlier->lastWriteTime);
    std::string why;
    std::unique_ptr<HeldFile> kept;
    if (version.size() >= 256) {
        why = "its version's name would have 256 characters or more";
    } else if (!disk.Absent(version)) {
        why = "a file of its version's name is there already";
    } else if (!(kept = HoldEarlierCopy(disk, destination, holdFailure)) ||
               !kept->MoveTo(version)) {
        why = "it could not be renamed";
        kept.reset();
    }
    if (notKept) *notKept = why;
    return kept;
}

// Gives the earlier copy's space back a piece at a time, the window painting in between.
void Release(HeldFile& held, PaintPacer& pacer) {
    while (held.Shrink(kReleaseStep))
        pacer.Tick();
    held.Delete();
}

} // namespace

std::string SizeText(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " bytes";
    const char* const units[] = {"KB", "MB", "GB", "TB", "PB"};
    double size = static_cast<double>(bytes) / 1024;
    std::size_t unit = 0;
    // 1023.96 MB would show as "1024.0 MB": from 1023.95 on it is the next unit.
    while (size >= 1023.95 && unit + 1 < std::size(units)) {
        size /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", size, units[unit]);
    return text;
}

CopyOutcome TargetOutcome(DiskError error) {
    return OutcomeOf(Side::Target, error);
}

bool HasLeftovers(Disk& disk, const std::string& destination) {
    return disk.Attributes(ReleasedCopyPath(destination)) ||
           disk.Attributes(TemporaryCopyPath(destination)) ||
           (disk.RenamesByName() && disk.Attributes(OwnFolderPath(DirectoryPart(destination), 0)));
}

void ClearLeftovers(Disk& disk, const std::string& destination) {
    const std::string aside = ReleasedCopyPath(destination);
    if (disk.Attributes(aside)) {
        // An earlier copy moved aside by a run that died before its swap: it goes back where
        // nothing took its name; it is released where the new copy did. A link or a name
        // shared with another file is no copy of ours: its name alone goes.
        DiskError why = DiskError::None;
        std::unique_ptr<HeldFile> held = disk.HoldSoleFile(aside, why);
        if (!held) {
            disk.RemoveFile(aside);
        } else if (disk.Attributes(destination) || !held->MoveTo(destination)) {
            held->Delete();
        }
    }
    const std::string temporary = TemporaryCopyPath(destination);
    // Where temporaries are made in folders of the run's own: this file's goes, and each
    // folder that is empty then.
    for (int n = 0; disk.RenamesByName() && n <= 9; ++n) {
        const std::string folder = OwnFolderPath(DirectoryPart(destination), n);
        disk.RemoveFile(WithFinalSeparator(folder) + FileNamePart(temporary));
        disk.RemoveFolder(folder);
    }
    if (!disk.Attributes(temporary)) return;
    disk.RemoveFile(temporary);
    // Other names were only taken while this one could not be cleared.
    for (int n = 1; n <= 9; ++n)
        disk.RemoveFile(temporary + std::to_string(n));
}

CopyOutcome CopyWholeFile(Disk& disk, PaintPacer& pacer, const std::string& sourcePath,
                          const std::string& destination, const std::string& destinationDirectory,
                          std::vector<char>& buffer, int keep, std::string* notKept, CopyWay* way,
                          std::string* damage) {
    DiskError why = DiskError::None;
    std::unique_ptr<FileSource> source = disk.OpenToCopy(sourcePath, why);
    if (!source) return OutcomeOf(Side::Source, why);
    const std::optional<FileFacts> before = source->Facts();
    if (!before) return CopyOutcome::Failed;
    // The record names the copy about to be made by the source's size and time: one made from
    // a source changed since would be known to no line, should the run die before it is told.
    if (way && way->expected && (before->size != way->expected->size ||
                                 before->lastWriteTime != way->expected->lastWriteTime)) {
        return CopyOutcome::SourceChanged;
    }
    // Known before a byte is written: more than the target's file system holds in one file.
    constexpr std::uint64_t kLargestFat32File = 0xFFFFFFFFu;
    if (before->size > kLargestFat32File) {
        const std::optional<std::uint64_t> limit = disk.FileSizeLimit(destinationDirectory);
        if (limit && before->size > *limit) return CopyOutcome::TooLarge;
    }
    // Known before a byte is written too: a disk that has less room than the copy. The
    // earlier copy keeps its room until the new one has taken its name (and a kept version
    // keeps it for good), so it counts for nothing here. Asked from a piece's size on: a
    // smaller copy that fills the disk fails as soon, as DiskFull.
    std::optional<std::uint64_t> free;
    if (before->size >= kCopyChunk) free = disk.Volume(destinationDirectory).freeBytes;
    if (free && before->size > *free) {
        if (way) way->noSpace = "needs " + SizeText(before->size) + ", has " + SizeText(*free);
        return CopyOutcome::NoSpace;
    }
    std::string temporary;
    std::unique_ptr<FileWriter> copy =
        CreateTemporaryFile(disk, TemporaryCopyPath(destination), temporary, why);
    if (!copy) return OutcomeOf(Side::Target, why);
    if (buffer.empty()) buffer.resize(kCopyChunk);
    DamageGate gate(disk, sourcePath, destination, damage);
    std::optional<Checksum> sum;
    if (way && (way->checksum || way->verify)) sum.emplace();
    CopyOutcome outcome = Transfer(*source, *copy, *before, pacer, buffer, gate, sum ? &*sum : nullptr);
    if (outcome == CopyOutcome::Copied && way) {
        way->made = CopyState{before->size, before->lastWriteTime, std::nullopt};
        if (sum) way->made->checksum = sum->Value();
    }
    source.reset();
    if (outcome == CopyOutcome::Copied) {
        // A new file is archive-marked already; only other marks cost a call. Given through
        // the open copy: its name may lead elsewhere by now (a folder swapped for a link).
        const std::uint32_t marks = before->attributes & kCopiedAttributes;
        if (marks & ~kAttributeArchive) copy->SetMarks(marks);
        // On the disk before it takes the name: a power cut then leaves the earlier copy or
        // the whole new one, never an empty file in its place.
        if (!copy->Flush()) outcome = OutcomeOf(Side::Target, copy->Failure());
    }
    const std::string beside = DirectoryPart(destination);
    const std::string within =
        DirectoryPart(temporary.substr(std::min(temporary.size(), beside.size())));
    if (outcome == CopyOutcome::Copied && way && MadeElsewhere(*way, *copy, within)) {
        // Nothing is done by a name through a folder that leads elsewhere now, and the copy goes
        // by its handle.
        copy->Discard(); // it goes as it is closed, on the way out
        return CopyOutcome::LinkSwappedIn;
    }
    // Read back once it is on the disk, and before it takes the earlier copy's place: a copy
    // that reads otherwise goes by its handle, the earlier copy untouched.
    if (outcome == CopyOutcome::Copied && way && way->verify) {
        if (const std::optional<CopyOutcome> fault =
                ReadBackFault(*copy, *way->made, pacer, buffer)) {
            copy->Discard(); // it goes as it is closed, on the way out
            return *fault;
        }
    }
    if (outcome == CopyOutcome::Copied) {
        // A read-only earlier copy loses its mark through its own handle, held as the one name
        // of a plain file: never by its name, which a link may have taken since it was checked.
        // Held, it is tried again while another program has it open.
        bool madeWritable = false;
        why = DiskError::None;
        if (const std::optional<std::uint32_t> marks = disk.Attributes(destination);
            marks && (*marks & kAttributeReadOnly) && !(*marks & kAttributeDirectory)) {
            if (std::unique_ptr<HeldFile> earlier = HoldEarlierCopy(disk, destination, why))
                madeWritable = earlier->SetReadOnly(false);
        }
        // The earlier copy is either kept as a version or moved aside to be released; one that
        // another program holds open is not replaced at all.
        std::string version;
        std::unique_ptr<HeldFile> aside;
        if (keep > 0 && why != DiskError::InUse)
            aside = KeepVersion(disk, destination, notKept, why, version);
        const bool versioned = aside != nullptr;
        if (!versioned && why != DiskError::InUse) aside = MoveAside(disk, destination, why);
        // Swapped in while still open: nothing is opened by name again.
        if (why != DiskError::InUse) {
            why = WhileHeld(disk, [&] {
                return copy->MoveOver(destination) ? DiskError::None : copy->Failure();
            });
        }
        if (why == DiskError::None) {
            if (way && Astray(*way, *copy)) {
                // The swap went through a link: undone. The earlier copy is not moved back
                // through it: one moved aside stays beside its name, for the next run to give
                // back in its folders held; a version stays one.
                copy->Discard(); // it goes as it is closed, on the way out
                return CopyOutcome::LinkSwappedIn;
            }
            // A close that fails (a delayed write on a network share) leaves no whole copy:
            // a copy moved aside goes back, its read-only mark too.
            const bool closed = copy->Close();
            copy.reset();
            if (aside && closed && !versioned) Release(*aside, pacer);
            if (aside && !closed && aside->MoveTo(destination) && madeWritable)
                aside->SetReadOnly(true);
            // The version just made is never pruned: it may stay held meanwhile.
            if (closed && versioned) PruneVersions(disk, destination, keep, FileNamePart(version));
            return closed ? CopyOutcome::Copied : CopyOutcome::Failed;
        }
        // The name may lead elsewhere now (a link swapped in at the temporary name was moved
        // there): the earlier copy takes it back only where nothing is there (never over a
        // file that is not this program's own), else the link goes.
        if (!aside || !disk.Absent(destination) || !aside->MoveTo(destination)) {
            if (disk.IsLink(destination)) disk.RemoveFile(destination);
        }
        aside.reset();
        // The earlier copy stays as it was, its read-only mark too: set again through its
        // handle, where its name still leads to it alone.
        if (madeWritable) {
            DiskError held = DiskError::None;
            if (std::unique_ptr<HeldFile> earlier = HoldEarlierCopy(disk, destination, held))
                earlier->SetReadOnly(true);
        }
        // A name that did not lead to the copy after the swap: a link was moved in its place.
        outcome = why == DiskError::InUse ? CopyOutcome::EarlierCopyHeld
                  : why == DiskError::Link ? CopyOutcome::LinkSwappedIn
                                           : OutcomeOf(Side::Target, why);
    }
    // Closed before it is removed; let go on the way out, and a folder of the run's own with it.
    copy->Close();
    disk.RemoveFile(temporary);
    return outcome;
}

} // namespace vintrel
