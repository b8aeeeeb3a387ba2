#pragma once
// Reading a part of a zip archive (a presentation's package) whole, within a
// bound.

#include <zip.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qm {

/// Discards an archive opened with zip_open (nothing written).
struct ZipArchiveCloser {
  void operator()(zip_t* archive) const { zip_discard(archive); }
};
using ZipArchive = std::unique_ptr<zip_t, ZipArchiveCloser>;

/// The whole of entry `index` of `archive` when its size is known and at most
/// `maxBytes`; nullopt when it is bigger, of no stated size, or cannot be
/// read whole.
std::optional<std::string> ReadZipEntry(zip_t* archive, zip_uint64_t index, zip_uint64_t maxBytes);

/// Replaces entries of the zip at `path` (name, new bytes), leaving every
/// other entry as it was. libzip writes a new archive beside the file and
/// renames it over, so a failure leaves the file unchanged. False, with a
/// sentence in `*error`, on failure (an entry not in the zip is one).
bool ReplaceZipEntries(const std::string& path,
                       const std::vector<std::pair<std::string, std::string>>& entries, std::string* error);

}  // namespace qm
