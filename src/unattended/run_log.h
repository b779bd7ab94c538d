// The log of a run without a window, in one place: its names and limit, its writer (lines as
// the run goes, echoed to the console), its cut, and the words for how a file fared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/disk.h"
#include "app/last_run.h"
#include "backup/backup.h"
#include "unattended/unattended.h"

namespace vintrel {

// The log is kLogFileName beside the profile (the window names it too); a cut one is written
// under this name first.
inline constexpr const char* kLogTemporaryName = "Vintrel Backup.tmp";
// A log that has grown past three quarters of this is cut back to its newest half before a
// run adds to it.
inline constexpr std::size_t kLogLimit = 1000000;
// What one run writes to the log at most, its last lines aside: the lines of files that went
// well only up to half of it.
inline constexpr std::size_t kRunLogShare = kLogLimit / 5;

// The words for how a file fared: "copied", or "not copied: " and why.
std::string OutcomeText(const FileResult& file);

// The newest part of a log, half the limit at most, from the first run's header in it (a line
// that begins with the date): a run's lines are kept with its header.
std::string CutLog(const std::string& log);

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
    void Open(bool cut);
    // A control character in a name (a line break) would forge a line: it is shown as "?".
    // Past its share of the log, a run's lines are left out and counted (the console still
    // shows them): first those of files that went well, then any but the last.
    void Line(std::string line) { Add(std::move(line), Weight::Any); }
    // A line of something that went well: the first left out past the run's share.
    void Good(std::string line) { Add(std::move(line), Weight::Well); }
    void FileDone(const FileResult& file) override;
    // The run's last line, always written, after a word on the lines left out; nothing
    // follows it.
    void Final(std::string line);
    // Lets go of the log while the run sleeps, so that another run may cut and add to it.
    void Pause();
    // Takes the log again after a pause, never cut: where another run added to it meanwhile,
    // a line with this run's header words marks where its own lines go on.
    void Resume(const std::string& header);
    // Whether every line reached the log; says so on the console where one did not.
    bool Close();

private:
    enum class Weight { Well, Any, Last };
    // Closes the log, where it is open, and lets go of it: a close that fails loses lines.
    void LetGo();
    // The console shows every line whole; `echo` false: the line is the log's own.
    void Add(std::string line, Weight weight, bool echo = true);

    const UnattendedSetting& setting_;
    Disk& disk_;
    std::string path_;
    std::string temporary_;
    std::unique_ptr<FileWriter> writer_;
    bool written_ = false;
    std::size_t runBytes_ = 0;
    std::size_t leftOut_ = 0;
    std::optional<std::uint64_t> pausedSize_; // none: there was no log as the run paused
};

} // namespace vintrel
