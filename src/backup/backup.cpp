#include "backup/backup.h"

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
    const std::string target = disk.FullPath(state.targetPath);
    std::size_t failed = 0;
    for (const std::string& entry : state.profileList) {
        const BackupPlan plan = PlanBackup(state.targetPath, entry);
        // Refused before anything is made on the disk.
        if (plan.destination.size() >= kDestinationLimit) {
            ++failed;
            screen.ShowMessageBox("Error", plan.fileName + kTooLongSuffix, 0);
            continue;
        }
        // A copy onto the source itself, or of an earlier copy into the target again, is
        // no backup.
        const std::string source = disk.FullPath(plan.source);
        const bool copyOfItself = SamePath(source, disk.FullPath(plan.destination));
        if (copyOfItself || IsInside(source, target)) {
            ++failed;
            screen.ShowMessageBox("Error", plan.fileName + kNotBackedUpSuffix, 0);
            continue;
        }
        // Longer directory paths are beyond what Windows creates; the copy then fails.
        if (plan.destinationDirectory.size() < kDirectoryLimit) {
            disk.MakeDirectoryPath(plan.destinationDirectory);
        }
        if (!CopyOne(disk, plan)) {
            ++failed;
            screen.ShowMessageBox("Error", plan.fileName + kNotBackedUpSuffix, 0);
        }
    }
    // Success is only claimed when every file was copied.
    screen.SetStatusText(kMessageField, failed == 0
                                            ? kAllBackedUpText
                                            : NotBackedUpText(failed, state.profileList.size()));
}

} // namespace vintrel
