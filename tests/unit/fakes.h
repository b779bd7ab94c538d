// In-memory stand-ins for the disk and the window, for the native tests.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/disk.h"
#include "app/screen.h"

namespace vintrel::test {

class FakeDisk : public Disk {
  public:
    void AddDrive(const std::string& root, unsigned type = 3) { drives_[root] = type; }
    void AddFile(const std::string& path, std::uint64_t size);
    void AddDirectory(const std::string& path);
    // Something that only answers to its attributes, as a network share does.
    void AddShare(const std::string& path) { shares_[path] = kAttributeDirectory; }

    unsigned DriveType(const std::string& root) override;
    std::optional<DiskEntry> FindEntry(const std::string& path) override;
    std::optional<std::uint32_t> Attributes(const std::string& path) override;

    std::vector<std::string> lookups; // every path asked about, in order

  private:
    std::map<std::string, unsigned> drives_;
    std::map<std::string, DiskEntry> entries_;
    std::map<std::string, std::uint32_t> shares_;
};

class FakeScreen : public Screen {
  public:
    void SetStatusText(int field, const std::string& text) override;
    void SetGadgetText(int gadget, const std::string& text) override;
    Event WaitForEvent() override;
    int PollEvent(Event* event) override;
    int ShowMessageBox(const std::string& caption, const std::string& text, unsigned type) override;
    void ActivateMainWindow() override { calls.push_back("activate"); }
    void CloseMainWindow() override { calls.push_back("close"); }

    std::deque<Event> events;       // handed out by WaitForEvent and PollEvent, oldest first
    std::vector<std::string> calls; // what was done to the window, in order
    std::map<int, std::string> statusFields;
};

} // namespace vintrel::test
