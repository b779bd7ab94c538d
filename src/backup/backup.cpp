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
#include "copies/record_file.h"
#include "copies/copy_record.h"

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

std::string TargetFolder(std::string targetPath) {
    std::replace(targetPath.begin(), targetPath.end(), '/', '\\');
    return WithFinalSeparator(targetPath);
}

std::string TargetMissingText(const std::string& targetPath) {
    return "the target folder " + targetPath + " is not there (is the disk connected?)";
}

namespace {


// Directories are made at every "\"; a hand-written target may separate them with "/".
std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
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
              EventPump* pump, BackupReporter& reporter, bool skipUnchanged, int keep,
              MakeTarget making, bool verify, bool checksums)
        : skipUnchanged_(skipUnchanged), keep_(keep), making_(making), verify_(verify),
          checksums_(checksums), disk_(disk),
          reporter_(reporter),
          pacer_(pump), targetBase_(WithFinalSeparator(targetPath)),
          targetFolder_(TargetFolder(targetPath)), sourceIndexes_(entries.size()),
          others_(entries.size()), notKept_(entries.size()), details_(entries.size()),
          damage_(entries.size()), noNewState_(entries.size()), sources_(entries.size()),
          made_(entries.size()) {
        for (const std::string& entry : entries)
            plans_.push_back(PlanBackup(targetPath, entry));
        for (std::size_t k = 0; k < plans_.size(); ++k)
            sourceKeys_.emplace(PathKey(plans_[k].source), k);
    }

    BackupResult Run() {
        if (TargetMissing()) {
            result_.targetMissing = true;
            return std::move(result_);
        }
        // What a run that died left is put right first, for every listed file, in its folders
        // held.
        for (const BackupPlan& plan : plans_) {
            if (plan.destination.size() < kDestinationLimit && PathBelow(plan.belowTarget) &&
                HasLeftovers(disk_, plan.destination) && !WhyNotHeld(plan)) {
                ClearLeftovers(disk_, plan.destination);
            }
        }
        // The record as it stands tells the copies made from files changed since.
        std::string unread;
        if (const auto lines = ReadRecordFile(disk_, targetFolder_, unread)) {
            for (const RecordedCopy& line : *lines)
                lines_.emplace(PathKey(line.path), line);
        }
        std::vector<std::optional<CopyOutcome>> refused(plans_.size());
        std::vector<std::size_t> recorded;
        for (std::size_t i = 0; i < plans_.size(); ++i) {
            refused[i] = Refusal(i);
            if (!refused[i]) refused[i] = SourceFacts(i);
            if (!refused[i]) recorded.push_back(i);
        }
        if (!recorded.empty()) {
            // A target that cannot be made says why for every file; no copy takes its name
            // before the record names it. A record that cannot be written refuses the files it
            // does not name yet, and the copies of those it names with their states: a new copy
            // whose state it cannot take would be no longer the recorded copy, refused and
            // listed as mail from then on. Only an unchanged copy, or one of a line from before
            // states were kept (any plain file there is its copy), goes on as ever.
            const DiskError made = disk_.MakeDirectoryPath(targetFolder_);
            std::set<std::string> known;
            std::optional<std::string> notRecorded;
            if (made == DiskError::None) {
                notRecorded = Record(recorded, known);
                recordedAny_ = true;
            }
            for (std::size_t i = 0; i < plans_.size(); ++i) {
                if (refused[i]) continue;
                if (made != DiskError::None) {
                    refused[i] = TargetOutcome(made);
                } else if (notRecorded) {
                    const std::string key = PathKey(*PathBelow(plans_[i].belowTarget));
                    if (!known.count(key)) refused[i] = CopyOutcome::NotRecorded;
                    details_[i] = *notRecorded;
                    noNewState_[i] = stated_.count(key) > 0;
                }
            }
            if (made == DiskError::None) targetFinalPath_ = disk_.FinalPath(targetFolder_);
        }
        for (std::size_t i = 0; i < plans_.size(); ++i)
            Done(i, refused[i] ? *refused[i] : Copy(i));
        if (recordedAny_) SettleRecord(recorded);
        return std::move(result_);
    }

private:
    // Whether the target folder is not there, or (where the run may make it) its drive or
    // share: only when the system says that nothing is there, never when it cannot look.
    bool TargetMissing() {
        std::string place = targetFolder_;
        if (making_ == MakeTarget::WhereItsDriveIsThere) {
            place = place.substr(0, PathRootLength(place));
        } else if (place.size() > PathRootLength(place)) {
            place.pop_back(); // a folder is looked up without its final separator
        }
        return !place.empty() && !disk_.Attributes(place) && disk_.Absent(place);
    }

    // Why an entry is not to be copied at all, known before anything is made on the disk.
    std::optional<CopyOutcome> Refusal(std::size_t i) {
        const BackupPlan& plan = plans_[i];
        if (plan.destination.size() >= kDestinationLimit) return CopyOutcome::PathTooLong;
        if (!PathBelow(plan.belowTarget)) {
            return HasNameWindowsTrims(plan.belowTarget) ? CopyOutcome::TrimmedName
                                                         : CopyOutcome::OutsideTarget;
        }
        // A listed file at the destination by its spelling...
        const std::string destination = PathKey(plan.destination);
        if (auto k = sourceKeys_.find(destination); k != sourceKeys_.end()) {
            if (PathKey(plan.source) == destination) return CopyOutcome::OntoItself;
            others_[i] = plans_[k->second].source;
            return CopyOutcome::OverwritesListed;
        }
        const std::optional<DiskEntry> there = disk_.FindEntry(plan.destination);
        if (!there) return std::nullopt;
        if (ChangedSinceCopied(plan, *there)) {
            others_[i] = plan.destination;
            return CopyOutcome::ChangedCopy;
        }
        // ...or by what it is.
        std::optional<FileIdentity> identity;
        for (const std::size_t k : ListedAt(plan)) {
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

    // Whether the file at a destination is no longer the copy the record names there: a plain
    // file with one name whose size and time are neither those of the copy last made nor of
    // the one a run was making (the user opened the copy in the mail program and worked in
    // it, or put another file there). Its copy would destroy that work: it is refused. A link,
    // a folder, or a name shared with another file loses nothing when the name is replaced (none
    // has a sole name); a line from before states were kept says nothing, and such a file is
    // replaced as it always was.
    bool ChangedSinceCopied(const BackupPlan& plan, const DiskEntry& there) {
        const auto line = lines_.find(PathKey(*PathBelow(plan.belowTarget)));
        if (line == lines_.end() || (!line->second.state && !line->second.next)) return false;
        return !MayBeTheCopy(line->second, there.size, there.lastWriteTime,
                             TimeStep(plan.destinationDirectory)) &&
               disk_.SoleName(plan.destination);
    }

    // The source's size and time as the run begins: what its line names as the copy being
    // made. Why not, where it cannot be seen.
    std::optional<CopyOutcome> SourceFacts(std::size_t i) {
        sources_[i] = disk_.FindEntry(plans_[i].source);
        if (sources_[i]) return std::nullopt;
        return disk_.Absent(plans_[i].source) ? CopyOutcome::SourceMissing
                                              : CopyOutcome::AccessDenied;
    }

    std::string KeyOf(std::size_t i) const { return PathKey(*PathBelow(plans_[i].belowTarget)); }

    // Settles a line on what its destination holds now (see SettleOnFile).
    void SettleOn(RecordedCopy& line, std::size_t i) {
        const std::optional<DiskEntry> there = disk_.FindEntry(plans_[i].destination);
        if (!there || (there->attributes & kAttributeDirectory)) return;
        SettleOnFile(line, there->size, there->lastWriteTime,
                     TimeStep(plans_[i].destinationDirectory));
    }

    // The first of two steps that leave every copy known, whenever a run dies: before any copy
    // takes its name, each destination's line names the copy about to be made there (the
    // source's size and time now, unless its state has them), its state kept; then
    // (SettleRecord) the copies made get their states. Lines of other destinations stay as they
    // are.
    // Nothing when the record was written; else the record and why it cannot be written, and
    // `known` gets the keys of the lines it holds already (their copies are there, recorded).
    std::optional<std::string> Record(const std::vector<std::size_t>& recorded,
                                      std::set<std::string>& known) {
        std::vector<RecordedCopy> read;
        const std::optional<std::string> why = UpdateRecordFile(
            disk_, targetFolder_,
            [&](std::vector<RecordedCopy>& lines) {
                std::map<std::string, std::size_t> ours; // by key: the first entry of each
                for (const std::size_t i : recorded)
                    ours.emplace(KeyOf(i), i);
                std::set<std::string> met;
                for (RecordedCopy& line : lines) {
                    const auto it = ours.find(PathKey(line.path));
                    if (it == ours.end() || !met.insert(it->first).second) continue;
                    if (!line.state && !line.next) legacy_.insert(it->first);
                    if (line.state || line.next) stated_.insert(it->first);
                    SettleOn(line, it->second); // what a run that died made there
                    // A copy of the size and time of the one there is known as that one,
                    // whenever the run dies: the record is not written for it.
                    const CopyState next = NextOf(it->second);
                    if (line.state && HasFacts(*line.state, next.size, next.lastWriteTime, 0)) {
                        line.next.reset();
                    } else {
                        line.next = next;
                    }
                    lines_[it->first] = line;
                }
                for (const std::size_t i : recorded) {
                    if (!met.insert(KeyOf(i)).second) continue;
                    lines.push_back(
                        RecordedCopy{*PathBelow(plans_[i].belowTarget), std::nullopt, NextOf(i)});
                }
            },
            &read);
        for (const RecordedCopy& line : read)
            known.insert(PathKey(line.path));
        return why;
    }

    // How many versions a copy keeps. A line of an older record (its path alone) cannot tell
    // its copy from a file the user worked in since: the first time such a copy is replaced
    // while it is not its source as the run began, it is kept as a version, whatever `keep`
    // says, and no version of it is pruned for that. No work is lost; the line gets its state.
    int KeepFor(std::size_t i) {
        constexpr int kEveryVersion = 99;
        if (keep_ > 0 || !legacy_.count(KeyOf(i))) return keep_;
        const std::optional<DiskEntry> there = disk_.FindEntry(plans_[i].destination);
        const bool sourcesCopy = there && there->size == sources_[i]->size &&
                                 there->lastWriteTime == sources_[i]->lastWriteTime;
        return there && !(there->attributes & kAttributeDirectory) && !sourcesCopy
                   ? kEveryVersion
                   : 0;
    }

    CopyState NextOf(std::size_t i) const {
        return CopyState{sources_[i]->size, sources_[i]->lastWriteTime, std::nullopt};
    }

    // The second step: the record read again (another run may have changed other lines) and
    // written once. A copy made gets its state, checksum and all; any other line of this run
    // is settled on the file its destination holds now (an Unchanged copy keeps its state, or
    // where it had none gets the size and time it was found with, no checksum: its bytes were
    // not read), and names no copy as being made. A line that then names no copy at all goes,
    // unless it is from before states were kept: such a line stays as it was until its file
    // is copied again.
    void SettleRecord(const std::vector<std::size_t>& recorded) {
        std::map<std::string, std::size_t> ours;
        for (const std::size_t i : recorded) {
            const auto [it, added] = ours.emplace(KeyOf(i), i);
            if (!added && made_[i]) it->second = i;
        }
        const std::optional<std::string> why = UpdateRecordFile(
            disk_, targetFolder_, [&](std::vector<RecordedCopy>& lines) {
                std::set<std::string> met;
                std::vector<RecordedCopy> kept;
                for (RecordedCopy& line : lines) {
                    const std::string key = PathKey(line.path);
                    const auto it = ours.find(key);
                    if (it != ours.end() && met.insert(key).second) {
                        if (made_[it->second]) {
                            line.state = made_[it->second];
                        } else {
                            SettleOn(line, it->second);
                        }
                        line.next.reset();
                        if (!line.state && !legacy_.count(key)) continue;
                    }
                    kept.push_back(std::move(line));
                }
                lines = std::move(kept);
            });
        // Only a copy made is left unsettled: any other line was refused or kept already.
        if (why && std::any_of(made_.begin(), made_.end(), [](const auto& m) { return m; }))
            result_.recordNotSettled = *why;
    }

    CopyOutcome Copy(std::size_t i) {
        const BackupPlan& plan = plans_[i];
        if (WrittenFromAnotherSource(i)) return CopyOutcome::SameDestination;
        if (skipUnchanged_ && Unchanged(plan)) return CopyOutcome::Unchanged;
        if (noNewState_[i]) return CopyOutcome::NotRecorded;
        // A source that is not there gets no folder made for its copy.
        if (!disk_.Attributes(plan.source) && disk_.Absent(plan.source))
            return CopyOutcome::SourceMissing;
        CopyWay way;
        way.targetFinalPath = targetFinalPath_;
        way.verify = verify_;
        way.checksum = checksums_;
        way.expected = NextOf(i);
        if (const std::optional<CopyOutcome> why = WhyNotHeld(plan, &way.folder)) return *why;
        // A link at the copy's name is no copy: the link itself goes (never what it leads to),
        // and a real copy takes its name. One that cannot be removed is not written through.
        if (LinkAtDestination(plan) && !disk_.RemoveFile(plan.destination))
            return CopyOutcome::ThroughLink;
        std::string damage;
        const CopyOutcome outcome =
            CopyWholeFile(disk_, pacer_, plan.source, plan.destination, plan.destinationDirectory,
                          buffer_, KeepFor(i), &notKept_[i], &way, &damage);
        if (outcome == CopyOutcome::Copied || outcome == CopyOutcome::LooksDamaged)
            damage_[i] = damage;
        if (outcome == CopyOutcome::Copied) {
            Written(i);
            made_[i] = way.made;
        }
        if (outcome == CopyOutcome::NoSpace) details_[i] = way.noSpace;
        return outcome;
    }

    // Whether the copy has the source's size and its last-write time. Where the target's file
    // system keeps times coarsely (FAT to 2 s, exFAT to 10 ms) they may differ by that step,
    // but only for a copy made more than a step after the source's last write: a mailbox
    // rewritten, same size, within the step of the write its copy was taken from would
    // otherwise look unchanged for good. (An hour apart, as daylight saving shows on FAT, is
    // a change.) The copy's creation time is when it was made: each copy keeps the time it
    // was made as it takes its name (see FileWriter::MoveOver). A link or a file with other
    // names too (a hard link to the mailbox itself, or made by a deduplicating tool) is no
    // copy, whatever its size and time say: asked last, since it opens the file.
    bool Unchanged(const BackupPlan& plan) {
        const std::optional<DiskEntry> copy = disk_.FindEntry(plan.destination);
        if (!copy || (copy->attributes & kAttributeDirectory)) return false;
        const std::optional<DiskEntry> source = disk_.FindEntry(plan.source);
        if (!source || (source->attributes & kAttributeDirectory) || source->size != copy->size) {
            return false;
        }
        const std::uint64_t step = TimeStep(plan.destinationDirectory);
        bool same = source->lastWriteTime == copy->lastWriteTime;
        if (step != 0) {
            same = TimesApart(source->lastWriteTime, copy->lastWriteTime) <= step &&
                   copy->creationTime > source->lastWriteTime + step;
        }
        // Where the record knows the copy made there, it must be that one still.
        const auto line = lines_.find(PathKey(*PathBelow(plan.belowTarget)));
        if (line != lines_.end() && line->second.state &&
            !HasFacts(*line->second.state, copy->size, copy->lastWriteTime, step)) {
            return false;
        }
        return same && disk_.SoleName(plan.destination);
    }

    // How coarse the times the file system of a folder keeps are, asked once a run a folder.
    std::uint64_t TimeStep(const std::string& folder) {
        const auto known = timeSteps_.find(folder);
        if (known != timeSteps_.end()) return known->second;
        return timeSteps_[folder] = disk_.Volume(folder).timeStep;
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
            // By its exact spelling: under Wine "MAIL" beside "Mail" is another folder (a link,
            // perhaps), whose hold none of Mail's stands for.
            auto held = held_.find(folder);
            if (held == held_.end()) {
                DiskError why = DiskError::None;
                std::unique_ptr<HeldFolder> hold = disk_.HoldFolder(folder, why);
                if (!hold) return TargetOutcome(why);
                held = held_.emplace(folder, std::move(hold)).first;
            }
            if (last) *last = held->second.get();
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
        FileResult file{plan.source, plan.fileName, outcome, "", others_[i], notKept_[i],
                        details_[i], damage_[i]};
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

    // The listed files that may be the file at a destination: of its index, and in a folder
    // of the same index as its folder, or in a folder that cannot be asked; of its index
    // wherever they are when its folder cannot be asked. Each file is looked up in a map, never
    // by going through the list: a run over many entries stays linear.
    std::vector<std::size_t> ListedAt(const BackupPlan& plan) {
        if (!listedIn_) {
            listedIn_.emplace();
            for (std::size_t k = 0; k < plans_.size(); ++k) {
                const std::optional<std::uint64_t> index =
                    FolderIndex(DirectoryPart(plans_[k].source));
                if (index) {
                    listedIn_->emplace(*index, k);
                } else if (const std::optional<std::uint64_t>& own = SourceIndex(k)) {
                    unknownFolders_.emplace(*own, k); // one that cannot be opened is nowhere
                }
            }
        }
        const std::optional<std::uint64_t> folder = FolderIndex(plan.destinationDirectory);
        std::vector<std::size_t> beside;
        if (folder) {
            for (auto [it, last] = listedIn_->equal_range(*folder); it != last; ++it)
                beside.push_back(it->second);
            if (beside.empty() && unknownFolders_.empty()) return {};
        }
        const std::optional<std::uint64_t> there = disk_.FileIndex(plan.destination);
        if (!there) return {};
        std::vector<std::size_t> listed;
        for (const std::size_t k : beside) {
            if (SourceIndex(k) == there) listed.push_back(k);
        }
        const std::multimap<std::uint64_t, std::size_t>& byIndex =
            folder ? unknownFolders_ : EveryByIndex();
        for (auto [it, last] = byIndex.equal_range(*there); it != last; ++it)
            listed.push_back(it->second);
        return listed;
    }

    // Every listed file that can be opened, by its index; made once, when first needed.
    const std::multimap<std::uint64_t, std::size_t>& EveryByIndex() {
        if (!everyByIndex_) {
            everyByIndex_.emplace();
            for (std::size_t k = 0; k < plans_.size(); ++k) {
                if (const std::optional<std::uint64_t>& index = SourceIndex(k))
                    everyByIndex_->emplace(*index, k);
            }
        }
        return *everyByIndex_;
    }

    bool skipUnchanged_;
    int keep_;
    MakeTarget making_;
    bool verify_;
    bool checksums_;
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
    // The listed files whose folder cannot be asked, by their own index.
    std::multimap<std::uint64_t, std::size_t> unknownFolders_;
    std::optional<std::multimap<std::uint64_t, std::size_t>> everyByIndex_;
    std::map<std::string, std::uint64_t> timeSteps_; // of the destinations' folders
    // The destinations written so far, by spelling and by their folder's index.
    std::map<std::string, std::size_t> writtenKeys_;
    std::multimap<std::uint64_t, std::size_t> writtenIn_;
    std::vector<std::string> others_; // the other listed file an entry gave way to
    std::vector<std::string> notKept_; // why an earlier copy could not be kept as a version
    std::vector<std::string> details_; // what a refusal says besides (FileResult::detail)
    std::vector<std::string> damage_;  // why a file looks damaged (FileResult::damage)
    // The record's lines by their keys: as read, then settled on what a run that died made.
    // (A line the run adds has no state to tell a copy by.)
    std::map<std::string, RecordedCopy> lines_;
    std::set<std::string> legacy_; // the keys of this run's lines from before states were kept
    std::set<std::string> stated_; // the keys of this run's lines that had a state as read
    std::vector<bool> noNewState_; // a copy the record cannot take the state of: not made
    bool recordedAny_ = false;     // whether the run named its copies in the record
    std::vector<std::optional<DiskEntry>> sources_; // each source as the run began
    std::vector<std::optional<CopyState>> made_;    // each copy made, as it was made
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
                           bool skipUnchanged, int keep, MakeTarget making, bool verify,
                           bool checksums) {
    return BackupRun(targetPath, entries, disk, pump, reporter, skipUnchanged, keep, making,
                     verify, checksums)
        .Run();
}

} // namespace vintrel
