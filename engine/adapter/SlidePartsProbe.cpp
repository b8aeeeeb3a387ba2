#include "engine/adapter/SlidePartsProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <algorithm>
#include <cstring>
#include <vector>

namespace qm {

namespace {

constexpr std::uint32_t kEndOfDirectory = 0x06054b50;
constexpr std::uint32_t kDirectoryEntry = 0x02014b50;
constexpr std::size_t kEndRecordBytes = 22;
constexpr std::size_t kEntryBytes = 46;
/// The end record sits in the last 22 bytes plus a comment of at most 64 KiB.
constexpr std::size_t kTailBytes = kEndRecordBytes + 0xFFFF;
/// A central directory bigger than this is not a presentation's.
constexpr std::uint32_t kMaxDirectoryBytes = 64u << 20;

std::uint32_t U32(const unsigned char* p) {
  return p[0] | p[1] << 8 | p[2] << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t U16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

bool IsSlidePart(const char* name, std::size_t length) {
  static constexpr char kPrefix[] = "ppt/slides/slide";
  static constexpr char kSuffix[] = ".xml";
  const std::size_t prefix = sizeof kPrefix - 1;
  const std::size_t suffix = sizeof kSuffix - 1;
  if (length <= prefix + suffix || std::memcmp(name, kPrefix, prefix) != 0 ||
      std::memcmp(name + length - suffix, kSuffix, suffix) != 0)
    return false;
  for (std::size_t i = prefix; i < length - suffix; ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

/// Counts slide parts among the `count` entries of a central directory;
/// nullopt when an entry does not fit or the presentation part is missing.
std::optional<int> CountInDirectory(const unsigned char* directory, std::size_t size,
                                    std::uint16_t count) {
  static constexpr char kPresentation[] = "ppt/presentation.xml";
  bool presentation = false;
  int slides = 0;
  std::size_t at = 0;
  for (std::uint16_t i = 0; i < count; ++i) {
    if (size - at < kEntryBytes || U32(directory + at) != kDirectoryEntry) return std::nullopt;
    const std::size_t nameLength = U16(directory + at + 28);
    const std::size_t rest = nameLength + U16(directory + at + 30) + U16(directory + at + 32);
    if (size - at - kEntryBytes < rest) return std::nullopt;
    const char* name = reinterpret_cast<const char*>(directory + at + kEntryBytes);
    if (nameLength == sizeof kPresentation - 1 && std::memcmp(name, kPresentation, nameLength) == 0)
      presentation = true;
    if (IsSlidePart(name, nameLength)) ++slides;
    at += kEntryBytes + rest;
  }
  if (!presentation) return std::nullopt;
  return slides;
}

/// Where the central directory is, as the end record says.
struct Directory {
  std::uint16_t count;
  std::uint32_t bytes;
  std::uint32_t offset;
};

/// Finds the end record in `tail` (the last bytes of a file of `fileSize`
/// bytes) and checks that the directory it names lies inside the file.
std::optional<Directory> FindDirectory(const unsigned char* tail, std::size_t size,
                                       std::uint64_t fileSize) {
  if (size < kEndRecordBytes) return std::nullopt;
  for (std::size_t at = size - kEndRecordBytes + 1; at-- > 0;) {
    if (U32(tail + at) != kEndOfDirectory) continue;
    const Directory directory{U16(tail + at + 10), U32(tail + at + 12), U32(tail + at + 16)};
    if (directory.bytes > kMaxDirectoryBytes || directory.offset > fileSize ||
        directory.bytes > fileSize - directory.offset)
      return std::nullopt;
    return directory;
  }
  return std::nullopt;
}

}  // namespace

std::optional<int> CountSlideParts(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<int> counted;
  struct stat info {};
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
    const auto size = static_cast<std::uint64_t>(info.st_size);
    const auto tailBytes = static_cast<std::size_t>(std::min<std::uint64_t>(size, kTailBytes));
    std::vector<unsigned char> tail(tailBytes);
    const auto tailStart = static_cast<off_t>(size - tailBytes);
    if (::pread(fd, tail.data(), tailBytes, tailStart) == static_cast<ssize_t>(tailBytes)) {
      if (const auto directory = FindDirectory(tail.data(), tailBytes, size)) {
        std::vector<unsigned char> bytes(directory->bytes);
        if (::pread(fd, bytes.data(), bytes.size(), directory->offset) ==
            static_cast<ssize_t>(bytes.size()))
          counted = CountInDirectory(bytes.data(), bytes.size(), directory->count);
      }
    }
  }
  (void)::close(fd);  // only read from: closing it loses nothing
  return counted;
}

}  // namespace qm
