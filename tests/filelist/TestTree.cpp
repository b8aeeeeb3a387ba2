#include "tests/filelist/TestTree.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>

namespace qm::test {

namespace {
[[noreturn]] void Fail(const std::string& what, const std::string& path) {
  throw std::runtime_error("cannot " + what + " " + path + ": " + std::strerror(errno));
}
}  // namespace

void TestTree::Folder(const std::string& relative) const {
  std::error_code error;
  std::filesystem::create_directories(*this / relative, error);
  if (error) throw std::runtime_error("cannot make the folder " + (*this / relative));
}

void TestTree::File(const std::string& relative) const {
  const auto slash = relative.rfind('/');
  if (slash != std::string::npos) Folder(relative.substr(0, slash));
  const std::string path = *this / relative;
  const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
  if (fd < 0) Fail("make the file", path);
  ::close(fd);
}

void TestTree::Files(const std::vector<std::string>& relatives) const {
  for (const auto& relative : relatives) File(relative);
}

void TestTree::Link(const std::string& relative, const std::string& target) const {
  const std::string path = *this / relative;
  if (::symlink(target.c_str(), path.c_str()) != 0) Fail("make the link", path);
}

void TestTree::Mode(const std::string& relative, unsigned mode) const {
  const std::string path = *this / relative;
  if (::chmod(path.c_str(), mode) != 0) Fail("change the mode of", path);
}

void TestTree::Remove(const std::string& relative) const {
  std::error_code ignored;
  std::filesystem::remove_all(*this / relative, ignored);
}

}  // namespace qm::test
