#include "fakes.h"

#include <algorithm>
#include <stdexcept>

#include "app/file_list.h"

namespace vintrel::test {

namespace {

std::string Parent(const std::string& path) {
    return path.substr(0, path.find_last_of('\\'));
}
std::string Name(const std::string& path) {
    return path.substr(path.find_last_of('\\') + 1);
}
DiskEntry Entry(const std::string& name, std::uint32_t attributes, std::uint64_t size) {
    DiskEntry entry;
    entry.name = name;
    entry.attributes = attributes;
    entry.size = size;
    return entry;
}

} // namespace

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

void FakeDisk::AddFileIn(const std::string& path, std::uint32_t attributes) {
    listings_[Parent(path)].push_back(Entry(Name(path), attributes, 10));
}

void FakeDisk::AddDirectoryIn(const std::string& path, std::uint32_t attributes,
                              std::uint32_t reparseTag, const std::string& shortName) {
    listings_[Parent(path)].push_back({Name(path), attributes, 0, reparseTag, shortName});
    auto& own = listings_[shortName.empty() ? path : Parent(path) + "\\" + shortName];
    if (own.empty()) {
        own.push_back(Entry(".", kAttributeDirectory, 0));
        own.push_back(Entry("..", kAttributeDirectory, 0));
    }
}

std::unique_ptr<DirectoryReader> FakeDisk::OpenDirectory(const std::string& directory) {
    listed.push_back(ListingPattern(directory));
    if (denied_.count(directory)) return nullptr;
    auto it = listings_.find(directory);
    if (it == listings_.end()) return nullptr;
    auto reader = std::make_unique<FakeReader>(it->second, openListings);
    mostOpenListings = std::max(mostOpenListings, openListings);
    return reader;
}

namespace {

class FakeWriter : public FileWriter {
public:
    FakeWriter(FakeDisk& disk, std::string& contents) : disk_(disk), contents_(contents) {}
    bool Write(const char* data, std::size_t size) override {
        ++disk_.writes;
        if (disk_.failAt == FakeDisk::Step::Write && disk_.writes == disk_.failingWrite) {
            contents_.append(data, size / 2); // a disk that fills up part-way
            return false;
        }
        contents_.append(data, size);
        return true;
    }
    bool Flush() override { return disk_.failAt != FakeDisk::Step::Flush; }
    bool Close() override { return disk_.failAt != FakeDisk::Step::Close; }

private:
    FakeDisk& disk_;
    std::string& contents_;
};

} // namespace

std::optional<std::string> FakeDisk::ReadFile(const std::string& path, bool& complete) {
    auto f = files.find(path);
    if (f == files.end() || unopenable.count(path)) return std::nullopt;
    complete = readFailsAfter >= f->second.size();
    return f->second.substr(0, readFailsAfter);
}

std::unique_ptr<FileWriter> FakeDisk::OpenForWriting(const std::string& path) {
    if (failAt == Step::Create) return nullptr;
    files[path].clear();
    return std::make_unique<FakeWriter>(*this, files[path]);
}

bool FakeDisk::ReplaceFileWith(const std::string& replacement, const std::string& target) {
    if (failAt == Step::Replace || !files.count(replacement)) return false;
    files[target] = files[replacement];
    files.erase(replacement);
    return true;
}

bool FakeDisk::RemoveFile(const std::string& path) {
    diskCalls.push_back("remove " + path);
    return files.erase(path) == 1;
}

void FakeDisk::MakeDirectoryPath(const std::string& path) {
    madePaths.push_back(path);
    diskCalls.push_back("make " + path);
}

bool FakeDisk::CopyFileTo(const std::string& source, const std::string& destination) {
    diskCalls.push_back("copy " + source + " > " + destination);
    auto from = files.find(source);
    if (from == files.end() || readOnly.count(destination)) return false;
    if (readOnly.count(source)) readOnly.insert(destination); // the copy keeps the attribute
    if (failCopyTo.count(destination)) {
        files[destination] = from->second.substr(0, from->second.size() / 2); // cut off
        return false;
    }
    files[destination] = from->second;
    return true;
}

bool FakeDisk::MoveFileOver(const std::string& file, const std::string& destination) {
    diskCalls.push_back("move " + file + " > " + destination);
    if (failMoves || !files.count(file) || readOnly.count(destination)) return false;
    files[destination] = files[file];
    files.erase(file);
    if (readOnly.erase(file)) readOnly.insert(destination);
    return true;
}

unsigned FakeDisk::DriveType(const std::string& root) {
    lookups.push_back(root);
    auto it = drives_.find(root);
    return it == drives_.end() ? 1 : it->second;
}

bool FakeDisk::Absent(const std::string& path) {
    return !unlookable.count(path) && !FindEntry(path);
}

std::optional<DiskEntry> FakeDisk::FindEntry(const std::string& path) {
    lookups.push_back(path);
    if (unlookable.count(path)) return std::nullopt;
    if (auto f = files.find(path); f != files.end()) {
        return Entry(Name(path), 0x20, f->second.size());
    }
    auto it = entries_.find(path);
    if (it == entries_.end()) return std::nullopt;
    return it->second;
}

std::optional<std::uint32_t> FakeDisk::Attributes(const std::string& path) {
    lookups.push_back(path);
    if (auto it = shares_.find(path); it != shares_.end()) return it->second;
    if (auto it = entries_.find(path); it != entries_.end()) return it->second.attributes;
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
    if (events.empty()) throw std::logic_error("WaitForEvent with no event left");
    Event e = events.front();
    events.pop_front();
    calls.push_back("wait");
    return e;
}

int FakeScreen::PollEvent(Event* event) {
    ++polls;
    if (onPoll) onPoll();
    if (events.empty()) return 0;
    *event = events.front();
    events.pop_front();
    return static_cast<int>(event->kind);
}

int FakeScreen::ShowMessageBox(const std::string& caption, const std::string& text, unsigned) {
    calls.push_back("box " + caption + ": " + text);
    return 1;
}

} // namespace vintrel::test
