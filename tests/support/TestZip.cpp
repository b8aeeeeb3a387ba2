#include "tests/support/TestZip.h"

#include <gtest/gtest.h>
#include <zip.h>

namespace qm::test {

void WriteZip(const std::string& path, const std::map<std::string, std::string>& entries) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
  ASSERT_NE(archive, nullptr);
  for (const auto& [name, bytes] : entries) {
    zip_source_t* source = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
    ASSERT_GE(zip_file_add(archive, name.c_str(), source, ZIP_FL_OVERWRITE), 0);
  }
  ASSERT_EQ(zip_close(archive), 0);
}

std::string ReadEntry(const std::string& path, const std::string& name) {
  int error = 0;
  zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, &error);
  if (archive == nullptr) return "<no zip>";
  zip_stat_t stat;
  std::string bytes = "<no entry>";
  if (zip_stat(archive, name.c_str(), 0, &stat) == 0) {
    zip_file_t* file = zip_fopen(archive, name.c_str(), 0);
    bytes.assign(stat.size, '\0');
    if (file == nullptr || zip_fread(file, bytes.data(), stat.size) != static_cast<zip_int64_t>(stat.size))
      bytes = "<unreadable>";
    if (file != nullptr) zip_fclose(file);
  }
  zip_discard(archive);
  return bytes;
}

}  // namespace qm::test
