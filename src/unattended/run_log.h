// The log of a run without a window: written as the run goes, echoed to the console.
#pragma once

#include <memory>
#include <string>

#include "app/disk.h"
#include "backup/backup.h"
#include "app/paths.h"
#include "app/probe.h"
#include "profile/profile.h"
#include "unattended/unattended.h"

namespace vintrel {

// The lines of one run: written to the log as they come, so that a run that is killed leaves
// what it did, and echoed to the console.
class RunLog : public BackupReporter {
public:
    RunLog(const UnattendedSetting& setting, Disk& disk, const std::string& folder)
        : setting_(setting), disk_(disk), path_(folder + kLogFileName),
          temporary_(folder + kLogTemporaryName) {}

    // Opens the log to add to it; an old one near the limit is cut first, so that this run's
    // own lines are never cut away. With `cut` false nothing is rewritten (another run may be
    // writing it). A link at the log's name is never read nor written through.
    void Open(bool cut) {
        if (disk_.IsLink(path_)) return;
        bool complete = true;
        const std::optional<std::string> old = cut ? disk_.ReadFile(path_, complete) : std::nullopt;
        if (old && complete && old->size() > kLogLimit * 3 / 4 &&
            !ReplaceWholeFile(disk_, path_, temporary_, CutLog(*old))) {
            return;
        }
        DiskError why = DiskError::None;
        writer_ = disk_.OpenToAppend(path_, why);
        written_ = writer_ != nullptr;
    }
    // A control character in a name (a line break) would forge a line: it is shown as "?".
    void Line(std::string line) {
        line = Printable(std::move(line));
        if (setting_.echo) setting_.echo(line);
        line += "\r\n";
        if (writer_ && !writer_->Write(line.data(), line.size())) written_ = false;
    }
    void FileDone(const FileResult& file) override {
        Line("  " + file.source + ": " + OutcomeText(file));
    }
    // Whether every line reached the log; says so on the console where one did not.
    bool Close() {
        if (writer_ && !writer_->Close()) written_ = false;
        writer_.reset();
        if (!written_ && setting_.echo) setting_.echo("The log " + path_ + " could not be written.");
        return written_;
    }

private:
    const UnattendedSetting& setting_;
    Disk& disk_;
    std::string path_;
    std::string temporary_;
    std::unique_ptr<FileWriter> writer_;
    bool written_ = false;
};

// Why a run has no profile to work with (none, unreadable, no target folder); nothing when
// its contents are read.
inline std::optional<std::string> WhyNoProfile(const AppState& state, Disk& disk,
                                               ProfileContents& contents) {
    if (!ProfileMayExist(state, disk)) return "there is no profile";
    const ProfileRead read = ReadProfile(state, disk, contents);
    if (read == ProfileRead::Unreadable || read == ProfileRead::InPart) {
        return "the profile cannot be read";
    }
    if (contents.targetPath.empty()) return "the profile names no target folder";
    return std::nullopt;
}

inline int NothingDone(RunLog& log, const std::string& why) {
    log.Line("Nothing was done: " + why + ".");
    log.Close();
    return kNothingDone;
}

// The file runs over one profile take turns by, beside the profile: one run at a time holds it
// open, so that the runs of every user, and of every machine that shares the folder, see it.
// The folder ends in its separator, as a run's folder always does.
inline std::string TurnPath(const std::string& folder) {
    return folder + "Vintrel Profile.lock";
}

} // namespace vintrel
