#include "fakes.h"

#include <stdexcept>

namespace vintrel::test {

void FakeDisk::AddFile(const std::string& path, std::uint64_t size) {
    entries_[path] = DiskEntry{path.substr(path.find_last_of('\\') + 1), 0x20, size};
}

void FakeDisk::AddDirectory(const std::string& path) {
    entries_[path] = DiskEntry{path.substr(path.find_last_of('\\') + 1), kAttributeDirectory, 0};
}

unsigned FakeDisk::DriveType(const std::string& root) {
    lookups.push_back(root);
    auto it = drives_.find(root);
    return it == drives_.end() ? 1 : it->second;
}

std::optional<DiskEntry> FakeDisk::FindEntry(const std::string& path) {
    lookups.push_back(path);
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
    calls.push_back("status " + std::to_string(field) + ": " + text);
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
