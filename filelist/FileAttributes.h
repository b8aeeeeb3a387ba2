#pragma once
// File attributes as the folder scan and the folder imports test them. They
// use the classic attribute numbers, derived here from what the file system
// says about an entry:
//   directory 16       the entry is (or leads to) a folder
//   archive 32         the entry is (or leads to) a regular file
//   hidden 2           the entry's name starts with "."
//   reparse point 1024 the entry itself is a symbolic link
// The system bit (4) is never set, so no folder ever counts as protected and
// the scan guards against symbolic-link cycles itself (see VisitedFolders).

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

namespace qm {

inline constexpr unsigned kAttributeHidden = 2;
inline constexpr unsigned kAttributeDirectory = 16;
inline constexpr unsigned kAttributeArchive = 32;
inline constexpr unsigned kAttributeReparsePoint = 1024;
/// A hidden regular file, that is a dot-file: the folder imports skip exactly this value.
inline constexpr unsigned kAttributeHiddenArchive = kAttributeHidden | kAttributeArchive;

/// Attributes of one folder entry called `name` (the name only). `isLink`
/// says whether the entry itself is a symbolic link; `targetMode` is the
/// st_mode of what the entry leads to (links followed), or 0 when that
/// cannot be read (a broken link). Entries that are neither folders nor
/// regular files (devices, pipes, sockets) carry neither 16 nor 32.
unsigned AttributesFrom(std::string_view name, bool isLink, mode_t targetMode);

/// Attributes of the entry at `path`. A trailing "/" is ignored for the name
/// test. Returns nullopt when the entry does not exist or cannot be reached;
/// never reports.
std::optional<unsigned> FileAttributesOf(const std::string& path);

}  // namespace qm
