#include "unattended/unattended.h"

#include <vector>

#include "app/paths.h"
#include "app/probe.h"
#include "app/state.h"
#include "discovery/search.h"
#include "profile/profile.h"
#include "profile/profile_format.h"

namespace vintrel {

namespace {

// A screen nobody sees: the search lists into it, the copy paints nothing.
class QuietScreen : public Screen {
public:
    void SetStatusText(int, const std::string&) override {}
    void SetGadgetText(int, const std::string&) override {}
    int AddListRow(const std::string&) override { return 0; }
    void SetListCellColour(int, int, Colour) override {}
    void ClearListRows() override {}
    Event WaitForEvent() override { return {EventKind::CloseRequest, 1, 0}; }
    int PollEvent(Event*) override { return 0; }
    void KeepPainted() override {}
    void ReturnEvent(const Event&) override {}
    std::uint32_t Milliseconds() override { return 0; }
    int ShowMessageBox(const std::string&, const std::string&, unsigned) override { return 1; }
    std::string FolderDialog(const std::string&, const std::string&) override { return ""; }
    void ActivateMainWindow() override {}
    void CloseMainWindow() override {}
};

// The lines of one run, echoed as they come and added to the log file at the end.
class RunLog : public BackupReporter {
public:
    explicit RunLog(const UnattendedSetting& setting) : setting_(setting) {}
    // A control character in a name (a line break) would forge a line: it is shown as "?".
    void Line(std::string line) {
        for (char& c : line) {
            if (static_cast<unsigned char>(c) < 0x20) c = '?';
        }
        text_ += line + "\r\n";
        if (setting_.echo) setting_.echo(line);
    }
    void FileDone(const FileResult& file) override {
        Line("  " + file.source + ": " + OutcomeText(file));
    }
    // Adds this run's lines to the log file in the folder; false when it cannot be written.
    bool Keep(Disk& disk, const std::string& folder) {
        const std::string path = folder + kLogFileName;
        bool complete = true;
        const std::optional<std::string> old = disk.ReadFile(path, complete);
        // A log that cannot be read in full is not cut down to what could be read.
        if (old && !complete) return false;
        return ReplaceWholeFile(disk, path, folder + kLogTemporaryName,
                                AppendToLog(old.value_or(""), text_));
    }

private:
    const UnattendedSetting& setting_;
    std::string text_;
};

int NothingDone(RunLog& log, Disk& disk, const std::string& folder, const std::string& why) {
    log.Line("Nothing was done: " + why + ".");
    log.Keep(disk, folder);
    return kNothingDone;
}

} // namespace

std::string OutcomeText(const FileResult& file) {
    switch (file.outcome) {
    case CopyOutcome::Copied:
        return "copied";
    case CopyOutcome::SourceMissing:
        return "not copied: the source is missing";
    case CopyOutcome::InUse:
        return "not copied: the file is in use by " +
               (file.holder.empty() ? std::string("another program") : file.holder);
    case CopyOutcome::AccessDenied:
        return "not copied: access is denied";
    case CopyOutcome::DiskFull:
        return "not copied: the target disk is full";
    case CopyOutcome::TooLarge:
        return "not copied: the file is too large for the target drive's file system";
    case CopyOutcome::PathTooLong:
        return "not copied: the destination path has 256 characters or more";
    case CopyOutcome::OntoItself:
        return "not copied: it would be copied onto itself";
    case CopyOutcome::SourceChanged:
        return "not copied: the source changed while it was copied";
    case CopyOutcome::OverwritesListed:
        return "not copied: it would overwrite another listed file, " + file.other;
    case CopyOutcome::SameDestination:
        return "not copied: another listed file was copied to the same place, " + file.other;
    case CopyOutcome::OutsideTarget:
        return "not copied: its destination is no file below the target folder";
    case CopyOutcome::ThroughLink:
        return "not copied: a link below the target folder leads elsewhere, and is not written "
               "through";
    case CopyOutcome::NotRecorded:
        return "not copied: the target folder's record of its copies cannot be read or written";
    case CopyOutcome::Failed:
        break;
    }
    return "not copied: source, target or disk error";
}

std::string AppendToLog(const std::string& log, const std::string& lines) {
    std::string text = log + lines;
    if (text.size() <= kLogLimit) return text;
    // The oldest whole lines go, down to three quarters of the limit.
    const std::size_t cut = text.find('\n', text.size() - kLogLimit * 3 / 4);
    return cut == std::string::npos ? std::string() : text.substr(cut + 1);
}

int RunScheduledBackup(const CommandLine& line, Disk& disk, const UnattendedSetting& setting) {
    const std::string folder =
        WithFinalSeparator(line.folder.empty() ? setting.currentDirectory : line.folder);
    RunLog log(setting);
    const std::string asked = line.search ? "search and backup" : "backup";
    if (line.mode == CommandLine::Mode::Invalid) {
        log.Line(setting.localTime + " command line not understood");
        return NothingDone(log, disk, folder,
                           "\"" + line.problem + "\" is an unknown or misplaced argument");
    }
    AppState state;
    InitSharedState(state, &folder);
    const std::string profile = ProfilePath(state);
    log.Line(setting.localTime + " " + asked + " with the profile " + profile);

    if (!ProfileMayExist(state, disk)) return NothingDone(log, disk, folder, "there is no profile");
    ProfileContents contents;
    const ProfileRead read = ReadProfile(state, disk, contents);
    if (read == ProfileRead::Unreadable || read == ProfileRead::InPart) {
        return NothingDone(log, disk, folder, "the profile cannot be read");
    }
    if (contents.targetPath.empty()) {
        return NothingDone(log, disk, folder, "the profile names no target folder");
    }
    state.targetPath = contents.targetPath;
    state.profileList = contents.entries;

    QuietScreen quiet;
    bool profileSaved = true;
    if (line.search) {
        const SearchResult found = SearchDataFiles(state, disk, quiet, "C:");
        for (const std::string& path : found.leftOut)
            log.Line("  " + path + ": left out of the list: its name holds a line break or \"|\"");
        if (state.profileList.empty())
            return NothingDone(log, disk, folder, "the search found no file");
        profileSaved = WriteProfile(state, disk) == ProfileSave::Saved;
        log.Line(profileSaved ? "The search found " + std::to_string(state.profileList.size()) +
                                    " files; the profile now lists them."
                              : "The profile could not be saved with the new list.");
    } else if (state.profileList.empty()) {
        return NothingDone(log, disk, folder, "the profile lists no file");
    }

    const BackupResult result =
        BackUpEntries(state.targetPath, state.profileList, disk, quiet, log);
    const std::size_t copied = result.files.size() - result.Failed();
    log.Line(std::to_string(copied) + " of " + std::to_string(result.files.size()) +
             " files copied");
    log.Keep(disk, folder);
    return copied == result.files.size() && profileSaved ? kAllCopied : kSomeNotCopied;
}

} // namespace vintrel
