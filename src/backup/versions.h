// The versions kept of a copy, in one place: the stamp a version's name carries, its name, the
// pattern a name must match to be taken for one, and the pruning down to the number kept. The
// backup makes them, the restore keeps and reads them, the command line names them by stamp.
#pragma once

#include <cstdint>
#include <string>

#include "app/disk.h"

namespace vintrel {

// Whether a command line's text is a version's stamp: "YYYYMMDD-HHMMSS", or with the number a
// restore gave a second version of the same time ("YYYYMMDD-HHMMSS-2" to "-99").
bool IsVersionStamp(const std::string& text);

// The name an earlier copy is kept under as a version: the copy's name, its last-write time in
// UTC ("20261208-140305"), "Z.bak".
std::string VersionPath(const std::string& destination, std::uint64_t lastWriteTime);

// The version a stamp (see IsVersionStamp) names: "20261208-140305" is
// "….20261208-140305Z.bak", "20261208-140305-2" "….20261208-140305Z-2.bak".
std::string StampedVersionPath(const std::string& destination, const std::string& stamp);

// The name a file is kept under as a version where nothing may be written over: its version's
// name, or where that is taken (a restore of a file whose time is its copy's, twice), the first
// free one numbered from 2 ("a.pst.20261208-140305Z-2.bak"). Empty when all are taken.
std::string FreeVersionPath(Disk& disk, const std::string& destination,
                            std::uint64_t lastWriteTime);

// Whether a file name is a version of the given one (nothing else is ever removed as one).
bool IsVersionOf(const std::string& name, const std::string& fileName);

// A version's number: 1 for "….YYYYMMDD-HHMMSSZ.bak", N for "….YYYYMMDD-HHMMSSZ-N.bak" (N 2 to
// 99); 0 for a name of neither form.
int VersionNumber(const std::string& name, const std::string& fileName);

// Keeps the `keep` versions of the copy at `destination` made last, `made` (the name of the
// one this run just made) among them; older ones go, and nothing else.
void PruneVersions(Disk& disk, const std::string& destination, int keep, const std::string& made);

} // namespace vintrel
