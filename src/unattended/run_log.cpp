#include "unattended/run_log.h"

#include "app/paths.h"

namespace vintrel {

void RunLog::Open(bool cut) {
    if (disk_.IsLink(path_)) return;
    const std::optional<FileBytes> old = cut ? disk_.ReadFile(path_, kWholeFile) : std::nullopt;
    if (old && old->complete && old->bytes.size() > kLogLimit * 3 / 4 &&
        !ReplaceWholeFile(disk_, path_, temporary_, CutLog(old->bytes))) {
        return;
    }
    DiskError why = DiskError::None;
    writer_ = disk_.OpenToAppend(path_, why);
    written_ = writer_ != nullptr;
}

void RunLog::FileDone(const FileResult& file) {
    const bool well =
        file.outcome == CopyOutcome::Copied || file.outcome == CopyOutcome::Unchanged;
    Add("  " + file.source + ": " + OutcomeText(file), well ? Weight::Well : Weight::Any);
}

void RunLog::Final(std::string line) {
    if (leftOut_ > 0) {
        Add(std::to_string(leftOut_) +
                (leftOut_ == 1 ? " line was" : " lines were") +
                " left out of the log, to keep it below its size",
            Weight::Last, false);
    }
    Add(std::move(line), Weight::Last);
}

void RunLog::LetGo() {
    const std::unique_ptr<FileWriter> writer = std::move(writer_);
    if (writer && !writer->Close()) written_ = false;
}

void RunLog::Pause() {
    LetGo();
    const std::optional<DiskEntry> entry = disk_.FindEntry(path_);
    pausedSize_ = entry ? std::optional(entry->size) : std::nullopt;
}

void RunLog::Resume(const std::string& header) {
    // A link put at the log's name meanwhile is refused by the append's open itself.
    const std::optional<DiskEntry> entry = disk_.FindEntry(path_);
    DiskError why = DiskError::None;
    writer_ = disk_.OpenToAppend(path_, why);
    if (!writer_) written_ = false;
    if (!entry || entry->size != pausedSize_) Add(header, Weight::Last);
}

bool RunLog::Close() {
    LetGo();
    if (!written_ && setting_.echo) setting_.echo("The log " + path_ + " could not be written.");
    return written_;
}

void RunLog::Add(std::string line, Weight weight, bool echo) {
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

std::string OutcomeText(const FileResult& file) {
    switch (file.outcome) {
    case CopyOutcome::Copied:
        return (file.damage.empty()
                    ? std::string("copied")
                    : "copied, but it looks damaged (" + file.damage +
                          "), and no earlier copy that looks whole was there to keep") +
               (file.notKept.empty() ? "" : "; previous copy not kept: " + file.notKept);
    case CopyOutcome::ChangedCopy:
        return "not copied: it would overwrite a changed file, " + file.other +
               ", which is no longer the copy made there";
    case CopyOutcome::TrimmedName:
        return "not copied: a name on its copy's path ends in a dot or a space, which Windows "
               "drops";
    case CopyOutcome::LooksDamaged:
        return "not copied: it looks damaged: the last good copy is kept" +
               (file.damage.empty() ? std::string() : " (" + file.damage + ")");
    case CopyOutcome::ReadBackDiffers:
        return "not copied: the copy read back differs from what was written; the earlier copy "
               "is kept";
    case CopyOutcome::Unchanged:
        return "unchanged";
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
    case CopyOutcome::LinkSwappedIn:
        return "not copied: a folder on the way became a link while it was copied, and nothing "
               "was left written through it";
    case CopyOutcome::PathNotFound:
        return "not copied: the path to its copy is not there (is the target's drive or share "
               "missing?)";
    case CopyOutcome::FileInTheWay:
        return "not copied: a file stands where a folder on the way to its copy goes";
    case CopyOutcome::NotRecorded:
        return "not copied: the target folder's record of its copies cannot be read or written" +
               (file.detail.empty() ? std::string() : ": " + file.detail);
    case CopyOutcome::NoSpace:
        return "not copied: not enough space on the target" +
               (file.detail.empty() ? std::string() : " (" + file.detail + ")");
    case CopyOutcome::EarlierCopyHeld:
        return "not copied: the earlier copy is open in another program" +
               (file.holder.empty() ? std::string() : " (" + file.holder + ")") +
               "; close it and try again";
    case CopyOutcome::Failed:
        break;
    }
    return "not copied: source, target or disk error";
}

namespace {

// Whether the text at `at` begins as a run's first line does: with its date ("2026-12-08").
bool BeginsWithYear(const std::string& text, std::size_t at) {
    return MatchesDigits(text, at, "0000-");
}

} // namespace

std::string CutLog(const std::string& log) {
    if (log.size() <= kLogLimit / 2) return log;
    // The newest half of the limit, from the first run's first line in it, or else from the
    // first whole line.
    const std::size_t from = log.size() - kLogLimit / 2;
    std::size_t line = log.find('\n', from - 1);
    for (std::size_t at = line; at != std::string::npos; at = log.find('\n', at + 1)) {
        if (BeginsWithYear(log, at + 1)) {
            line = at;
            break;
        }
    }
    return line == std::string::npos ? std::string() : log.substr(line + 1);
}

} // namespace vintrel
