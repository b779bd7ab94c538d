#include "app/last_run.h"

#include <vector>

#include "app/paths.h"
#include "app/texts.h"

namespace vintrel {

namespace {

constexpr const char* kHeader = "Vintrel last run";
// A box with the warning icon and an OK button (MB_ICONWARNING).
constexpr unsigned kWarningBox = 0x30;

// The number that `n` digits at `at` spell, checked to be digits before.
std::int64_t Digits(const std::string& text, std::size_t at, std::size_t n) {
    std::int64_t number = 0;
    for (std::size_t i = at; i < at + n; ++i)
        number = number * 10 + (text[i] - '0');
    return number;
}

// The seconds of a local time "2026-12-08 14:03:05" from a fixed day, good for differences;
// nothing for any other text.
std::optional<std::int64_t> Seconds(const std::string& time) {
    if (time.size() != 19 || !MatchesDigits(time, 0, "0000-00-00 00:00:00")) return std::nullopt;
    std::int64_t year = Digits(time, 0, 4);
    const std::int64_t month = Digits(time, 5, 2), day = Digits(time, 8, 2),
                       hour = Digits(time, 11, 2), minute = Digits(time, 14, 2),
                       second = Digits(time, 17, 2);
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    // Days from a fixed day, counting leap years (years from March on, as the calendar's
    // leap day ends them).
    year -= month <= 2;
    const std::int64_t yearDays = 365 * year + year / 4 - year / 100 + year / 400;
    const std::int64_t monthDays = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5;
    return ((yearDays + monthDays + day) * 24 + hour) * 3600 + minute * 60 + second;
}

// A count of at most nine digits.
bool Count(const std::string& text, std::size_t& count) {
    if (text.empty() || text.size() > 9 || !MatchesDigits(text, 0, std::string(text.size(), '0')))
        return false;
    count = static_cast<std::size_t>(Digits(text, 0, text.size()));
    return true;
}

// The file's text: plain lines ending in CR LF, to which the window adds "told" lines.
std::string LastRunText(const LastRun& run) {
    return std::string(kHeader) + "\r\ntime " + run.time + "\r\nexit code " +
           std::to_string(run.exitCode) + "\r\ncopied " + std::to_string(run.copied) + " of " +
           std::to_string(run.total) + "\r\n" +
           (run.lastSuccess.empty() ? "" : "last success " + run.lastSuccess + "\r\n");
}

// Only a file of exactly that form is taken: nothing of a damaged or planted one is believed.
std::optional<LastRun> ParseLastRun(const std::string& text) {
    if (text.size() > kLastRunLimit || !text.ends_with("\r\n")) return std::nullopt;
    std::vector<std::string> lines;
    for (std::size_t at = 0, end; at < text.size(); at = end + 2) {
        end = text.find("\r\n", at);
        lines.push_back(text.substr(at, end - at));
    }
    std::size_t next = 0;
    const auto take = [&](const std::string& key) -> std::optional<std::string> {
        if (next == lines.size() || !lines[next].starts_with(key)) return std::nullopt;
        return lines[next++].substr(key.size());
    };
    LastRun run;
    const std::optional<std::string> header = take(kHeader), time = take("time "),
                                     code = take("exit code "), counts = take("copied ");
    if (!header || !header->empty() || !time || !Seconds(*time) || !code ||
        (*code != "0" && *code != "1" && *code != "2") || !counts) {
        return std::nullopt;
    }
    run.time = *time;
    run.exitCode = (*code)[0] - '0';
    const std::size_t of = counts->find(" of ");
    if (of == std::string::npos || !Count(counts->substr(0, of), run.copied) ||
        !Count(counts->substr(of + 4), run.total) || run.copied > run.total) {
        return std::nullopt;
    }
    if (const std::optional<std::string> success = take("last success ")) {
        if (!Seconds(*success)) return std::nullopt;
        run.lastSuccess = *success;
    }
    while (const std::optional<std::string> told = take("told ")) {
        if (!Seconds(*told)) return std::nullopt;
        run.told = *told;
    }
    // A run that backed up every file is its own last success.
    if (next != lines.size() || (run.exitCode == 0 && run.lastSuccess != run.time))
        return std::nullopt;
    return run;
}

// The file in a folder (ending in its separator); never read through a link at its name.
std::optional<LastRun> ReadLastRun(Disk& disk, const std::string& folder) {
    const std::string path = folder + kLastRunFileName;
    if (disk.IsLink(path)) return std::nullopt;
    // Read to one byte past the limit at most: a larger file fails the parse's own limit.
    const std::optional<FileBytes> read = disk.ReadFile(path, kLastRunLimit);
    if (!read || !read->complete) return std::nullopt;
    return ParseLastRun(read->bytes);
}

} // namespace

bool RecordLastRun(Disk& disk, const std::string& folder, LastRun run) {
    if (run.exitCode == 0) {
        run.lastSuccess = run.time;
    } else {
        const std::optional<LastRun> old = ReadLastRun(disk, folder);
        run.lastSuccess = old ? old->lastSuccess : "";
    }
    return ReplaceWholeFile(disk, folder + kLastRunFileName, folder + kLastRunTemporaryName,
                            LastRunText(run));
}

std::string RunOutcomeText(const LastRun& run) {
    const std::string of = "The scheduled backup of " + run.time;
    if (run.exitCode == 2) return of + " did nothing (exit code 2).";
    // Every file backed up, but the log or a searched list could not be written.
    if (run.copied == run.total) {
        return of + " copied every file, but could not write its log or the new list of its "
                    "search (exit code 1).";
    }
    return of + " did not back up every file: " + std::to_string(run.copied) + " of " +
           std::to_string(run.total) + " files copied or unchanged (exit code 1).";
}

namespace {

// What the window says when it opens at `now` (local), naming the log; nothing after a run
// that backed up every file less than three days before, or once the window told of it.
std::optional<std::string> LastRunWord(const LastRun& run, const std::string& now,
                                       const std::string& logPath) {
    const std::optional<std::int64_t> at = Seconds(now), success = Seconds(run.lastSuccess);
    // A clock set back is no time passed.
    const bool quiet = at && success && *at - *success > kQuietSeconds;
    if (run.told == run.time || (run.exitCode == 0 && !quiet)) return std::nullopt;
    std::string word = run.exitCode == 0 ? "" : RunOutcomeText(run) + "\n";
    if (quiet) {
        word += kQuietSinceText + run.lastSuccess + ".\n";
    } else if (!run.lastSuccess.empty()) {
        word += kLastSuccessText + run.lastSuccess + ".\n";
    }
    return word + "The log " + logPath + kSeeTheLogText;
}

} // namespace

void TellLastRun(const AppState& state, Disk& disk, Dialogs& dialogs, const std::string& now) {
    const std::optional<LastRun> run = ReadLastRun(disk, state.startupDirectory);
    if (!run) return;
    const std::optional<std::string> word =
        LastRunWord(*run, now, state.startupDirectory + kLogFileName);
    if (!word) return;
    dialogs.ShowMessageBox(kLastRunCaption, *word, kWarningBox);
    // Told once: the note names the run told of. Added to the end, it loses nothing of a run
    // that replaced the whole file meanwhile, and that run is still told of, as its time is
    // another. A link at the name is never written through: the file opened to append is
    // refused unless it is the one name of a plain file.
    const std::string path = state.startupDirectory + kLastRunFileName;
    DiskError why = DiskError::None;
    if (const std::unique_ptr<FileWriter> file = disk.OpenToAppend(path, why)) {
        const std::string note = "told " + run->time + "\r\n";
        file->Write(note.data(), note.size());
        file->Close();
    }
}

} // namespace vintrel
