// What every Disk must do, as one table: run on the fake disk natively and on the real disk
// under Wine, so that the fake cannot drift from the platform the program meets.
#pragma once

#include <string>

#include "app/disk.h"

namespace vintrel::test {

// A place on drive C: for the table to work in, and the means to lay it out.
class ContractPlace {
public:
    virtual ~ContractPlace() = default;
    virtual Disk& disk() = 0;
    virtual std::string Root() = 0; // a folder on drive C:, without a final "\"
    virtual std::string AliasOfDriveC() = 0; // another letter for drive C: ("S:\")
    virtual void MakeFile(const std::string& path, const std::string& bytes) = 0;
    virtual void MakeFolder(const std::string& path) = 0;
    // Makes in `folder` the file "Łukasz mail.pst", its first letter one the ANSI code page
    // cannot hold ("Ł" on 1252): listed, its name shows "?" there. False, and nothing made,
    // where no such file has a name an ANSI program can open: the code page is UTF-8 and holds
    // every letter, or the volume keeps no 8.3 names (an option since Windows 10).
    virtual bool MakeFileTheCodePageCannotName(const std::string& folder,
                                               const std::string& bytes) = 0;
    virtual void MakeFolderLink(const std::string& link, const std::string& target) = 0;
    // Moves a folder aside and puts a link to `target` in its place, as another program may;
    // false when that is refused.
    virtual bool SwapForLink(const std::string& folder, const std::string& target) = 0;
    // Drive C:'s root as a share ("\\\\localhost\\c$\\"), or empty where there is none.
    virtual std::string ShareOfDriveC() = 0;
    virtual void ChangeDirectory(const std::string& path) = 0;
    // Another program opens the file, sharing reads only (as a mail program opens a mailbox),
    // or lets go of it.
    virtual void HoldOpen(const std::string& path, bool open) = 0;
    // Whether the platform renames an open file by its name (see Disk::RenamesByName).
    virtual bool RenamesByName() = 0;
};

// Lays out the place and checks every row, each failure named.
void CheckDiskContract(ContractPlace& place);

} // namespace vintrel::test
