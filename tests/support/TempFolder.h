#pragma once
// A private temporary folder for one test, removed with everything in it.

#include <filesystem>
#include <string>
#include <vector>

namespace qm::test {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  /// The folder's path, without a trailing separator.
  std::string Path() const { return path_.string(); }
  /// Path() + "/" + name.
  std::string operator/(const std::string& name) const { return (path_ / name).string(); }
  /// The names of the entries in the folder (hidden ones included), sorted.
  std::vector<std::string> Names() const;

 private:
  std::filesystem::path path_;
};

}  // namespace qm::test
