#include "base/ZipEntry.h"

#include <cstdlib>
#include <cstring>

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

bool ReplaceZipEntries(const std::string& path,
                       const std::vector<std::pair<std::string, std::string>>& entries, std::string* error) {
  int code = 0;
  ZipArchive archive(zip_open(path.c_str(), 0, &code));
  if (!archive) {
    zip_error_t why;
    zip_error_init_with_code(&why, code);
    *error = zip_error_strerror(&why);
    zip_error_fini(&why);
    return false;
  }
  for (const auto& [name, bytes] : entries) {
    const zip_int64_t index = zip_name_locate(archive.get(), name.c_str(), 0);
    if (index < 0) {
      *error = "its part " + name + " is gone";
      return false;
    }
    // The source owns a copy (freed by libzip): it is read only when the
    // archive is closed.
    void* copy = std::malloc(bytes.size() + 1);
    zip_source_t* source = nullptr;
    if (copy != nullptr) {
      std::memcpy(copy, bytes.data(), bytes.size());
      source = zip_source_buffer(archive.get(), copy, bytes.size(), 1);
      if (source == nullptr) std::free(copy);
    }
    if (source == nullptr || zip_file_replace(archive.get(), static_cast<zip_uint64_t>(index), source, 0) != 0) {
      if (source != nullptr) zip_source_free(source);
      *error = source == nullptr ? std::string("out of memory") : zip_strerror(archive.get());
      return false;  // the archive is discarded, the file left as it was
    }
  }
  if (zip_close(archive.get()) != 0) {
    *error = zip_strerror(archive.get());
    return false;
  }
  (void)archive.release();  // closed
  return true;
}

}  // namespace qm
