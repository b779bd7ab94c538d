#include "backup/backup.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <vector>

#include "app/file_list.h"
#include "app/ids.h"
#include "app/paths.h"
#include "app/probe.h"
#include "profile/copy_record.h"

namespace vintrel {

BackupPlan PlanBackup(const std::string& targetPath, const std::string& profileEntry) {
    BackupPlan plan;
    plan.source = EntryPath(profileEntry);
    plan.fileName = FileNamePart(plan.source);
    // The first three characters are the drive: its letter, colon and backslash.
    const std::string sourceDirectory = DirectoryPart(plan.source);
    const std::string relative = sourceDirectory.size() > 3 ? sourceDirectory.substr(3) : "";
    // A hand-written target may lack its final separator: one is put in between.
    plan.destinationDirectory = WithFinalSeparator(targetPath) + relative;
    plan.destination = plan.destinationDirectory + plan.fileName;
    plan.belowTarget = relative + plan.fileName;
    return plan;
}

std::string NotBackedUpText(std::size_t failed, std::size_t total) {
    return "Error: " + std::to_string(failed) + " of " + std::to_string(total) +
           " files were NOT backed up!";
}

namespace {


// Directories are made at every "\"; a hand-written target may separate them with "/".
std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The target folder as the record's home: "\" between its names, one at the end.
std::string TargetFolder(const std::string& targetPath) {
    return WithFinalSeparator(WithBackslashes(targetPath));
}

// One run over the list. Places are known by path and by identity: a destination that is a
// listed file's own source, however the target spells it (another drive letter for the same
// drive, a share, a folder link), would be replaced by a copy of itself or of another file,
// and live mail would be lost; one written already in this run would lose the first copy.
//
// A copy replaces a name in a folder, so a listed file can only be harmed from its own
// folder: folders are compared by identity once each, and the files themselves only where a
// destination's folder is a listed file's folder. (A file known by another name elsewhere, a
// hard link, keeps that name and its content when this one is replaced.)
class BackupRun {
public:
    BackupRun(const std::string& targetPath, const std::vector<std::string>& entries, Disk& disk,
              EventPump* pump, BackupReporter& reporter, bool skipUnchanged, int keep)
        : skipUnchanged_(skipUnchanged), keep_(keep), disk_(disk), reporter_(reporter),
          pacer_(pump), targetBase_(WithFinalSeparator(targetPath)),
          targetFolder_(TargetFolder(targetPath)), sourceIndexes_(entries.size()),
          others_(entries.size()), notKept_(entries.size()) {
        for (const std::string& entry : entries)
            plans_.push_back(PlanBackup(targetPath, entry));
        for (std::size_t k = 0; k < plans_.size(); ++k)
            sourceKeys_.emplace(PathKey(plans_[k].source), k);
    }

    BackupResult Run() {
        // What a run that died left is put right first, for every listed file, in its folders
        // held.
        for (const BackupPlan& plan : plans_) {
            if (plan.destination.size() < kDestinationLimit && PathBelow(plan.belowTarget) &&
                HasLeftovers(disk_, plan.destination) && !WhyNotHeld(plan)) {
                ClearLeftovers(disk_, plan.destination);
            }
        }
        std::vector<std::optional<CopyOutcome>> refused(plans_.size());
        std::vector<std::string> recorded;
        for (std::size_t i = 0; i < plans_.size(); ++i) {
            refused[i] = Refusal(i);
            if (!refused[i]) recorded.push_back(*PathBelow(plans_[i].belowTarget));
        }
        if (!recorded.empty()) {
            // A target that cannot be made says why for every file; no copy takes its name
            // before the record names it.
            const DiskError made = disk_.MakeDirectoryPath(targetFolder_);
            std::optional<CopyOutcome> none;
            if (made != DiskError::None) {
                none = TargetOutcome(made);
            } else if (!Record(recorded)) {
                none = CopyOutcome::NotRecorded;
            }
            for (std::optional<CopyOutcome>& outcome : refused)
                outcome = outcome ? outcome : none;
            if (!none) targetFinalPath_ = disk_.FinalPath(targetFolder_);
        }
        for (std::size_t i = 0; i < plans_.size(); ++i)
            Done(i, refused[i] ? *refused[i] : Copy(i));
        return std::move(result_);
    }

private:
    // Why an entry is not to be copied at all, known before anything is made on the disk.
    std::optional<CopyOutcome> Refusal(std::size_t i) {
        const BackupPlan& plan = plans_[i];
        if (plan.destination.size() >= kDestinationLimit) return CopyOutcome::PathTooLong;
        if (!PathBelow(plan.belowTarget)) return CopyOutcome::OutsideTarget;
        // A listed file at the destination by its spelling...
        const std::string destination = PathKey(plan.destination);
        if (auto k = sourceKeys_.find(destination); k != sourceKeys_.end()) {
            if (PathKey(plan.source) == destination) return CopyOutcome::OntoItself;
            others_[i] = plans_[k->second].source;
            return CopyOutcome::OverwritesListed;
        }
        if (!disk_.Attributes(plan.destination)) return std::nullopt;
        // ...or by what it is.
        const std::vector<std::size_t> listed = ListedBeside(plan.destinationDirectory);
        const std::optional<std::uint64_t> there =
            listed.empty() ? std::nullopt : disk_.FileIndex(plan.destination);
        std::optional<FileIdentity> identity;
        for (const std::size_t k : listed) {
            if (!there || *there != SourceIndex(k)) continue;
            // One of another volume may have the same index.
            if (!identity) identity = disk_.Identity(plan.destination);
            if (!identity) continue;
            if (identity == disk_.Identity(plan.source)) return CopyOutcome::OntoItself;
            if (identity == disk_.Identity(plans_[k].source)) {
                others_[i] = plans_[k].source;
                return CopyOutcome::OverwritesListed;
            }
        }
        return std::nullopt;
    }

    // Adds the destinations to the target's record of its copies; false when the record
    // cannot be read in full or written. Lines it holds already stay: their copies are there.
    bool Record(const std::vector<std::string>& destinations) {
        const std::string path = targetFolder_ + kCopyRecordName;
        const std::optional<DiskEntry> there = disk_.FindEntry(path);
        if (there && there->size > kCopyRecordLimit) return false;
        bool complete = true;
        const std::optional<std::string> old = disk_.ReadFile(path, complete);
        if (old ? !complete : !disk_.Absent(path)) return false;
        std::vector<std::string> lines = old ? ReadCopyRecord(*old) : std::vector<std::string>{};
        std::set<std::string> known;
        for (const std::string& line : lines)
            known.insert(PathKey(line));
        const std::size_t before = lines.size();
        for (const std::string& destination : destinations) {
            if (known.insert(PathKey(destination)).second) lines.push_back(destination);
        }
        if (old && lines.size() == before) return true;
        return ReplaceWholeFile(disk_, path, targetFolder_ + kCopyRecordTemporaryName,
                                CopyRecordText(lines));
    }

    CopyOutcome Copy(std::size_t i) {
        const BackupPlan& plan = plans_[i];
        if (WrittenFromAnotherSource(i)) return CopyOutcome::SameDestination;
        if (skipUnchanged_ && Unchanged(plan)) return CopyOutcome::Unchanged;
        CopyWay way{targetFinalPath_, nullptr};
        if (const std::optional<CopyOutcome> why = WhyNotHeld(plan, &way.folder)) return *why;
        if (LinkAtDestination(plan)) return CopyOutcome::ThroughLink;
        const CopyOutcome outcome =
            CopyWholeFile(disk_, pacer_, plan.source, plan.destination, plan.destinationDirectory,
                          buffer_, keep_, &notKept_[i], &way);
        if (outcome == CopyOutcome::Copied) Written(i);
        return outcome;
    }

    // Whether the copy has the source's size and a last-write time within 2 seconds of its
    // own (FAT keeps times to 2 s; an hour apart, as daylight saving shows on FAT, is a change).
    bool Unchanged(const BackupPlan& plan) {
        const std::optional<DiskEntry> copy = disk_.FindEntry(plan.destination);
        if (!copy || (copy->attributes & kAttributeDirectory)) return false;
        const std::optional<DiskEntry> source = disk_.FindEntry(plan.source);
        if (!source || (source->attributes & kAttributeDirectory) || source->size != copy->size) {
            return false;
        }
        constexpr std::uint64_t kTwoSeconds = 2 * 10000000ULL; // in 100-nanosecond steps
        const std::uint64_t apart = source->lastWriteTime > copy->lastWriteTime
                                        ? source->lastWriteTime - copy->lastWriteTime
                                        : copy->lastWriteTime - source->lastWriteTime;
        return apart <= kTwoSeconds;
    }

    // Holds each folder below the target on the way to a destination, made where missing and
    // known to be no link, for the rest of the run: from then on no other program can rename
    // or remove one, or put a link in its place. (The target itself may be a link.) Why not,
    // where one cannot be held; `last` gets the destination's own folder, where it is one.
    std::optional<CopyOutcome> WhyNotHeld(const BackupPlan& plan, HeldFolder** last = nullptr) {
        const std::string directory = WithBackslashes(plan.destinationDirectory);
        for (std::size_t at = directory.find('\\', targetBase_.size()); at != std::string::npos;
             at = directory.find('\\', at + 1)) {
            if (directory[at - 1] == '\\') continue; // no name between two separators
            const std::string folder = directory.substr(0, at);
            std::unique_ptr<HeldFolder>& held = held_[PathKey(folder)];
            if (!held) {
                DiskError why = DiskError::None;
                held = disk_.HoldFolder(folder, why);
                if (!held) {
                    held_.erase(PathKey(folder));
                    return TargetOutcome(why);
                }
            }
            if (last) *last = held.get();
        }
        return std::nullopt;
    }

    // Whether the destination itself is a link: what it leads to is not the target's to write.
    bool LinkAtDestination(const BackupPlan& plan) {
        const std::optional<std::uint32_t> attributes = disk_.Attributes(plan.destination);
        if (!attributes) return false;
        // A cloud file is a reparse point and no link. Under Wine a link to a file shows as
        // that file; only a read-only one is touched before the swap (its mark cleared), so
        // only then is it asked.
        return (*attributes & (kAttributeReparsePoint | kAttributeReadOnly)) &&
               disk_.IsLink(plan.destination);
    }

    // Whether this run copied another source to the destination already: by its spelling, or
    // in a folder that is (by identity) the folder of one written, by its name there; a short
    // name ("BOX~1.PST") is only known to be another by the file's identity.
    bool WrittenFromAnotherSource(std::size_t i) {
        const BackupPlan& plan = plans_[i];
        std::optional<std::size_t> written;
        if (auto it = writtenKeys_.find(PathKey(plan.destination)); it != writtenKeys_.end()) {
            written = it->second;
        } else if (!writtenIn_.empty() && disk_.Attributes(plan.destination)) {
            const std::optional<std::uint64_t> folder = FolderIndex(plan.destinationDirectory);
            if (!folder) return false;
            const std::string name = PathKey(plan.fileName);
            auto [first, last] = writtenIn_.equal_range(*folder);
            for (auto it = first; it != last && !written; ++it) {
                const std::string& other = plans_[it->second].fileName;
                const bool shortName = (name + other).find('~') != std::string::npos;
                if (PathKey(other) == name ||
                    (shortName && SameFile(plan.destination, plans_[it->second].destination))) {
                    written = it->second;
                }
            }
        }
        if (!written || SameSource(i, *written)) return false;
        others_[i] = plans_[*written].source;
        return true;
    }

    bool SameFile(const std::string& a, const std::string& b) {
        const std::optional<FileIdentity> one = disk_.Identity(a);
        return one && one == disk_.Identity(b);
    }

    // The same file listed twice is copied twice. (Paths that differ in case only may name two
    // files: on a Linux drive under Wine they do.)
    bool SameSource(std::size_t i, std::size_t k) {
        return plans_[i].source == plans_[k].source || SameFile(plans_[i].source, plans_[k].source);
    }

    void Written(std::size_t i) {
        writtenKeys_.emplace(PathKey(plans_[i].destination), i);
        if (const std::optional<std::uint64_t> folder = FolderIndex(plans_[i].destinationDirectory)) {
            writtenIn_.emplace(*folder, i);
        }
    }

    void Done(std::size_t i, CopyOutcome outcome) {
        const BackupPlan& plan = plans_[i];
        FileResult file{plan.source, plan.fileName, outcome, "", others_[i], notKept_[i]};
        if (outcome == CopyOutcome::InUse) file.holder = disk_.HolderOf(plan.source);
        if (outcome == CopyOutcome::EarlierCopyHeld) file.holder = disk_.HolderOf(plan.destination);
        reporter_.FileDone(file);
        result_.files.push_back(std::move(file));
    }

    // The index of a folder, asked for once a run where it is there.
    std::optional<std::uint64_t> FolderIndex(const std::string& folder) {
        if (auto known = folders_.find(folder); known != folders_.end()) return known->second;
        const std::optional<std::uint64_t> index = disk_.FileIndex(folder);
        if (index) folders_.emplace(folder, *index);
        return index;
    }

    const std::optional<std::uint64_t>& SourceIndex(std::size_t k) {
        if (!sourceIndexes_[k]) sourceIndexes_[k] = disk_.FileIndex(plans_[k].source);
        return *sourceIndexes_[k];
    }

    // The listed files whose folder may be the given one: those in a folder of the same index,
    // and those whose folder cannot be asked; every one when the given folder cannot be.
    std::vector<std::size_t> ListedBeside(const std::string& folder) {
        if (!listedIn_) {
            listedIn_.emplace();
            for (std::size_t k = 0; k < plans_.size(); ++k) {
                const std::optional<std::uint64_t> index =
                    FolderIndex(DirectoryPart(plans_[k].source));
                if (index) {
                    listedIn_->emplace(*index, k);
                } else {
                    unknownFolders_.push_back(k);
                }
            }
        }
        const std::optional<std::uint64_t> index = FolderIndex(folder);
        std::vector<std::size_t> listed = unknownFolders_;
        if (!index) {
            listed.resize(plans_.size());
            for (std::size_t k = 0; k < listed.size(); ++k)
                listed[k] = k;
            return listed;
        }
        auto [first, last] = listedIn_->equal_range(*index);
        for (auto it = first; it != last; ++it)
            listed.push_back(it->second);
        return listed;
    }

    bool skipUnchanged_;
    int keep_;
    Disk& disk_;
    BackupReporter& reporter_;
    PaintPacer pacer_;
    std::string targetBase_; // the target as the destinations begin with it
    std::string targetFolder_;
    std::vector<BackupPlan> plans_;
    std::string targetFinalPath_; // where the target really is; empty where that cannot be asked
    // The folders below the target held so far, by their keys; each stays held until the run
    // ends.
    std::map<std::string, std::unique_ptr<HeldFolder>> held_;
    std::multimap<std::string, std::size_t> sourceKeys_;
    std::map<std::string, std::uint64_t> folders_;
    std::vector<std::optional<std::optional<std::uint64_t>>> sourceIndexes_;
    // Where each listed file stands by its folder's index, made when a destination first
    // exists (a first backup never needs it).
    std::optional<std::multimap<std::uint64_t, std::size_t>> listedIn_;
    std::vector<std::size_t> unknownFolders_;
    // The destinations written so far, by spelling and by their folder's index.
    std::map<std::string, std::size_t> writtenKeys_;
    std::multimap<std::uint64_t, std::size_t> writtenIn_;
    std::vector<std::string> others_; // the other listed file an entry gave way to
    std::vector<std::string> notKept_; // why an earlier copy could not be kept as a version
    std::vector<char> buffer_;
    BackupResult result_;
};

} // namespace

std::size_t BackupResult::Failed() const {
    return static_cast<std::size_t>(std::count_if(files.begin(), files.end(), [](const FileResult& f) {
        return f.outcome != CopyOutcome::Copied && f.outcome != CopyOutcome::Unchanged;
    }));
}

std::size_t BackupResult::Unchanged() const {
    return static_cast<std::size_t>(std::count_if(files.begin(), files.end(), [](const FileResult& f) {
        return f.outcome == CopyOutcome::Unchanged;
    }));
}

BackupResult BackUpEntries(const std::string& targetPath, const std::vector<std::string>& entries,
                           Disk& disk, EventPump* pump, BackupReporter& reporter,
                           bool skipUnchanged, int keep) {
    return BackupRun(targetPath, entries, disk, pump, reporter, skipUnchanged, keep).Run();
}

} // namespace vintrel
