#include "contract/disk_contract.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <vector>

namespace vintrel::test {

namespace {

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

std::string Slashed(std::string text) {
    for (char& c : text) {
        if (c == '\\') c = '/';
    }
    return text;
}

} // namespace

void CheckDiskContract(ContractPlace& place) {
    Disk& d = place.disk();
    const std::string r = place.Root();
    place.MakeFolder(r + "\\f");
    place.MakeFolder(r + "\\empty");
    place.MakeFile(r + "\\f\\a.pst", "mail");
    place.MakeFile(r + "\\ro.pst", "kept");
    d.SetAttributes(r + "\\ro.pst", kAttributeReadOnly | kAttributeArchive);
    place.MakeFolderLink(r + "\\link", r + "\\f");
    const std::string a = r + "\\f\\a.pst";

    auto same = [&](const std::string& x, const std::string& y) {
        const std::optional<FileIdentity> one = d.Identity(x), two = d.Identity(y);
        return one && two && *one == *two;
    };
    auto contents = [&](const std::string& path, std::uint64_t limit = kWholeFile) {
        const std::optional<FileBytes> read = d.ReadFile(path, limit);
        return read ? read->bytes : "<none>";
    };
    auto opens = [&](const std::string& path, DiskError expected) {
        DiskError why = DiskError::None;
        return !d.OpenToCopy(path, why) && why == expected;
    };
    auto creates = [&](const std::string& path, DiskError expected) {
        DiskError why = DiskError::None;
        return !d.CreateNewFile(path, why) && why == expected;
    };
    auto listing = [&](const std::string& folder) {
        std::set<std::string> names;
        std::unique_ptr<DirectoryReader> reader = d.OpenDirectory(folder);
        DiskEntry entry;
        while (reader && reader->Next(entry))
            names.insert(entry.name + ((entry.attributes & kAttributeDirectory) ? "\\" : ""));
        return reader ? names : std::set<std::string>{"<unopened>"};
    };
    auto heldWhileWritten = [&] {
        DiskError why = DiskError::None;
        std::unique_ptr<FileWriter> writer = d.CreateNewFile(r + "\\held.tmp", why);
        if (!writer || !writer->Write("x", 1) || !writer->SetMarks(kAttributeHidden)) return false;
        const bool marked = d.Attributes(r + "\\held.tmp").value_or(0) & kAttributeHidden;
        const bool removedWhileHeld = d.RemoveFile(r + "\\held.tmp");
        const bool closed = writer->Close();
        writer.reset();
        return marked && !removedWhileHeld && closed && d.RemoveFile(r + "\\held.tmp") &&
               d.Absent(r + "\\held.tmp");
    };
    auto replaced = [&] {
        place.MakeFile(r + "\\new.tmp", "new");
        const bool onFolder = d.ReplaceFileWith(r + "\\new.tmp", r + "\\empty");
        place.MakeFile(r + "\\old.pst", "old");
        const bool onReadOnly = d.ReplaceFileWith(r + "\\new.tmp", r + "\\ro.pst");
        return !onFolder && !onReadOnly && d.ReplaceFileWith(r + "\\new.tmp", r + "\\old.pst") &&
               contents(r + "\\old.pst") == "new" && d.Absent(r + "\\new.tmp");
    };
    auto heldFile = [&] {
        place.MakeFile(r + "\\m.tmp", "moved");
        DiskError why = DiskError::None;
        std::unique_ptr<HeldFile> held = d.HoldSoleFile(r + "\\m.tmp", why);
        const std::uint64_t made = d.FindEntry(r + "\\m.tmp").value_or(DiskEntry{}).creationTime;
        if (!held || made == 0) return false; // moved, a file keeps when it was made
        DiskError again = DiskError::None;    // held, it is shared with no one, this program too
        const bool once = !d.HoldSoleFile(r + "\\m.tmp", again) && again == DiskError::InUse;
        const bool overReadOnly = held->MoveTo(r + "\\ro.pst");
        const bool moved = held->MoveTo(r + "\\moved.pst") && held->Size() == 5 &&
                           made ==
                               d.FindEntry(r + "\\moved.pst").value_or(DiskEntry{}).creationTime &&
                           held->Shrink(2) && held->Size() == 3 && d.Absent(r + "\\m.tmp");
        const bool deleted = held->Delete();
        held.reset();
        return once && !overReadOnly && contents(r + "\\ro.pst") == "kept" && moved && deleted &&
               d.Absent(r + "\\moved.pst");
    };
    auto heldOpen = [&] {
        place.MakeFile(r + "\\open.pst", "old");
        place.HoldOpen(r + "\\open.pst", true);
        DiskError why = DiskError::None;
        std::unique_ptr<FileWriter> copy = d.CreateNewFile(r + "\\open.tmp", why);
        if (!copy || !copy->Write("new", 3)) return false;
        const bool refused =
            !copy->MoveOver(r + "\\open.pst") && copy->Failure() == DiskError::InUse;
        const bool notHeld = !d.HoldSoleFile(r + "\\open.pst", why) && why == DiskError::InUse;
        const bool kept = contents(r + "\\open.pst") == "old";
        place.HoldOpen(r + "\\open.pst", false);
        const bool swapped = copy->MoveOver(r + "\\open.pst") && copy->Close();
        copy.reset();
        return refused && notHeld && kept && swapped && contents(r + "\\open.pst") == "new" &&
               d.Absent(r + "\\open.tmp");
    };
    auto readAll = [](std::unique_ptr<FileSource> file) {
        std::string bytes(3000000, '\0'); // more than a piece of a read past the cache
        std::size_t have = 0;
        for (std::size_t got = 1; file && got > 0; have += got)
            if (!file->Read(bytes.data() + have, 7, got)) return std::string("<failed>");
        return file ? bytes.substr(0, have) : "<none>";
    };
    auto readPastCache = [&] {
        const std::string big(1500000, 'b');
        place.MakeFile(r + "\\big.pst", big);
        DiskError why = DiskError::None, link = why;
        std::unique_ptr<FileWriter> file = d.CreateNewFile(r + "\\back.tmp", why);
        const bool written = file && file->Write("back", 4) && file->Flush();
        const std::string back = written ? readAll(file->ReadBack(why)) : "";
        if (file) file->Discard();
        file.reset();
        return readAll(d.OpenUncached(a, why)) == "mail" &&
               readAll(d.OpenUncached(r + "\\big.pst", why)) == big && back == "back" &&
               !d.OpenUncached(r + "\\link", link) && !d.OpenUncached(r + "\\f", why) &&
               !d.OpenUncached(r + "\\none.pst", why) && why == DiskError::NotFound;
    };
    auto listedFromTheRoot = [&] {
        place.ChangeDirectory(r + "\\f");
        const bool listed = listing("C:").count(r.substr(3, r.find('\\', 3) - 3) + "\\") == 1;
        place.ChangeDirectory(r);
        return listed;
    };
    auto driveRelative = [&] {
        place.ChangeDirectory(r + "\\f");
        const bool result = same("C:a.pst", a) && same("C:", r + "\\f") && same("C:.", r + "\\f");
        place.ChangeDirectory(r);
        return result;
    };

    const struct {
        const char* what;
        std::function<bool()> holds;
    } rows[] = {
        {"one file by every spelling",
         [&] {
             return same(a, Upper(a)) && same(a, Slashed(a)) && same(a, r + "\\f\\.\\..\\f\\a.pst") &&
                    same(a, "\\\\?\\" + a) && !same(a, r + "\\ro.pst");
         }},
        {"another letter for the drive",
         [&] { return same(a, place.AliasOfDriveC() + a.substr(3)); }},
        {"a folder link leads to its folder, and shows as a link",
         [&] {
             return (d.Attributes(r + "\\link").value_or(0) & kAttributeReparsePoint) &&
                    d.IsLink(r + "\\link") && !d.IsLink(r + "\\f") && !d.IsLink(a) &&
                    same(r + "\\link\\a.pst", a) && same(r + "\\link", r + "\\f") &&
                    d.FinalPath(r + "\\link\\a.pst") == d.FinalPath(a) && !d.FinalPath(a).empty();
         }},
        {"drive-relative \"C:\" is the current directory", driveRelative},
        {"but a listing of \"C:\" is of the drive's root", listedFromTheRoot},
        {"a folder is found as a folder",
         [&] {
             const std::optional<DiskEntry> entry = d.FindEntry(r + "\\f");
             return entry && (entry->attributes & kAttributeDirectory) &&
                    (d.Attributes(r + "\\f\\").value_or(0) & kAttributeDirectory) &&
                    !(d.Attributes(a).value_or(kAttributeDirectory) & kAttributeDirectory) &&
                    !d.FindEntry(a + "\\") && !d.Attributes(a + "\\"); // a file by its name alone
         }},
        {"only nothing is absent",
         [&] {
             return d.Absent(r + "\\none.pst") && d.Absent(r + "\\none\\x.pst") &&
                    !d.Absent(r + "\\f") && !d.Absent(a) && !d.Attributes(r + "\\none.pst");
         }},
        {"a folder, a missing file or folder cannot be opened to copy",
         [&] {
             return opens(r + "\\f", DiskError::AccessDenied) &&
                    opens(r + "\\none.pst", DiskError::NotFound) &&
                    opens(r + "\\none\\x.pst", DiskError::NotFound);
         }},
        {"a file is read whole, or to a byte past a limit",
         [&] { return contents(a) == "mail" && contents(a, 2) == "mai"; }},
        {"a new file never opens what stands there",
         [&] {
             return creates(a, DiskError::AccessDenied) && contents(a) == "mail" &&
                    creates(r + "\\f", DiskError::AccessDenied) &&
                    creates(r + "\\none\\x.tmp", DiskError::NotFound);
         }},
        {"a file a writer holds is not removed until it is closed", heldWhileWritten},
        {"removing: a read-only file goes, a folder or nothing does not",
         [&] {
             place.MakeFile(r + "\\ro2.pst", "x");
             d.SetAttributes(r + "\\ro2.pst", kAttributeReadOnly);
             return d.RemoveFile(r + "\\ro2.pst") && d.Absent(r + "\\ro2.pst") &&
                    !d.RemoveFile(r + "\\empty") && !d.Absent(r + "\\empty") &&
                    !d.RemoveFile(r + "\\none.pst");
         }},
        {"a held file moves and goes by its handle, never over a read-only file", heldFile},
        {"a file another program has open is neither replaced nor held until it lets go", heldOpen},
        {"only a plain file's one name is held",
         [&] {
             DiskError why = DiskError::None;
             return !d.HoldSoleFile(r + "\\link", why) && !d.HoldSoleFile(r + "\\f", why) &&
                    !d.HoldSoleFile(r + "\\none.pst", why) && d.HoldSoleFile(a, why) != nullptr &&
                    d.SoleName(a) && !d.SoleName(r + "\\link") && !d.SoleName(r + "\\f");
         }},
        {"a replace takes a file's place, never a folder's or a read-only file's", replaced},
        {"read past the cache: a plain file by its one name, a new one by handle", readPastCache},
        {"a file beyond MAX_PATH in a folder within it is made, read, replaced and removed",
         [&] {
             const std::string folder = r + "\\" + std::string(246 - r.size(), 'l');
             place.MakeFolder(folder);
             const std::string name = folder + "\\Vintrel Copies.txt";
             DiskError why = DiskError::None;
             std::unique_ptr<FileWriter> file = d.CreateNewFile(name + ".tmp", why);
             const bool made = file && file->Write("lines", 5) && file->Close() && d.Absent(name);
             file.reset();
             return name.size() >= 260 && made && d.ReplaceFileWith(name + ".tmp", name) &&
                    d.FindEntry(name).value_or(DiskEntry{}).size == 5 &&
                    contents(name) == "lines" &&
                    d.Absent(name + ".tmp") && d.RemoveFile(name) && d.Absent(name);
         }},
        {"a folder's volume says what is free there, and keeps times exactly here",
         [&] {
             const VolumeFacts facts = d.Volume(r + "\\f\\");
             return facts.freeBytes.value_or(0) > 0 && facts.timeStep == 0;
         }},
        {"a listing gives . and .. and every entry; a file is no folder to list",
         [&] {
             return listing(r + "\\f") == std::set<std::string>{".\\", "..\\", "a.pst"} &&
                    listing(r + "\\empty") == std::set<std::string>{".\\", "..\\"} &&
                    listing(a) == std::set<std::string>{"<unopened>"};
         }},
        {"appending adds to the end, makes a missing file, never a folder's or a link's",
         [&] {
             DiskError why = DiskError::None;
             std::unique_ptr<FileWriter> log = d.OpenToAppend(r + "\\log.txt", why);
             const bool made = log && log->Write("one,", 4) && log->Close();
             log = d.OpenToAppend(r + "\\log.txt", why);
             const bool added = log && log->Write("two", 3) && log->Close();
             log.reset();
             return made && added && contents(r + "\\log.txt") == "one,two" &&
                    !d.OpenToAppend(r + "\\empty", why) &&
                    !d.OpenToAppend(r + "\\link", why) && !d.OpenToAppend(r + "\\none\\x", why);
         }},
        {"folders are made after the root (a share's too), once; below a file of a folder's name, "
         "not",
         [&] {
             const std::string share = place.ShareOfDriveC();
             // A share's root is found as a folder.
             const std::optional<DiskEntry> shareRoot =
                 share.empty() ? std::nullopt : d.FindEntry(share.substr(0, share.size() - 1));
             return d.MakeDirectoryPath(r + "\\m\\n\\") == DiskError::None &&
                    d.MakeDirectoryPath(r + "\\m\\n\\x.pst") == DiskError::None &&
                    (d.Attributes(r + "\\m\\n").value_or(0) & kAttributeDirectory) &&
                    d.MakeDirectoryPath(a + "\\x\\") == DiskError::NotAFolder &&
                    d.MakeDirectoryPath("\\\\?\\" + r + "\\q\\") == DiskError::None &&
                    !d.Absent(r + "\\q") &&
                    (share.empty() ||
                     (d.MakeDirectoryPath(share + r.substr(3) + "\\s\\") == DiskError::None &&
                      !d.Absent(r + "\\s") && shareRoot &&
                      (shareRoot->attributes & kAttributeDirectory)));
         }},
        {"a folder is held, made where missing; a link, a file or a missing parent is not",
         [&] {
             DiskError why = DiskError::None, link = why, file = why, missing = why;
             std::unique_ptr<HeldFolder> held = d.HoldFolder(r + "\\h", why);
             return held && !held->BecameLink() && held->FinalPath() == d.FinalPath(r + "\\h") &&
                    !held->FinalPath().empty() &&
                    !d.HoldFolder(r + "\\link", link) && link == DiskError::Link &&
                    !d.HoldFolder(a, file) && file == DiskError::NotAFolder &&
                    !d.HoldFolder(r + "\\none\\x", missing) && missing == DiskError::NotFound;
         }},
        {"a held folder cannot be swapped for a link; let go, it can, and is held no more",
         [&] {
             DiskError why = DiskError::None;
             std::unique_ptr<HeldFolder> held = d.HoldFolder(r + "\\w", why);
             const bool swappedWhileHeld = place.SwapForLink(r + "\\w", r + "\\f");
             const bool leads = held && !held->BecameLink();
             held.reset();
             return !swappedWhileHeld && leads && place.SwapForLink(r + "\\w", r + "\\f") &&
                    !d.HoldFolder(r + "\\w", why) && why == DiskError::Link;
         }},
        {"a folder of one's own is made only where nothing stands, and goes let go, if empty",
         [&] {
             DiskError why = DiskError::None, taken = why, linked = why;
             std::unique_ptr<HeldFolder> own = d.MakeOwnFolder(r + "\\own", why);
             const bool made = own && !d.MakeOwnFolder(r + "\\own", taken) &&
                               !d.MakeOwnFolder(r + "\\link", linked) && linked == taken &&
                               taken == DiskError::AccessDenied && (own.reset(), true);
             return made && d.Absent(r + "\\own") && !d.RemoveFolder(r + "\\link") &&
                    !d.RemoveFolder(r + "\\f") && d.MakeDirectoryPath(r + "\\e\\") == why &&
                    d.RemoveFolder(r + "\\e") && d.Absent(r + "\\e") && !d.Absent(r + "\\f");
         }},
        {"a held file's read-only mark is cleared and set through it, a read-only one held too",
         [&] {
             DiskError why = DiskError::None;
             std::unique_ptr<HeldFile> held = d.HoldSoleFile(r + "\\ro.pst", why);
             return held && held->SetReadOnly(false) && !held->SetReadOnly(false) &&
                    !(d.Attributes(r + "\\ro.pst").value_or(1) & kAttributeReadOnly) &&
                    held->SetReadOnly(true) && (d.Attributes(r + "\\ro.pst").value_or(0) & 1);
         }},
        {"a new file knows where it is, and goes by its handle, marked read-only too",
         [&] {
             DiskError why = DiskError::None;
             std::unique_ptr<FileWriter> file = d.CreateNewFile(r + "\\f\\gone.tmp", why);
             const bool known = file && !file->FinalPath().empty() &&
                                file->FinalPath() == d.FinalPath(r + "\\f\\gone.tmp");
             const bool discarded = file && file->SetMarks(kAttributeReadOnly) &&
                                    file->Discard() && file->Close();
             file.reset();
             return known && discarded && d.Absent(r + "\\f\\gone.tmp");
         }},
        {"a turn is one run's at a time and goes when let go; a leftover is taken, a link at its "
         "name never followed",
         [&] {
             const std::string lock = r + "\\t.lock", link = r + "\\link.lock";
             place.MakeFile(lock, "left by a power cut");
             place.MakeFolderLink(link, a);
             DiskError why = DiskError::None;
             std::unique_ptr<HeldTurn> turn = d.TakeTurn(lock, 0, why);
             const bool one = turn && !d.TakeTurn(lock, 0, why) && why == DiskError::InUse;
             turn = d.TakeTurn(link, 0, why);
             return one && d.Absent(lock) && contents(a) == "mail" &&
                    (turn ? !d.IsLink(link) : why == DiskError::Link);
         }},
        {"the attributes set are the ones read",
         [&] {
             return (d.Attributes(r + "\\ro.pst").value_or(0) & kAttributeReadOnly) &&
                    (d.SetAttributes(r + "\\ro.pst", kAttributeArchive), true) &&
                    !(d.Attributes(r + "\\ro.pst").value_or(1) & kAttributeReadOnly);
         }},
        {"a drive's root; one index by any spelling; no size limit, holder (set on the fake); "
         "renames by name as the platform does (the place says it: cannot fail on the fake); "
         "a pause only lets time pass (cannot fail on either)", [&] {
             return d.DriveType("C:\\") > 1 && d.DriveType("Q:\\") == 1 && !d.FileSizeLimit(r) &&
                    d.RenamesByName() == place.RenamesByName() &&
                    d.FileIndex(Upper(a)) == d.FileIndex(r + "\\link\\a.pst") && d.FileIndex(a) &&
                    d.FileIndex(a) != d.FileIndex(r + "\\ro.pst") && d.HolderOf(a).empty() &&
                    (d.Pause(1), true); }},
        {"a link to a file leads to it, and is not held, read uncached or removed through", [&] {
             const std::string l = r + "\\l.pst";
             DiskError why = (place.MakeFolderLink(l, a), DiskError::None);
             return d.IsLink(l) && same(l, a) && !d.SoleName(l) && !d.HoldSoleFile(l, why) &&
                    !d.OpenUncached(l, why) && (d.RemoveFile(l), contents(a) == "mail"); }},
        {"a held file is not replaced or removed; moved, it acts by itself, not its old name", [&] {
             place.MakeFile(r + "\\k", "kept1"), place.MakeFile(r + "\\o", "x");
             DiskError why = DiskError::None;
             std::unique_ptr<HeldFile> held = d.HoldSoleFile(r + "\\k", why);
             std::unique_ptr<FileWriter> w = d.CreateNewFile(r + "\\w.tmp", why);
             const bool kept = held && w && !w->MoveOver(r + "\\k") &&
                               w->Failure() == DiskError::InUse && w->Discard() &&
                               !d.ReplaceFileWith(r + "\\o", r + "\\k") &&
                               !d.RemoveFile(r + "\\k") && held->MoveTo(r + "\\k2");
             return kept && (place.MakeFile(r + "\\k", "new"), held->Shrink(1)) &&
                    held->Size() == 4 && contents(r + "\\k") == "new"; }},
        {"a writer's time shows in its entry and to a source, which tells its size and fails not",
         [&] {
             constexpr std::uint64_t kWhen = 134412121850000000ULL; // 2026-12-08 14:03:05
             DiskError why = DiskError::None;
             std::unique_ptr<FileWriter> file = d.CreateNewFile(r + "\\timed.tmp", why);
             const bool written = file && file->Write("time", 4) &&
                                  file->SetLastWriteTime(kWhen) && file->Flush() && file->Close();
             std::unique_ptr<FileSource> source =
                 (file.reset(), d.OpenToCopy(r + "\\timed.tmp", why));
             const std::optional<FileFacts> facts = source ? source->Facts() : std::nullopt;
             char bytes[8] = "";
             std::size_t got = 0;
             return written && facts && facts->size == 4 && facts->lastWriteTime == kWhen &&
                    !(facts->attributes & kAttributeDirectory) &&
                    source->Failure() == DiskError::None && source->Read(bytes, 8, got) &&
                    got == 4 && source->Failure() == DiskError::None &&
                    d.FindEntry(r + "\\timed.tmp").value_or(DiskEntry{}).lastWriteTime == kWhen;
         }},
        {"a long name lists as itself; one the code page cannot hold lists once, not exactly, "
         "by a short name that opens that very file (where the code page is UTF-8, or the "
         "volume keeps no 8.3 names, no such name can be made: the long name alone is tried)",
         [&] {
             const std::string name = "a long name.pst", f = r + "\\f\\", bytes = "by 8.3";
             place.MakeFile(f + name, "long");
             if (!place.MakeFileTheCodePageCannotName(r + "\\f", bytes)) {
                 std::printf("[ note ] no name outside the code page on this machine\n");
                 return listing(r + "\\f") ==
                        std::set<std::string>{".\\", "..\\", "a.pst", name};
             }
             std::unique_ptr<DirectoryReader> reader = d.OpenDirectory(r + "\\f");
             DiskEntry e, odd;
             for (DiskEntry x; reader && reader->Next(x);) {
                 if (x.name == name) e = x;
                 if (!x.nameExact) odd = x;
             }
             const std::string s = f + odd.shortName;
             return OpenableName(e) == name &&
                    (e.shortName.empty() || same(f + e.shortName, f + name)) &&
                    listing(r + "\\f") ==
                        std::set<std::string>{".\\", "..\\", "a.pst", name, "?ukasz mail.pst"} &&
                    !odd.nameExact && !odd.shortName.empty() &&
                    OpenableName(odd) == odd.shortName && same(s, r + "\\link\\" + odd.shortName) &&
                    !same(s, f + "a.pst") && contents(s) == bytes &&
                    d.FindEntry(s).value_or(DiskEntry{}).size == bytes.size();
         }},
    };
    for (const auto& row : rows) {
        EXPECT_TRUE(row.holds()) << row.what;
    }
}

} // namespace vintrel::test
