// What the window says in its status bar, its target field and its boxes, byte for byte.
#pragma once

namespace vintrel {

// The profile, at the start and at the end.
inline constexpr const char* kProfileNotFoundText =
    "Error: Default backup profile not found, please press the 'Search for files now' "
    "button to find and create a backup profile";
inline constexpr const char* kProfileEmptyText =
    "Error: The backup profile was found but seems to be empty!";
inline constexpr const char* kProfileUnreadableText =
    "Error: The backup profile was found but could not be processed!";
inline constexpr const char* kProfileLoadedText =
    "Information: Default backup profile loaded successfully!";
inline constexpr const char* kProfileNotSavedText =
    "Error: The backup profile could not be saved to disk for some reason!";
inline constexpr const char* kTargetMissingSuffix = "  (Does not exist)";

// The search.
inline constexpr const char* kSearchStartText =
    "Information: searching default drive 'C:' in expected user profile directory";
inline constexpr const char* kSearchDoneText =
    "Information: Job finished. Found all there was to find";
// A search that left names out says instead how many and why: "Information: Job finished.
// 2 names were left out: Windows' ANSI code page cannot hold them".
inline constexpr const char* kSearchEndedText = "Information: Job finished. ";
inline constexpr const char* kLeftOutCodePageText = "Windows' ANSI code page cannot hold ";
inline constexpr const char* kLeftOutSpellingText = "no Windows path can spell ";
// After the above, or after kSearchEndedText: "1 backup copy changed since it was made is
// listed as mail".
inline constexpr const char* kChangedCopyListedText = " changed since it was made is listed as mail";
inline constexpr const char* kChangedCopiesListedText =
    " changed since they were made are listed as mail";

// The target and the backup; a suffix follows the name of a file that is not copied.
inline constexpr const char* kFolderDialogTitle = "Please select the path to backup to";
inline constexpr const char* kTargetEmptyText =
    "Error: Backup path is empty so no backup can be performed, please set it now!";
inline constexpr const char* kNothingToBackupText =
    "Error: There is nothing in the list to backup!";
inline constexpr const char* kAllBackedUpText =
    "Information: All files seem to have been backed up okay!!";
inline constexpr const char* kTooLongSuffix =
    " Will NOT be backed up. Combined windows path length exceeds 256 characters";
inline constexpr const char* kNotBackedUpSuffix = " Not backed up. Source, target or disk error";
inline constexpr const char* kOverwritesListedSuffix =
    " Not backed up. It would overwrite another listed file";
inline constexpr const char* kSameDestinationSuffix =
    " Not backed up. Another listed file was copied to the same place";
// The other listed file follows either of the two above (", C:\Backup\Mail\a.pst"); then,
// for the first, what to do about it.
inline constexpr const char* kOldCopyText =
    ". If that is an old copy, delete it and search again; if it is mail, choose another "
    "backup folder";
// The refusals that keep a copy from being written anywhere but below the backup folder.
inline constexpr const char* kOntoItselfSuffix =
    " Not backed up. The backup folder leads back to this very file, which would be copied "
    "onto itself";
inline constexpr const char* kOutsideTargetSuffix =
    " Not backed up. Its copy would land outside the backup folder";
inline constexpr const char* kThroughLinkSuffix =
    " Not backed up. A link below the backup folder leads elsewhere; nothing is written "
    "through it";
inline constexpr const char* kLinkSwappedInSuffix =
    " Not backed up. A folder on the way became a link while it was copied; nothing was left "
    "written through it";
// The record and why it cannot be written follow: ": E:\Save\Vintrel Copies.txt is read-only".
inline constexpr const char* kNotRecordedSuffix =
    " Not backed up. The backup folder's list of its copies cannot be written";
// What the copy needs and what the target has follow: " (needs 20.0 GB, has 5.0 GB)".
inline constexpr const char* kNoSpaceSuffix = " Not backed up. Not enough space on the target";
// The changed file follows (", E:\Save\Mail\a.pst"), then what to do about it.
inline constexpr const char* kChangedCopySuffix =
    " Not backed up. It would overwrite a changed file";
inline constexpr const char* kChangedCopyText =
    ". That file is no longer the copy made there (was it opened in a mail program?): if it "
    "holds mail, move it out of the backup folder and search again";
inline constexpr const char* kTrimmedNameSuffix =
    " Not backed up. A name on its copy's path ends in a dot or a space, which Windows drops: "
    "the copy would be written under another name";
// The record and why it cannot be written follow.
inline constexpr const char* kRecordNotSettledText =
    "The copies were made, but the backup folder's list of its copies could not be brought "
    "up to date (the next backup does it)";
// The program's name, where Windows can tell, goes in between: "... program (OUTLOOK.EXE); ...".
inline constexpr const char* kEarlierCopyHeldSuffix =
    " Not backed up. The earlier copy is open in another program";
inline constexpr const char* kCloseItText = "; close it and try again";
// Why it looks damaged follows, in brackets: " (it is cut short (3 bytes))".
inline constexpr const char* kLooksDamagedSuffix =
    " Not backed up. It looks damaged: the last good copy is kept";

// A copy made of a mailbox that looks damaged, with no copy that looked whole to keep: the
// count, then these words, then the first such file and why ("a.pst (it is empty)").
inline constexpr const char* kCopiedButDamagedText = "Warning: every file was copied, but ";
inline constexpr const char* kOneLooksDamagedText =
    " copy looks damaged (there was no good one to keep): ";
inline constexpr const char* kSomeLookDamagedText =
    " copies look damaged (there were no good ones to keep), the first: ";

inline constexpr const char* kReadBackDiffersSuffix =
    " Not backed up. The copy read back differs from what was written: the earlier copy is kept";

// The word on the last scheduled run, in a box once the window shows: how the run went, when
// one last backed up every file, and where its log is.
inline constexpr const char* kLastRunCaption = "Scheduled backup";
inline constexpr const char* kQuietSinceText =
    "No scheduled backup has backed up every file since ";
inline constexpr const char* kLastSuccessText = "The last that backed up every file ran at ";
inline constexpr const char* kSeeTheLogText =
    " says which files and why; the Task Scheduler says whether the task still runs.";

} // namespace vintrel
