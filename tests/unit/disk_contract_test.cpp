// The disk contract on the fake disk.
#include <tuple>

#include <gtest/gtest.h>

#include "contract/disk_contract.h"
#include "fakes.h"

namespace vintrel {
namespace {

class FakePlace : public test::ContractPlace {
public:
    FakePlace() {
        disk_.AddAlias("S:\\", "C:\\");
        disk_.AddAlias("\\\\localhost\\c$", "C:\\");
        disk_.MakeDirectoryPath(Root() + "\\");
        disk_.freeBytes["C:"] = 1ULL << 30;
        disk_.AddDrive("C:\\");
    }
    Disk& disk() override { return disk_; }
    std::string Root() override { return "C:\\contract"; }
    std::string AliasOfDriveC() override { return "S:\\"; }
    void MakeFile(const std::string& path, const std::string& bytes) override {
        disk_.files[path] = bytes;
        disk_.created[path] = 134412121850000000ULL; // made at 2026-12-08 14:03:05 UTC
    }
    void MakeFolder(const std::string& path) override { disk_.MakeDirectoryPath(path + "\\"); }
    bool MakeFileTheCodePageCannotName(const std::string& folder,
                                       const std::string& bytes) override {
        disk_.AddFileIn(folder + "\\?ukasz mail.pst", 0x20, bytes.size(), 0, "UKASZM~1.PST");
        MakeFile(folder + "\\UKASZM~1.PST", bytes); // what the short name opens
        return true;
    }
    void MakeFolderLink(const std::string& link, const std::string& target) override {
        disk_.AddLink(link, target);
    }
    bool SwapForLink(const std::string& folder, const std::string& target) override {
        return disk_.SwapForLink(folder, target);
    }
    std::string ShareOfDriveC() override { return "\\\\localhost\\c$\\"; }
    void ChangeDirectory(const std::string& path) override {
        disk_.currentDirectory = path;
    }
    void HoldOpen(const std::string& path, bool open) override {
        if (open) disk_.heldOpen.insert(path);
        if (!open) disk_.heldOpen.erase(path);
    }
    bool RenamesByName() override { return false; } // as on Windows

private:
    test::FakeDisk disk_;
};

TEST(DiskContract, TheFakeDiskBehavesAsTheRealOne) {
    FakePlace place;
    test::CheckDiskContract(place);
}

TEST(KnownIdentity, AnIdentityWithoutAVolumeOrAnIndexIsUnknown) {
    const std::uint64_t all = ~0ULL;
    const std::pair<FileIdentity, bool> cases[] = {
        {{7, 5, 0}, true}, {{7, 0, 5}, true}, {{7, all, 5}, true}, {{7, 5, all}, true},
        {{0, 5, 0}, false}, {{7, 0, 0}, false}, {{7, all, 0}, false}, {{7, all, all}, false},
        {{7}, false}, // an identity begins with no index
    };
    for (const auto& [identity, known] : cases) {
        SCOPED_TRACE(std::to_string(identity.volume) + " " + std::to_string(identity.index) + " " +
                     std::to_string(identity.indexHigh));
        EXPECT_EQ(KnownIdentity(identity).has_value(), known);
    }
    EXPECT_EQ(FileIdentity{}, (FileIdentity{0, 0, 0}));
    // An entry says nothing the platform did not: no marks, size or times, its name exact.
    const DiskEntry entry;
    EXPECT_EQ(std::tuple(entry.attributes, entry.size, entry.lastWriteTime, entry.reparseTag,
                         entry.creationTime, entry.nameExact),
              std::tuple(0u, 0ull, 0ull, 0u, 0ull, true));
    EXPECT_EQ(FileFacts{}, (FileFacts{0, 0, 0})); // nor do a file's facts, or a volume's
    EXPECT_EQ(VolumeFacts{}.timeStep, 0u);
}

} // namespace
} // namespace vintrel
