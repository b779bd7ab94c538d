// What a mailbox's first bytes say of it: whether it looks damaged, as a mail program may leave
// one after a crash (cut short, or zeroed).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vintrel {

// How many of a file's first bytes tell whether it looks damaged: 64 KiB.
inline constexpr std::size_t kHeadSize = 64 * 1024;

// Whether files of this name are checked at all: an address book (.wab, .pab) is not. The
// kind goes by the name's ending in any case, final spaces and dots dropped, as Windows opens
// it.
bool HeadChecked(const std::string& path);

// Why a file looks damaged, from `head`: its first kHeadSize bytes, or all of it where it is
// shorter. Empty where it looks whole, or is of a kind not checked.
// - A .pst begins with "!BDN" and has its client's "SM" at offset 8.
// - A .dbx begins with the bytes CF AD 12 FE.
// - Any file checked, of these kinds or another, whose first 64 KiB are zero bytes (all of
//   it, where it is shorter; an empty one too).
std::string WhyDamaged(const std::string& path, std::string_view head);

} // namespace vintrel
