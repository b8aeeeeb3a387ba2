#include "base/ZipEntry.h"

namespace qm {

namespace {

struct EntryCloser {
  void operator()(zip_file_t* file) const { zip_fclose(file); }
};

}  // namespace

std::optional<std::string> ReadZipEntry(zip_t* archive, zip_uint64_t index, zip_uint64_t maxBytes) {
  zip_stat_t stat;
  zip_stat_init(&stat);
  if (zip_stat_index(archive, index, 0, &stat) != 0 || (stat.valid & ZIP_STAT_SIZE) == 0 ||
      stat.size > maxBytes)
    return std::nullopt;
  std::unique_ptr<zip_file_t, EntryCloser> file(zip_fopen_index(archive, index, 0));
  if (!file) return std::nullopt;
  std::string bytes(stat.size, '\0');
  zip_uint64_t got = 0;
  while (got < stat.size) {
    const zip_int64_t n = zip_fread(file.get(), bytes.data() + got, stat.size - got);
    if (n <= 0) return std::nullopt;
    got += static_cast<zip_uint64_t>(n);
  }
  return bytes;
}

}  // namespace qm
