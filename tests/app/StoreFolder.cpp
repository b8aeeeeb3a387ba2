#include "tests/app/StoreFolder.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/SettingsStore.h"

namespace qm::test {

void ClearStore() {
  std::filesystem::remove_all(SettingsStore::FilePath());
}

void WriteStoreFile(const std::string& bytes) {
  const std::filesystem::path path = SettingsStore::FilePath();
  ClearStore();
  std::filesystem::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadStoreFile() {
  std::ifstream in(SettingsStore::FilePath(), std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace qm::test
