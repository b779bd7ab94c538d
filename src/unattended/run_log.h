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
        const std::optional<std::string> old = cut ? disk_.ReadFile(path_, complete, kWholeFile) : std::nullopt;
        if (old && complete && old->size() > kLogLimit * 3 / 4 &&
            !ReplaceWholeFile(disk_, path_, temporary_, CutLog(*old))) {
            return;
        }
        DiskError why = DiskError::None;
        writer_ = disk_.OpenToAppend(path_, why);
        written_ = writer_ != nullptr;
    }
    // A control character in a name (a line break) would forge a line: it is shown as "?".
    // Past its share of the log, a run's lines are left out and counted (the console still
    // shows them): first those of files that went well, then any but the last.
    void Line(std::string line) { Add(std::move(line), Weight::Any); }
    // A line of something that went well: the first left out past the run's share.
    void Good(std::string line) { Add(std::move(line), Weight::Well); }
    void FileDone(const FileResult& file) override {
        const bool well =
            file.outcome == CopyOutcome::Copied || file.outcome == CopyOutcome::Unchanged;
        Add("  " + file.source + ": " + OutcomeText(file), well ? Weight::Well : Weight::Any);
    }
    // The run's last line, always written, after a word on the lines left out.
    void Final(std::string line) {
        if (leftOut_ > 0) {
            Add(std::to_string(leftOut_) +
                    (leftOut_ == 1 ? " line was" : " lines were") +
                    " left out of the log, to keep it below its size",
                Weight::Last, false);
        }
        leftOut_ = 0;
        Add(std::move(line), Weight::Last);
    }
    // Lets go of the log while the run sleeps, so that another run may cut and add to it.
    void Pause() {
        if (writer_ && !writer_->Close()) written_ = false;
        writer_.reset();
        const std::optional<DiskEntry> entry = disk_.FindEntry(path_);
        pausedSize_ = entry ? entry->size : 0;
    }
    // Takes the log again after a pause, never cut: where another run added to it meanwhile,
    // a line with this run's header words marks where its own lines go on.
    void Resume(const std::string& header) {
        if (disk_.IsLink(path_)) {
            written_ = false;
            return;
        }
        const std::optional<DiskEntry> entry = disk_.FindEntry(path_);
        DiskError why = DiskError::None;
        writer_ = disk_.OpenToAppend(path_, why);
        if (!writer_) written_ = false;
        if (!entry || entry->size != pausedSize_) Add(header, Weight::Last);
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
    enum class Weight { Well, Any, Last };
    // The console shows every line whole; `echo` false: the line is the log's own.
    void Add(std::string line, Weight weight, bool echo = true) {
        line = Printable(std::move(line));
        if (echo && setting_.echo) setting_.echo(line);
        line += "\r\n";
        // A run's own lines stay well below half the limit: the cut before the next run then
        // always finds a run's first line in the newest half.
        const std::size_t share = weight == Weight::Well ? kRunLogShare / 2 : kRunLogShare;
        if (weight != Weight::Last && runBytes_ + line.size() > share) {
            ++leftOut_;
            return;
        }
        runBytes_ += line.size();
        if (writer_ && !writer_->Write(line.data(), line.size())) written_ = false;
    }

    std::unique_ptr<FileWriter> writer_;
    bool written_ = false;
    std::size_t runBytes_ = 0;
    std::size_t leftOut_ = 0;
    std::uint64_t pausedSize_ = 0;
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
    log.Final("Nothing was done: " + why + ".");
    log.Close();
    return kNothingDone;
}

// Finishes or undoes a restore that ended before its last step, as the note it left beside the
// profile in `folder` says, and logs what was done; nothing when there is no such note or it is
// put right, else why it is not (the run then does nothing: a file a mail program made anew in
// the mailbox's place must not be backed up over the good copy).
std::optional<std::string> FinishRestore(Disk& disk, const std::string& folder, RunLog& log);

// The file runs over one profile take turns by, beside the profile: one run at a time holds it
// open, so that the runs of every user, and of every machine that shares the folder, see it.
// The folder ends in its separator, as a run's folder always does.
inline std::string TurnPath(const std::string& folder) {
    return folder + "Vintrel Profile.lock";
}

} // namespace vintrel
