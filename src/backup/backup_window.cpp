// The window's face of the backup: choosing the target, and the run whose failures are
// boxes.
#include "backup/backup.h"

#include "app/ids.h"
#include "app/texts.h"

namespace vintrel {

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

std::string Other(const FileResult& file) {
    return file.other.empty() ? std::string() : ", " + file.other;
}

std::string Suffix(const FileResult& file) {
    switch (file.outcome) {
    case CopyOutcome::PathTooLong:
        return kTooLongSuffix;
    // The log names the listed file in the way, and so does the box.
    case CopyOutcome::OverwritesListed:
        return kOverwritesListedSuffix + Other(file) + kOldCopyText;
    case CopyOutcome::ChangedCopy:
        return kChangedCopySuffix + Other(file) + kChangedCopyText;
    case CopyOutcome::TrimmedName:
        return kTrimmedNameSuffix;
    case CopyOutcome::SameDestination:
        return kSameDestinationSuffix + Other(file);
    case CopyOutcome::OntoItself:
        return kOntoItselfSuffix;
    case CopyOutcome::OutsideTarget:
        return kOutsideTargetSuffix;
    case CopyOutcome::ThroughLink:
        return kThroughLinkSuffix;
    case CopyOutcome::LinkSwappedIn:
        return kLinkSwappedInSuffix;
    case CopyOutcome::NotRecorded:
        return kNotRecordedSuffix + (file.detail.empty() ? "" : ": " + file.detail);
    case CopyOutcome::NoSpace:
        return kNoSpaceSuffix + (file.detail.empty() ? "" : " (" + file.detail + ")");
    case CopyOutcome::LooksDamaged:
        return kLooksDamagedSuffix + (file.damage.empty() ? "" : " (" + file.damage + ")");
    case CopyOutcome::ReadBackDiffers:
        return kReadBackDiffersSuffix;
    case CopyOutcome::EarlierCopyHeld:
        return kEarlierCopyHeldSuffix +
               (file.holder.empty() ? std::string() : " (" + file.holder + ")") + kCloseItText;
    default:
        return kNotBackedUpSuffix;
    }
}

// The window's way: one box per file that was not copied.
class BoxReporter : public BackupReporter {
public:
    explicit BoxReporter(Screen& screen) : screen_(screen) {}
    void FileDone(const FileResult& file) override {
        if (file.outcome == CopyOutcome::Copied || file.outcome == CopyOutcome::Unchanged) return;
        // Every file fails alike when the record cannot be written: one box says it.
        if (file.outcome == CopyOutcome::NotRecorded && toldNotRecorded_) return;
        toldNotRecorded_ = toldNotRecorded_ || file.outcome == CopyOutcome::NotRecorded;
        screen_.ShowMessageBox("Error", BoxText(file), 0);
    }

private:
    Screen& screen_;
    bool toldNotRecorded_ = false;
};

} // namespace

std::string BoxText(const FileResult& file) {
    return file.fileName + Suffix(file);
}

BackupResult RunBackup(AppState& state, Disk& disk, Screen& screen) {
    if (state.targetPath.empty()) {
        screen.SetStatusText(kMessageField, kTargetEmptyText);
        return {};
    }
    if (state.profileList.empty()) {
        screen.SetStatusText(kMessageField, kNothingToBackupText);
        return {};
    }
    BoxReporter boxes(screen);
    BackupResult result = BackUpEntries(state.targetPath, state.profileList, disk, &screen, boxes);
    if (result.targetMissing) {
        // One box says it; nothing was copied.
        std::string text = TargetMissingText(state.targetPath);
        text[0] = 'T';
        screen.ShowMessageBox("Error", text, 0);
        screen.SetStatusText(kMessageField,
                             NotBackedUpText(state.profileList.size(), state.profileList.size()));
        return result;
    }
    if (!result.recordNotSettled.empty()) {
        screen.ShowMessageBox("Error", kRecordNotSettledText + (": " + result.recordNotSettled),
                              0);
    }
    // Success is only claimed when every file was copied, and as a mailbox copy sound only
    // when no copy made looks damaged (it was copied for want of a good one to keep).
    const std::size_t failed = result.Failed();
    std::string damaged;
    std::size_t damagedCount = 0;
    for (const FileResult& file : result.files) {
        if (file.outcome != CopyOutcome::Copied || file.damage.empty()) continue;
        if (damagedCount++ == 0) damaged = file.fileName + " (" + file.damage + ")";
    }
    std::string text = failed == 0 ? kAllBackedUpText : NotBackedUpText(failed, result.files.size());
    if (damagedCount > 0) {
        text = (failed == 0 ? kCopiedButDamagedText : text + " ") + std::to_string(damagedCount) +
               (damagedCount == 1 ? kOneLooksDamagedText : kSomeLookDamagedText) + damaged;
    }
    screen.SetStatusText(kMessageField, text);
    return result;
}

} // namespace vintrel
