// Splitting a path into its directory and file name. Both "\" and "/" separate.
#pragma once

#include <string>

namespace vintrel {

// Everything up to and including the last separator before the end or the first "|";
// a leading double quote is skipped. Empty when there is no separator.
std::string DirectoryPart(const std::string& path);

// The name after the last separator (a "|" does not stop the scan), up to the first
// double quote after it; a leading double quote is skipped.
std::string FileNamePart(const std::string& path);

// Windows compares file names without regard to case: this folds the ASCII letters.
bool SamePath(const std::string& a, const std::string& b);

} // namespace vintrel
