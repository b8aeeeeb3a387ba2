#pragma once
// Hands a fuzzer's input to code that reads files or descriptors.

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace qm::fuzz {

/// The input as an anonymous in-memory file, named by a /proc path that
/// opens like any file; closed (and gone) with the object.
class InputFile {
 public:
  InputFile(const std::uint8_t* data, std::size_t size)
      : fd_(::memfd_create("quillmere-fuzz", MFD_CLOEXEC)) {
    std::size_t written = 0;
    while (fd_ >= 0 && written < size) {
      const ssize_t n = ::write(fd_, data + written, size - written);
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
  }
  ~InputFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

}  // namespace qm::fuzz
