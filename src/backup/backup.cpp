#include "backup/backup.h"

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

#include "app/file_list.h"
#include "app/ids.h"
#include "app/paths.h"
#include "app/probe.h"

namespace vintrel {

BackupPlan PlanBackup(const std::string& targetPath, const std::string& profileEntry) {
    BackupPlan plan;
    plan.source = EntryPath(profileEntry);
    plan.fileName = FileNamePart(plan.source);
    // The first three characters are the drive: its letter, colon and backslash.
    const std::string sourceDirectory = DirectoryPart(plan.source);
    const std::string relative = sourceDirectory.size() > 3 ? sourceDirectory.substr(3) : "";
    // A hand-written target may lack its final separator: one is put in between.
    const bool endsInSeparator =
        targetPath.empty() || targetPath.back() == '\\' || targetPath.back() == '/';
    plan.destinationDirectory = targetPath + (endsInSeparator ? "" : "\\") + relative;
    plan.destination = plan.destinationDirectory + plan.fileName;
    return plan;
}

std::string TemporaryCopyPath(const std::string& destination) {
    return destination + ".~vt";
}

std::string NotBackedUpText(std::size_t failed, std::size_t total) {
    return "Error: " + std::to_string(failed) + " of " + std::to_string(total) +
           " files were NOT backed up!";
}

void ChooseTargetPath(AppState& state, Screen& screen) {
    state.targetPath = screen.FolderDialog(kFolderDialogTitle, "");
    if (state.targetPath.empty()) {
        // The field keeps showing what it showed: only the message tells.
        screen.SetStatusText(kMessageField, kTargetEmptyText);
        return;
    }
    screen.SetGadgetText(kTargetPathField, state.targetPath);
}

namespace {

// Copies beside the destination first, so that an earlier good copy is only replaced by a
// complete new one.
bool CopyOne(Disk& disk, const BackupPlan& plan) {
    const std::string temporary = TemporaryCopyPath(plan.destination);
    // A copy carries its source's read-only mark, which would block every later replace.
    disk.MakeWritable(temporary);
    if (disk.CopyFileTo(plan.source, temporary)) {
        disk.MakeWritable(plan.destination);
        if (disk.MoveFileOver(temporary, plan.destination)) return true;
    }
    disk.RemoveFile(temporary);
    return false;
}

// Directories are made at every "\"; a hand-written target may separate them with "/".
std::string WithBackslashes(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// One run over the list. Places are known by identity: a destination that already is the
// entry's own source, however the target spells it (another drive letter for the same drive,
// a share, a link), would be replaced by a copy of itself, and no backup would exist; a
// destination that is another listed file (mail kept in the target folder) is only replaced
// once that file has been copied itself.
class BackupRun {
public:
    BackupRun(const AppState& state, Disk& disk, Screen& screen)
        : disk_(disk), screen_(screen), done_(state.profileList.size()) {
        for (const std::string& entry : state.profileList) {
            plans_.push_back(PlanBackup(state.targetPath, entry));
            sources_.push_back(disk.Identity(plans_.back().source));
            if (sources_.back()) listedAt_.emplace(*sources_.back(), plans_.size() - 1);
        }
    }

    std::size_t Run() {
        for (std::size_t i = 0; i < plans_.size(); ++i)
            BackUp(i);
        return failed_;
    }

private:
    void BackUp(std::size_t i) {
        if (done_[i]) return;
        done_[i] = true;
        const BackupPlan& plan = plans_[i];
        // Refused before anything is made on the disk.
        if (plan.destination.size() >= kDestinationLimit) return Fail(plan, kTooLongSuffix);
        if (const std::optional<FileIdentity> there = disk_.Identity(plan.destination)) {
            if (there == sources_[i]) return Fail(plan, kNotBackedUpSuffix);
            auto [first, last] = listedAt_.equal_range(*there);
            for (auto it = first; it != last; ++it)
                BackUp(it->second);
        }
        // Longer directory paths are beyond what Windows creates; the copy then fails.
        if (plan.destinationDirectory.size() < kDirectoryLimit) {
            disk_.MakeDirectoryPath(WithBackslashes(plan.destinationDirectory));
        }
        if (!CopyOne(disk_, plan)) Fail(plan, kNotBackedUpSuffix);
    }

    void Fail(const BackupPlan& plan, const char* why) {
        ++failed_;
        screen_.ShowMessageBox("Error", plan.fileName + why, 0);
    }

    Disk& disk_;
    Screen& screen_;
    std::vector<BackupPlan> plans_;
    std::vector<std::optional<FileIdentity>> sources_;
    std::multimap<FileIdentity, std::size_t> listedAt_; // where each listed file stands
    std::vector<bool> done_;
    std::size_t failed_ = 0;
};

} // namespace

void RunBackup(AppState& state, Disk& disk, Screen& screen) {
    if (state.targetPath.empty()) {
        screen.SetStatusText(kMessageField, kTargetEmptyText);
        return;
    }
    if (state.profileList.empty()) {
        screen.SetStatusText(kMessageField, kNothingToBackupText);
        return;
    }
    const std::size_t failed = BackupRun(state, disk, screen).Run();
    // Success is only claimed when every file was copied.
    screen.SetStatusText(kMessageField, failed == 0
                                            ? kAllBackedUpText
                                            : NotBackedUpText(failed, state.profileList.size()));
}

} // namespace vintrel
