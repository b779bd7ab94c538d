#include "fakes.h"

#include <algorithm>
#include <stdexcept>

#include "app/file_list.h"
#include "app/paths.h"
#include "app/probe.h"

namespace vintrel::test {

namespace {

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}
std::string Parent(const std::string& path) {
    const std::size_t last = path.find_last_of('\\');
    if (last == 2 && path[1] == ':') return path.substr(0, 3);
    return path.substr(0, last);
}
std::string Name(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}
std::string Join(const std::string& directory, const std::string& name) {
    return directory.back() == '\\' ? directory + name : directory + "\\" + name;
}
// Whether `path` is `place` or lies below it.
bool AtOrBelow(const std::string& path, const std::string& place) {
    if (path.size() < place.size()) return false;
    for (std::size_t i = 0; i < place.size(); ++i) {
        if (Fold(path[i]) != Fold(place[i])) return false;
    }
    return path.size() == place.size() || place.back() == '\\' || path[place.size()] == '\\';
}
DiskEntry Entry(const std::string& name, std::uint32_t attributes, std::uint64_t size) {
    DiskEntry entry;
    entry.name = name;
    // The code page's stand-in for what it cannot hold: "?", or U+FFFD where the code page is
    // UTF-8 (a name that truly holds U+FFFD is not modelled).
    entry.nameExact =
        name.find('?') == std::string::npos && name.find("\xEF\xBF\xBD") == std::string::npos;
    entry.attributes = attributes;
    entry.size = size;
    return entry;
}

// The path made absolute and plain, as GetFullPathNameA makes it: by its text alone.
std::string Absolute(std::string path, const std::string& current) {
    if (path.rfind("\\\\?\\", 0) == 0 || path.rfind("\\\\.\\", 0) == 0) path = path.substr(4);
    std::replace(path.begin(), path.end(), '/', '\\');
    std::string root;
    std::string rest;
    if (path.size() >= 2 && path[1] == ':') {
        root = path.substr(0, 2) + "\\";
        rest = path.substr(2);
        // "C:x" starts from the current directory when that is on the same drive.
        if ((rest.empty() || rest[0] != '\\') && Fold(current[0]) == Fold(path[0])) {
            rest = current.substr(2) + "\\" + rest;
        }
    } else if (path.rfind("\\\\", 0) == 0) {
        const std::size_t server = path.find('\\', 2);
        const std::size_t share =
            server == std::string::npos ? server : path.find('\\', server + 1);
        root = path.substr(0, share);
        rest = share == std::string::npos ? "" : path.substr(share);
    } else if (!path.empty() && path[0] == '\\') {
        root = current.substr(0, 3);
        rest = path;
    } else {
        root = current.substr(0, 3);
        rest = current.substr(2) + "\\" + path;
    }
    std::vector<std::string> parts;
    for (std::size_t at = 0; at <= rest.size();) {
        std::size_t end = rest.find('\\', at);
        if (end == std::string::npos) end = rest.size();
        const std::string part = rest.substr(at, end - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = end + 1;
    }
    std::string full = root;
    for (const std::string& part : parts)
        full = Join(full, part);
    return full;
}

} // namespace

bool PathLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Fold(x) < Fold(y); });
}

namespace {

bool SamePlace(const std::string& a, const std::string& b) {
    return !PathLess()(a, b) && !PathLess()(b, a);
}

} // namespace

std::string FakeDisk::Unalias(const std::string& path) const {
    for (const auto& [alias, place] : aliases_) {
        if (AtOrBelow(path, alias)) {
            const std::string rest = path.substr(std::min(path.size(), alias.size()));
            return rest.empty() || rest == "\\" ? place : Join(place, rest.substr(rest[0] == '\\'));
        }
    }
    return path;
}

std::string FakeDisk::ResolveFrom(const std::string& path, int hops) const {
    if (hops > 16) return "";
    const std::string full = Unalias(Absolute(path, currentDirectory));
    // Each folder on the way that is a link leads on to its target.
    std::size_t at = full.find('\\', 2);
    if (full.rfind("\\\\", 0) == 0) at = full.find('\\', full.find('\\', 2) + 1);
    std::string resolved = full.substr(0, at == std::string::npos ? full.size() : at + 1);
    while (at != std::string::npos && at + 1 < full.size()) {
        std::size_t end = full.find('\\', at + 1);
        if (end == std::string::npos) end = full.size();
        resolved = Unalias(Join(resolved, full.substr(at + 1, end - at - 1)));
        if (auto link = links_.find(resolved); link != links_.end()) {
            resolved = ResolveFrom(link->second, hops + 1);
            if (resolved.empty()) return "";
        }
        at = end == full.size() ? std::string::npos : end;
    }
    return resolved;
}

std::string FakeDisk::Resolve(const std::string& path) const {
    return path.empty() ? "" : ResolveFrom(path, 0);
}

bool FakeDisk::IsDirectory(const std::string& resolved) const {
    if (missingDrives.count(resolved.substr(0, 2))) return false;
    if (resolved.size() == 3 && resolved[1] == ':') return true;
    if (directories_.count(resolved) || listings_.count(resolved)) return true;
    if (auto share = shares_.find(resolved); share != shares_.end()) {
        return (share->second & kAttributeDirectory) != 0;
    }
    if (auto e = entries_.find(resolved); e != entries_.end()) {
        return (e->second.attributes & kAttributeDirectory) != 0;
    }
    const std::string below = Join(resolved, "");
    auto f = files.lower_bound(below);
    return f != files.end() && AtOrBelow(f->first, resolved);
}

bool FakeDisk::Exists(const std::string& resolved) const {
    return !resolved.empty() &&
           (files.count(resolved) || entries_.count(resolved) || IsDirectory(resolved));
}

void FakeDisk::AddFile(const std::string& path, std::uint64_t size) {
    entries_[path] = Entry(Name(path), 0x20, size);
}

void FakeDisk::AddDirectory(const std::string& path) {
    entries_[path] = Entry(Name(path), kAttributeDirectory, 0);
}

namespace {

class FakeReader : public DirectoryReader {
public:
    FakeReader(std::vector<DiskEntry> entries, int& open)
        : entries_(std::move(entries)), open_(open) {
        ++open_;
    }
    ~FakeReader() override { --open_; }
    bool Next(DiskEntry& entry) override {
        if (at_ >= entries_.size()) return false;
        entry = entries_[at_++];
        return true;
    }

private:
    std::vector<DiskEntry> entries_;
    std::size_t at_ = 0;
    int& open_;
};

} // namespace

void FakeDisk::AddFileIn(const std::string& path, std::uint32_t attributes, std::uint64_t size,
                         std::uint64_t lastWriteTime, const std::string& shortName,
                         std::uint32_t reparseTag) {
    DiskEntry entry = Entry(Name(path), attributes, size);
    entry.lastWriteTime = lastWriteTime;
    entry.reparseTag = reparseTag;
    entry.shortName = shortName;
    listings_[Parent(path)].push_back(entry);
    entries_[shortName.empty() ? path : Join(Parent(path), shortName)] = entry;
}

void FakeDisk::AddDirectoryIn(const std::string& path, std::uint32_t attributes,
                              std::uint32_t reparseTag, const std::string& shortName) {
    DiskEntry entry = Entry(Name(path), attributes, 0);
    entry.reparseTag = reparseTag;
    entry.shortName = shortName;
    listings_[Parent(path)].push_back(entry);
    auto& own = listings_[shortName.empty() ? path : Join(Parent(path), shortName)];
    if (own.empty()) {
        own.push_back(Entry(".", kAttributeDirectory, 0));
        own.push_back(Entry("..", kAttributeDirectory, 0));
    }
}

void FakeDisk::AddLink(const std::string& path, const std::string& target,
                       std::uint32_t reparseTag) {
    listings_[Parent(path)].push_back(
        {Name(path), kAttributeDirectory | kAttributeReparsePoint, 0, 0, reparseTag, ""});
    links_[path] = target;
}

bool FakeDisk::SoleName(const std::string& path) {
    const std::string name = ResolveParent(path);
    bool file = files.count(name) > 0;
    // A file laid out by hand has one name too, its short name aside.
    const auto listing = listings_.find(Parent(name));
    for (std::size_t i = 0; !file && listing != listings_.end() && i < listing->second.size();
         ++i) {
        const DiskEntry& entry = listing->second[i];
        file = !(entry.attributes & kAttributeDirectory) &&
               (SamePath(entry.name, Name(name)) ||
                (!entry.shortName.empty() && SamePath(entry.shortName, Name(name))));
    }
    return file && !links_.count(name) && !otherNames.count(name);
}

std::unique_ptr<DirectoryReader> FakeDisk::OpenDirectory(const std::string& directory) {
    // The folder of the pattern, as Windows takes it: "C:" lists "C:\\*.*", the drive's root.
    const std::string pattern = ListingPattern(directory);
    listed.push_back(pattern);
    const std::string resolved = Resolve(pattern.substr(0, pattern.size() - 3));
    if (denied_.count(resolved)) return nullptr;
    auto it = listings_.find(resolved);
    if (it == listings_.end() && !IsDirectory(resolved)) return nullptr;
    std::vector<DiskEntry> entries;
    if (it != listings_.end()) entries = it->second;
    // Every folder but a drive's root lists "." and ".." first, files laid out in it or not.
    if (resolved.size() > 3 && (entries.empty() || entries[0].name != ".")) {
        entries.insert(entries.begin(),
                       {Entry(".", kAttributeDirectory, 0), Entry("..", kAttributeDirectory, 0)});
    }
    // Files written and folders made since show too, after the entries laid out by hand; a
    // file laid out with a short name is listed once, under its long name.
    PathSet names;
    for (const DiskEntry& e : entries)
        names.insert(e.name), names.insert(e.shortName);
    auto add = [&](const std::string& path, std::uint32_t attributes, std::uint64_t size) {
        if (Parent(path).size() != resolved.size() || !AtOrBelow(path, resolved) ||
            path.size() == resolved.size() || !names.insert(Name(path)).second) {
            return;
        }
        entries.push_back(Entry(Name(path), attributes, size));
        entries.back().creationTime = created.count(path) ? created[path] : 0;
        entries.back().lastWriteTime = lastWrite.count(path) ? lastWrite[path] : 0;
    };
    // As the real listing: a file's size and time as they are now.
    for (const auto& [path, bytes] : files)
        add(path, 0x20, sizes.count(path) ? sizes[path] : bytes.size());
    for (const std::string& path : directories_)
        add(path, kAttributeDirectory, 0);
    auto reader = std::make_unique<FakeReader>(entries, openListings);
    mostOpenListings = std::max(mostOpenListings, openListings);
    return reader;
}

std::optional<FileIdentity> FakeDisk::Identity(const std::string& path) {
    const std::string resolved = Resolve(path);
    if (!Exists(resolved) || unlookable.count(resolved) || unlookable.count(path)) {
        return std::nullopt;
    }
    if (numberless.count(resolved.substr(0, 2))) return KnownIdentity(FileIdentity{});
    // Each volume numbers its own files from 1, so indexes meet across volumes.
    const std::uint32_t volume = static_cast<unsigned char>(Fold(resolved[0])) * 256u +
                                 static_cast<unsigned char>(Fold(resolved[2]));
    auto it = identities_.find(resolved);
    if (it == identities_.end()) {
        const auto onVolume =
            std::count_if(identities_.begin(), identities_.end(), [&](const auto& e) {
                return Fold(e.first[0]) == Fold(resolved[0]) &&
                       Fold(e.first[2]) == Fold(resolved[2]);
            });
        it = identities_.emplace(resolved, onVolume + 1).first;
    }
    return KnownIdentity(FileIdentity{volume, it->second}); // as the real disk asks
}

std::optional<std::uint64_t> FakeDisk::FileIndex(const std::string& path) {
    ++indexAsked[path];
    const std::optional<FileIdentity> identity = Identity(path);
    if (!identity) return std::nullopt;
    return identity->index;
}

std::string FakeDisk::FinalPath(const std::string& path) {
    const std::string resolved = Resolve(path);
    return Exists(resolved) && !finalPathsUnknown ? resolved : "";
}

namespace {

class FakeWriter : public FileWriter {
public:
    FakeWriter(FakeDisk& disk, const std::string& path)
        : disk_(disk), name_(disk.openNames.insert(disk.openNames.end(), path)) {
        ++disk_.ownWriters[path];
    }
    ~FakeWriter() override {
        Close();
        disk_.openNames.erase(name_);
    }
    bool Write(const char* data, std::size_t size) override {
        EXPECT_GT(size, 0u) << "a write of no bytes is a call for nothing";
        ++disk_.writes;
        std::string& contents = disk_.files[*name_];
        if ((disk_.failAt == FakeDisk::Step::Write && disk_.writes == disk_.failingWrite) ||
            disk_.failCopyTo.count(*name_)) {
            contents.append(data, size / 2); // a disk that fills up part-way
            failure_ = DiskError::DiskFull;
            return false;
        }
        contents.append(data, size);
        return true;
    }
    bool SetLastWriteTime(std::uint64_t time) override {
        if (disk_.failAt == FakeDisk::Step::SetTime) return Step(false);
        disk_.lastWrite[*name_] = time;
        return true;
    }
    bool Flush() override { return Step(disk_.failAt != FakeDisk::Step::Flush); }
    bool SetMarks(std::uint32_t marks) override { return disk_.SetAttributes(*name_, marks), true; }
    bool MoveOver(const std::string& destination) override {
        // A link swapped in at its own name moves nothing; with Step::Replace, a whole file
        // written aside (a ".tmp") cannot take its name.
        const std::string& from = *name_;
        if (disk_.IsLink(from) || (disk_.failAt == FakeDisk::Step::Replace && from.size() > 4 &&
                                   from.compare(from.size() - 4, 4, ".tmp") == 0)) {
            failure_ = disk_.IsLink(from) ? DiskError::Link : DiskError::Other;
            return false;
        }
        // The open handle goes with the file: it is no longer held under the old name.
        Release();
        bool moved = Step(disk_.MoveFileOver(*name_, destination));
        // A file open here or elsewhere shares no removal: nothing is moved over it.
        if (!moved && (disk_.HeldElsewhere(destination) ||
                       disk_.OpenHere(disk_.ResolveParent(destination))))
            failure_ = DiskError::InUse;
        // The name must lead to this very file afterwards.
        if (moved && disk_.IsLink(destination)) moved = false, failure_ = DiskError::Link;
        ++disk_.ownWriters[*name_];
        open_ = true;
        return moved;
    }
    std::string FinalPath() override { return disk_.finalPathsUnknown ? "" : *name_; }
    bool Discard() override { return discarded_ = true; }
    std::unique_ptr<FileSource> ReadBack(DiskError& why) override;
    bool Close() override {
        Release();
        if (discarded_) disk_.files.erase(*name_);
        discarded_ = false;
        return Step(disk_.failAt != FakeDisk::Step::Close && !disk_.closeFails.count(*name_));
    }
    DiskError Failure() override { return failure_; }

private:
    bool Step(bool done) {
        if (!done) failure_ = DiskError::Other;
        return done;
    }
    void Release() {
        if (open_ && --disk_.ownWriters[*name_] == 0) disk_.ownWriters.erase(*name_);
        open_ = false;
    }
    FakeDisk& disk_;
    std::list<std::string>::iterator name_; // where the open file is now
    bool open_ = true;
    bool discarded_ = false;
    DiskError failure_ = DiskError::None;
};

class FakeSource : public FileSource {
public:
    // `uncached`: read from the disk itself, where alteredReadBack may flip its first byte.
    FakeSource(FakeDisk& disk, std::string path, bool uncached = false)
        : disk_(disk), path_(std::move(path)), uncached_(uncached) {
        ++disk_.openSources;
    }
    ~FakeSource() override { --disk_.openSources; }
    std::optional<FileFacts> Facts() override {
        auto file = disk_.files.find(path_);
        if (file == disk_.files.end() || disk_.factsUnknown.count(path_)) return std::nullopt;
        auto size = disk_.sizes.find(path_);
        return FileFacts{
            size != disk_.sizes.end() ? size->second : file->second.size(), disk_.lastWrite[path_],
            0x20u | (disk_.readOnly.count(path_) ? kAttributeReadOnly : 0u) | disk_.marks[path_]};
    }
    bool Read(char* buffer, std::size_t size, std::size_t& got) override {
        got = 0;
        EXPECT_GT(size, 0u) << "a read of no bytes is a call for nothing";
        auto file = disk_.files.find(path_);
        if (file == disk_.files.end() || disk_.readFailsAfter <= at_ ||
            (uncached_ && disk_.readBackFails.count(path_))) {
            failure_ = DiskError::Other;
            return false;
        }
        if (at_ < file->second.size()) {
            got = file->second.copy(buffer, std::min(size, disk_.readPiece), at_);
            if (uncached_ && !at_ && got && disk_.alteredReadBack.count(path_)) buffer[0] ^= 1;
            at_ += got;
        }
        if (disk_.whileCopying && !uncached_) disk_.whileCopying(path_);
        return true;
    }
    DiskError Failure() override { return failure_; }

private:
    FakeDisk& disk_;
    std::string path_;
    std::size_t at_ = 0;
    DiskError failure_ = DiskError::None; // as the real source: none until a read fails
    bool uncached_;
};

std::unique_ptr<FileSource> FakeWriter::ReadBack(DiskError& why) {
    if (disk_.unopenable.count(*name_)) { // nor opened to be read back
        why = DiskError::AccessDenied;
        return nullptr;
    }
    return std::make_unique<FakeSource>(disk_, *name_, true);
}

} // namespace

std::unique_ptr<FileSource> FakeDisk::OpenUncached(const std::string& path, DiskError& why) {
    if (!OpenToCopy(path, why)) return nullptr;
    why = SoleName(path) ? DiskError::None : DiskError::Link;
    if (why != DiskError::None) return nullptr;
    return std::make_unique<FakeSource>(*this, Resolve(path), true);
}

std::optional<FileBytes> FakeDisk::ReadFile(const std::string& path, std::uint64_t limit) {
    const std::string resolved = Resolve(path);
    auto f = files.find(resolved);
    if (f == files.end() || unopenable.count(resolved)) return std::nullopt;
    if (endless.count(resolved))
        return FileBytes{std::string(static_cast<std::size_t>(limit) + 1, '\0'), true};
    if (limit < f->second.size()) return FileBytes{f->second.substr(0, limit + 1), true};
    if (cutShort.count(resolved)) return FileBytes{f->second.substr(0, f->second.size() / 2), false};
    return FileBytes{f->second.substr(0, readFailsAfter), readFailsAfter >= f->second.size()};
}

std::string FakeDisk::ResolveParent(const std::string& path) const {
    const std::string full = Absolute(path, currentDirectory);
    if (full.size() <= 3) return Resolve(full);
    const std::string parent = Resolve(Parent(full));
    return parent.empty() ? "" : Join(parent, Name(full));
}

std::unique_ptr<FileSource> FakeDisk::OpenToCopy(const std::string& path, DiskError& why) {
    if (onOpenToCopy) onOpenToCopy(path);
    const std::string resolved = Resolve(path);
    why = DiskError::None;
    if (!files.count(resolved)) {
        why = IsDirectory(resolved) ? DiskError::AccessDenied : DiskError::NotFound;
    } else if (heldByWriter.count(resolved)) {
        why = DiskError::InUse;
    } else if (unopenable.count(resolved)) {
        why = DiskError::AccessDenied;
    }
    if (why != DiskError::None) return nullptr;
    return std::make_unique<FakeSource>(*this, resolved);
}

std::unique_ptr<FileWriter> FakeDisk::CreateNewFile(const std::string& path, DiskError& why) {
    if (onCreate) onCreate(path);
    const std::string name = ResolveParent(path);
    if (failAt == Step::Create) {
        why = DiskError::Other;
        return nullptr;
    }
    if (auto fails = createFails.find(name); fails != createFails.end()) {
        why = fails->second;
        return nullptr;
    }
    if (name.empty() || !IsDirectory(Parent(name))) {
        why = DiskError::NotFound;
        return nullptr;
    }
    if (files.count(name) || links_.count(name) || IsDirectory(name)) {
        why = DiskError::AccessDenied; // something stands there: never opened, never followed
        return nullptr;
    }
    files[name].clear();
    lastWrite.erase(name);
    created[name] = now;
    readOnly.erase(name);
    marks.erase(name);
    return std::make_unique<FakeWriter>(*this, name);
}

std::unique_ptr<FileWriter> FakeDisk::OpenToAppend(const std::string& path, DiskError& why) {
    const std::string name = ResolveParent(path);
    why = DiskError::None;
    if (name.empty() || !IsDirectory(Parent(name))) {
        why = DiskError::NotFound;
    } else if (links_.count(name) || otherNames.count(name) || IsDirectory(name) ||
               readOnly.count(name) || createFails.count(name)) {
        why = createFails.count(name) ? createFails[name] : DiskError::AccessDenied;
    }
    if (why != DiskError::None) return nullptr;
    files[name]; // made where missing, kept as it is where there
    return std::make_unique<FakeWriter>(*this, name);
}

namespace {

// An open file known by the name it has now: a link put in its old place changes nothing.
class FakeHeld : public HeldFile {
public:
    FakeHeld(FakeDisk& disk, const std::string& name)
        : disk_(disk),
          name_(disk.heldFiles.emplace_back(disk.openNames.insert(disk.openNames.end(), name))) {}
    ~FakeHeld() override {
        disk_.heldFiles.remove(name_);
        if (deleted_) disk_.RemoveFile(*name_);
        disk_.openNames.erase(name_);
    }
    std::uint64_t Size() override {
        auto size = disk_.sizes.find(*name_);
        return size != disk_.sizes.end() ? size->second : disk_.files[*name_].size();
    }
    bool MoveTo(const std::string& path) override {
        if (!disk_.MoveFileOver(*name_, path)) return false;
        // The new name must lead to this very file, not to where a link put there leads.
        return SamePlace(disk_.Resolve(path), *name_) && !disk_.IsLink(*name_);
    }
    bool Shrink(std::uint64_t bytes) override {
        auto size = disk_.sizes.find(*name_);
        if (size == disk_.sizes.end()) {
            std::string& contents = disk_.files[*name_];
            if (contents.empty()) return false;
            contents.resize(contents.size() - std::min<std::size_t>(contents.size(), bytes));
            return true;
        }
        if (size->second == 0) return false;
        disk_.diskCalls.push_back("shrink " + *name_);
        size->second -= std::min(size->second, bytes);
        if (disk_.whileCopying) disk_.whileCopying(*name_);
        return true;
    }
    bool Delete() override {
        deleted_ = true;
        return true;
    }
    bool SetReadOnly(bool on) override {
        return on ? disk_.readOnly.insert(*name_).second : disk_.readOnly.erase(*name_) == 1;
    }

private:
    FakeDisk& disk_;
    std::list<std::string>::iterator name_; // where the open file is now
    bool deleted_ = false;
};

} // namespace

std::unique_ptr<HeldFile> FakeDisk::HoldSoleFile(const std::string& path, DiskError& why) {
    const std::string name = ResolveParent(path);
    why = links_.count(name) || otherNames.count(name) || IsDirectory(name)
              ? DiskError::AccessDenied
          : !files.count(name)                            ? DiskError::NotFound
          : OpenHere(name) || HeldElsewhere(path) ? DiskError::InUse // shared with no one
                                                  : DiskError::None;
    return why == DiskError::None ? std::make_unique<FakeHeld>(*this, name) : nullptr;
}

std::unique_ptr<HeldTurn> FakeDisk::TryTurn(const std::string& path, DiskError& why) {
    // Held, it is shared with no one; one no program holds is taken over, a link by itself.
    const std::string name = ResolveParent(path);
    why = HeldElsewhere(path)                                                   ? DiskError::InUse
          : createFails.count(name)                                             ? createFails[name]
          : IsDirectory(name) || otherNames.count(name) || readOnly.count(name) ? DiskError::Link
          : IsDirectory(Parent(name))                                           ? DiskError::None
                                      : DiskError::NotFound;
    if (why != DiskError::None) return nullptr;
    struct Turn : HeldTurn {
        explicit Turn(std::function<void()> done) : done(std::move(done)) {}
        ~Turn() override { done(); }
        std::function<void()> done;
    };
    links_.erase(name);
    files[*heldByWriter.insert(name).first].clear();
    return std::make_unique<Turn>([this, name] { heldByWriter.erase(name), files.erase(name); });
}

void FakeDisk::SetAttributes(const std::string& path, std::uint32_t attributes) {
    const std::string resolved = Resolve(path);
    marks[resolved] = attributes & ~(kAttributeReadOnly | kAttributeArchive);
    if (attributes & kAttributeReadOnly) {
        readOnly.insert(resolved);
    } else {
        readOnly.erase(resolved);
    }
}

bool FakeDisk::ReplaceFileWith(const std::string& replacement, const std::string& target) {
    const std::string from = Resolve(replacement), to = ResolveParent(target);
    // A read-only file is not replaced, as on Windows.
    if (failAt == Step::Replace || !files.count(from) || IsDirectory(to) || readOnly.count(to) ||
        OpenHere(to))
        return false;
    files[to] = files[from];
    files.erase(from);
    return true;
}

bool FakeDisk::RemoveFile(const std::string& path) {
    diskCalls.push_back("remove " + path);
    const std::string name = ResolveParent(path);
    if (links_.erase(name) == 1) return true; // the link goes, not what it leads to
    // A file some program holds open (without sharing its removal) stays.
    if (HeldElsewhere(path) || OpenHere(name)) return false;
    readOnly.erase(name);
    otherNames.erase(name);
    marks.erase(name);
    lastWrite.erase(name);
    created.erase(name);
    sizes.erase(name);
    return files.erase(name) == 1;
}

std::string FakeDisk::VolumeOf(const std::string& path) {
    // By the path as written: the drive ("E:") or the share ("\\server\share").
    const std::size_t server = path.rfind("\\\\", 0) == 0 ? path.find('\\', 2) : 0;
    return server == 0 ? path.substr(0, 2) : path.substr(0, path.find('\\', server + 1));
}

VolumeFacts FakeDisk::Volume(const std::string& directory) {
    VolumeFacts facts;
    if (auto step = timeSteps.find(VolumeOf(directory)); step != timeSteps.end())
        facts.timeStep = step->second;
    if (auto free = freeBytes.find(VolumeOf(directory)); free != freeBytes.end())
        facts.freeBytes = free->second;
    return facts;
}

DiskError FakeDisk::MakeDirectoryPath(const std::string& path) {
    madePaths.push_back(path);
    diskCalls.push_back("make " + path);
    // Each folder after the root up to the last "\", in turn.
    for (std::size_t at = path.find_first_of("\\/", PathRootLength(path)); at != std::string::npos;
         at = path.find_first_of("\\/", at + 1)) {
        const std::string directory = Resolve(path.substr(0, at + 1));
        if (directory.empty()) return DiskError::NotFound;
        if (files.count(directory)) return DiskError::NotAFolder;
        if (IsDirectory(directory)) continue;
        if (auto fails = createFails.find(directory); fails != createFails.end())
            return fails->second;
        if (!IsDirectory(Parent(directory))) return DiskError::NotFound;
        directories_.insert(directory);
    }
    return DiskError::None;
}

namespace {

// A folder held open, known by where it is now (a move takes it along).
class FakeHeldFolder : public HeldFolder {
public:
    FakeHeldFolder(FakeDisk& disk, const std::string& name, bool own = false)
        : disk_(disk), final_(disk.finalPathsUnknown ? "" : name),
          name_(disk.openNames.insert(disk.openNames.end(), name)), own_(own) {}
    ~FakeHeldFolder() override {
        if (own_) disk_.RemoveFolder(*name_); // a folder of one's own goes where empty
        disk_.openNames.erase(name_);
    }
    bool BecameLink() override { return disk_.IsLink(*name_); }
    std::string FinalPath() override { return final_; }

private:
    FakeDisk& disk_;
    std::string final_;
    std::list<std::string>::iterator name_;
    bool own_;
};

// What a folder's move does to a path or a map's entry below it.
std::string Moved(const std::string& path, const std::string& from, const std::string& to) {
    return AtOrBelow(path, from) ? to + path.substr(from.size()) : path;
}
template <typename Value>
std::pair<const std::string, Value> Moved(const std::pair<const std::string, Value>& entry,
                                          const std::string& from, const std::string& to) {
    return {Moved(entry.first, from, to), entry.second};
}
template <typename Container>
void MoveAll(Container& container, const std::string& from, const std::string& to) {
    Container moved;
    for (const auto& entry : container)
        moved.insert(Moved(entry, from, to));
    container = std::move(moved);
}

} // namespace

std::unique_ptr<HeldFolder> FakeDisk::HoldFolder(const std::string& path, DiskError& why) {
    diskCalls.push_back("hold " + path);
    const std::string name = ResolveParent(path);
    why = DiskError::None;
    if (links_.count(name)) {
        why = DiskError::Link;
    } else if (files.count(name)) {
        why = DiskError::NotAFolder;
    } else if (name.empty() || !IsDirectory(Parent(name))) {
        why = DiskError::NotFound;
    } else if (!IsDirectory(name)) {
        const auto fails = createFails.find(name);
        why = fails != createFails.end()           ? fails->second
              : path.size() + 1 >= kDirectoryLimit ? DiskError::Other
                                                   : DiskError::None;
        if (why == DiskError::None) directories_.insert(name);
    }
    if (why != DiskError::None) return nullptr;
    return std::make_unique<FakeHeldFolder>(*this, name);
}

std::unique_ptr<HeldFolder> FakeDisk::MakeOwnFolder(const std::string& path, DiskError& why) {
    const std::string name = ResolveParent(path);
    why = DiskError::AccessDenied; // never one that stands there
    if (links_.count(name) || files.count(name) || IsDirectory(name) || !HoldFolder(path, why))
        return nullptr;
    return std::make_unique<FakeHeldFolder>(*this, name, true);
}

bool FakeDisk::RemoveFolder(const std::string& path) {
    const std::string name = ResolveParent(path), below = name + "\\";
    for (const auto& [file, bytes] : files)
        if (AtOrBelow(file, below)) return false;
    for (const std::string& other : directories_)
        if (AtOrBelow(other, below)) return false;
    return !links_.count(name) && directories_.erase(name) == 1;
}

bool FakeDisk::SwapForLink(const std::string& folder, const std::string& target) {
    const std::string name = ResolveParent(folder);
    const auto below = [&](const std::string& open) { return AtOrBelow(open, name); };
    if (!IsDirectory(name) || links_.count(name) ||
        (holdsBind && std::any_of(openNames.begin(), openNames.end(), below))) {
        return false;
    }
    const std::string aside = name + "~";
    MoveAll(files, name, aside);
    MoveAll(sizes, name, aside);
    MoveAll(lastWrite, name, aside);
    MoveAll(readOnly, name, aside);
    MoveAll(ownWriters, name, aside);
    MoveAll(directories_, name, aside);
    directories_.insert(aside);
    for (std::string& open : openNames)
        open = Moved(open, name, aside);
    links_[name] = target;
    return true;
}

bool FakeDisk::OpenHere(const std::string& name) const {
    const auto at = [&](const auto& held) { return SamePlace(*held, name); };
    return ownWriters.count(name) || std::any_of(heldFiles.begin(), heldFiles.end(), at);
}

bool FakeDisk::MoveFileOver(const std::string& file, const std::string& destination) {
    diskCalls.push_back("move " + file + " > " + destination);
    const std::string from = Resolve(file), to = ResolveParent(destination);
    if (failMoves || ++moves == failingMove || !files.count(from) || readOnly.count(to) ||
        HeldElsewhere(to) || IsDirectory(to) || (!SamePlace(from, to) && OpenHere(to)) ||
        !IsDirectory(Parent(to))) {
        return false;
    }
    // What holds the file open holds it under its new name.
    for (std::string& open : openNames) {
        if (SamePlace(open, from)) open = to;
    }
    const std::string contents = files[from];
    files.erase(from);
    links_.erase(to);
    otherNames.erase(to); // a held file moved has no other name
    files[to] = contents;
    if (auto size = sizes.find(from); size != sizes.end()) {
        sizes[to] = size->second;
        sizes.erase(from);
    } else {
        sizes.erase(to);
    }
    lastWrite[to] = lastWrite[from];
    lastWrite.erase(from);
    created[to] = created[from];
    created.erase(from);
    if (readOnly.erase(from)) readOnly.insert(to);
    marks[to] = marks[from];
    marks.erase(from);
    if (afterRename) afterRename(to);
    return true;
}

unsigned FakeDisk::DriveType(const std::string& root) {
    lookups.push_back(root);
    auto it = drives_.find(root);
    return it == drives_.end() ? 1 : it->second;
}

bool FakeDisk::Absent(const std::string& path) {
    return !unlookable.count(Resolve(path)) && !FindEntry(path);
}

std::optional<DiskEntry> FakeDisk::FindEntry(const std::string& path) {
    lookups.push_back(path);
    const std::string resolved = Resolve(path);
    if (unlookable.count(resolved) || (EndsInSeparator(path) && files.count(resolved)))
        return std::nullopt; // Windows finds no file by its name and a separator
    if (auto f = files.find(resolved); f != files.end()) {
        auto size = sizes.find(resolved);
        DiskEntry entry =
            Entry(Name(resolved), 0x20, size != sizes.end() ? size->second : f->second.size());
        if (auto time = lastWrite.find(resolved); time != lastWrite.end()) {
            entry.lastWriteTime = time->second;
        }
        if (auto time = created.find(resolved); time != created.end()) {
            entry.creationTime = time->second;
        }
        return entry;
    }
    auto it = entries_.find(resolved);
    if (it != entries_.end() &&
        (!EndsInSeparator(path) || (it->second.attributes & kAttributeDirectory)))
        return it->second;
    if (!resolved.empty() && IsDirectory(resolved)) { // a drive's root too, as Windows finds it
        return Entry(Name(resolved), kAttributeDirectory, 0);
    }
    return std::nullopt;
}

std::optional<std::uint32_t> FakeDisk::Attributes(const std::string& path) {
    lookups.push_back(path);
    if (auto it = shares_.find(path); it != shares_.end()) return it->second;
    const std::string resolved = Resolve(path);
    if (unlookable.count(resolved) || (EndsInSeparator(path) && files.count(resolved)))
        return std::nullopt;
    // A link shows as one, whatever it leads to.
    if (!resolved.empty() && links_.count(ResolveParent(path))) {
        return (IsDirectory(resolved) ? kAttributeDirectory : 0u) | kAttributeReparsePoint;
    }
    if (files.count(resolved)) {
        const auto mark = marks.find(resolved);
        return 0x20u | (readOnly.count(resolved) ? kAttributeReadOnly : 0u) |
               (cloudFiles.count(resolved) ? kAttributeReparsePoint : 0u) |
               (mark != marks.end() ? mark->second : 0u);
    }
    if (auto it = entries_.find(resolved); it != entries_.end()) return it->second.attributes;
    if (IsDirectory(resolved)) return kAttributeDirectory;
    return std::nullopt;
}

void FakeScreen::SetStatusText(int field, const std::string& text) {
    statusFields[field] = text;
    if (field == 1) {
        spinnerMarks.push_back(text);
        clock += clockPerMark;
        return;
    }
    calls.push_back("status " + std::to_string(field) + ": " + text);
}

int FakeScreen::AddListRow(const std::string& rowText) {
    rows.push_back(SplitRowText(rowText));
    return static_cast<int>(rows.size()) - 1;
}

void FakeScreen::SetListCellColour(int row, int column, Colour textColour) {
    cellColours[{row, column}] = textColour;
}

void FakeScreen::ClearListRows() {
    rows.clear();
    cellColours.clear();
    calls.push_back("clear rows");
}

void FakeScreen::SetGadgetText(int gadget, const std::string& text) {
    calls.push_back("gadget " + std::to_string(gadget) + ": " + text);
}

Event FakeScreen::WaitForEvent() {
    // A real window would block for ever; a test that runs dry has a missing close.
    // A message that made no event is handled inside, as the window does.
    while (!events.empty() && events.front().kind == EventKind::None)
        events.pop_front();
    if (events.empty()) throw std::logic_error("WaitForEvent with no event left");
    Event e = events.front();
    events.pop_front();
    calls.push_back("wait");
    return e;
}

std::optional<Event> FakeScreen::PollEvent() {
    ++polls;
    if (onPoll) onPoll();
    if (events.empty()) return std::nullopt;
    const Event event = events.front();
    events.pop_front();
    return event;
}

int FakeScreen::ShowMessageBox(const std::string& caption, const std::string& text, unsigned type) {
    // Type 0, an OK button and no icon, is every box's; any other is written out.
    calls.push_back("box " + caption + ": " + text +
                    (type != 0 ? " [type " + std::to_string(type) + "]" : ""));
    return 1;
}

} // namespace vintrel::test
