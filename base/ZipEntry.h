#pragma once
// Reading a part of a zip archive (a presentation's package) whole, within a
// bound.

#include <zip.h>

#include <memory>
#include <optional>
#include <string>

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

}  // namespace qm
