#include "engine/adapter/EncryptionProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace qm {

namespace {

constexpr std::uint8_t kMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kMaxSector = 0xFFFFFFFAu;
/// The CurrentUserAtom's header token of an encrypted document.
constexpr std::uint32_t kEncryptedToken = 0xF3D1C4DFu;
/// The directory read at most: far more entries than a presentation holds.
constexpr std::size_t kMaxDirectoryEntries = 1u << 14;

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

/// An OLE compound file read on demand, just far enough to find streams.
///
/// The file is untrusted and read before any renderer's limits apply, so
/// every walk is bounded by the bytes present: a sector number must name a
/// sector inside the file, every chain visits each sector at most once, and
/// no count read from the file sizes anything before it is checked against
/// the file's size. A hostile file of any size costs at most one pass over
/// its own sectors and memory in proportion to it.
class CompoundFile {
 public:
  CompoundFile(int fd, std::uint64_t fileSize) : fd_(fd), fileSize_(fileSize) {}

  bool ReadHeader() {
    if (!ReadAt(0, header_, sizeof header_) || std::memcmp(header_, kMagic, 8) != 0) return false;
    const unsigned shift = U16(header_ + 0x1E);
    const unsigned miniShift = U16(header_ + 0x20);
    if ((shift != 9 && shift != 12) || miniShift != 6) return false;
    sectorSize_ = 1u << shift;
    // Sector n lies at (n + 1) * sectorSize: the header takes the first.
    const std::uint64_t sectors = fileSize_ / sectorSize_;
    if (sectors < 2) return false;
    sectorCount_ = static_cast<std::uint32_t>(std::min<std::uint64_t>(sectors - 1, kMaxSector));
    miniCutoff_ = U32(header_ + 0x38);
    return ReadFat();
  }

  /// The bytes of the chain starting at `start`, at most `limit` of them.
  /// False when the chain leaves the file, leads outside the FAT, or comes
  /// back to a sector it visited.
  bool ReadChain(std::uint32_t start, std::size_t limit, std::vector<std::uint8_t>* out) const {
    out->clear();
    limit = static_cast<std::size_t>(
        std::min<std::uint64_t>(limit, std::uint64_t{sectorCount_} * sectorSize_));
    std::vector<bool> visited(sectorCount_, false);
    while (start <= kMaxSector && out->size() < limit) {
      if (start >= sectorCount_ || start >= fat_.size() || visited[start]) return false;
      visited[start] = true;
      const std::size_t at = out->size();
      out->resize(at + sectorSize_);
      if (!ReadAt((static_cast<std::uint64_t>(start) + 1) * sectorSize_, out->data() + at, sectorSize_))
        return false;
      start = fat_[start];
    }
    if (out->size() > limit) out->resize(limit);
    return true;
  }

  /// The contents of the stream whose directory entry is at `entry`.
  bool ReadStream(const std::vector<std::uint8_t>& directory, std::size_t entry,
                  std::vector<std::uint8_t>* out) {
    const std::uint8_t* e = directory.data() + entry * 128;
    const std::uint32_t start = U32(e + 0x74);
    const std::size_t size = U32(e + 0x78);
    if (size >= miniCutoff_) return ReadChain(start, size, out) && out->size() == size;
    // Small streams live in the mini stream, 64-byte sectors chained by the
    // mini FAT; the mini stream itself is the root entry's chain. Both are
    // read once, however many streams ask.
    if (!ReadMiniStream(directory)) return false;
    out->clear();
    const std::size_t miniSectors = std::min(miniStream_.size() / 64, miniFat_.size() / 4);
    std::vector<bool> visited(miniSectors, false);
    std::uint32_t sector = start;
    while (sector <= kMaxSector && out->size() < size) {
      if (sector >= miniSectors || visited[sector]) return false;
      visited[sector] = true;
      const std::size_t at = std::size_t{sector} * 64;
      out->insert(out->end(), miniStream_.begin() + static_cast<std::ptrdiff_t>(at),
                  miniStream_.begin() + static_cast<std::ptrdiff_t>(at + 64));
      sector = U32(miniFat_.data() + std::size_t{sector} * 4);
    }
    if (out->size() > size) out->resize(size);
    return out->size() == size;
  }

  std::uint32_t FirstDirectorySector() const { return U32(header_ + 0x30); }

 private:
  bool ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) const {
    if (offset > fileSize_ || size > fileSize_ - offset) return false;
    return ::pread(fd_, data, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
  }

  bool ReadMiniStream(const std::vector<std::uint8_t>& directory) {
    if (miniRead_) return miniOk_;
    miniRead_ = true;
    miniOk_ = ReadChain(U32(directory.data() + 0x74), U32(directory.data() + 0x78), &miniStream_) &&
              ReadChain(U32(header_ + 0x3C), std::size_t{U32(header_ + 0x40)} * sectorSize_, &miniFat_);
    return miniOk_;
  }

  /// The FAT, from the sectors the header's DIFAT and the DIFAT chain list.
  bool ReadFat() {
    std::vector<std::uint32_t> fatSectors;
    const auto note = [&](std::uint32_t sector) {
      if (sector > kMaxSector) return true;  // an unused slot
      if (sector >= sectorCount_ || fatSectors.size() >= sectorCount_) return false;
      fatSectors.push_back(sector);
      return true;
    };
    for (int i = 0; i < 109; ++i) {
      if (!note(U32(header_ + 0x4C + 4 * i))) return false;
    }
    std::uint32_t difat = U32(header_ + 0x44);
    const std::uint32_t difatSectors = U32(header_ + 0x48);
    std::vector<bool> visited(sectorCount_, false);
    std::vector<std::uint8_t> block(sectorSize_);
    for (std::uint32_t n = 0; difat <= kMaxSector; ++n) {
      if (n >= difatSectors || difat >= sectorCount_ || visited[difat]) return false;
      visited[difat] = true;
      if (!ReadAt((std::uint64_t{difat} + 1) * sectorSize_, block.data(), sectorSize_)) return false;
      for (std::size_t i = 0; i + 4 < sectorSize_; i += 4) {
        if (!note(U32(block.data() + i))) return false;
      }
      difat = U32(block.data() + sectorSize_ - 4);
    }
    fat_.reserve(fatSectors.size() * (sectorSize_ / 4));
    for (const std::uint32_t sector : fatSectors) {
      if (!ReadAt((std::uint64_t{sector} + 1) * sectorSize_, block.data(), sectorSize_)) return false;
      for (std::size_t i = 0; i < sectorSize_; i += 4) fat_.push_back(U32(block.data() + i));
    }
    return !fat_.empty();
  }

  int fd_;
  std::uint64_t fileSize_;
  std::uint8_t header_[512] = {};
  std::uint32_t sectorSize_ = 512;
  std::uint32_t sectorCount_ = 0;  ///< whole sectors after the header
  std::uint32_t miniCutoff_ = 4096;
  std::vector<std::uint32_t> fat_;
  bool miniRead_ = false;
  bool miniOk_ = false;
  std::vector<std::uint8_t> miniStream_;
  std::vector<std::uint8_t> miniFat_;
};

/// The entry's name, from UTF-16 to ASCII (other characters become '?').
std::string EntryName(const std::uint8_t* entry) {
  const std::size_t bytes = std::min<std::size_t>(U16(entry + 0x40), 64);
  std::string name;
  for (std::size_t i = 0; i + 1 < bytes; i += 2) {
    const std::uint16_t c = U16(entry + i);
    if (c == 0) break;
    name += c < 128 ? static_cast<char>(c) : '?';
  }
  return name;
}

bool Probe(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  CompoundFile file(fd, static_cast<std::uint64_t>(info.st_size));
  if (!file.ReadHeader()) return false;
  std::vector<std::uint8_t> directory;
  if (!file.ReadChain(file.FirstDirectorySector(), kMaxDirectoryEntries * 128, &directory))
    return false;
  bool encryptionInfo = false, encryptedPackage = false, currentUserRead = false;
  for (std::size_t i = 0; (i + 1) * 128 <= directory.size(); ++i) {
    const std::uint8_t* entry = directory.data() + i * 128;
    if (entry[0x42] != 2) continue;  // streams only
    const std::string name = EntryName(entry);
    if (name == "EncryptedSummary") return true;
    encryptionInfo |= name == "EncryptionInfo";
    encryptedPackage |= name == "EncryptedPackage";
    if (name == "Current User" && !currentUserRead) {
      currentUserRead = true;  // a document has one; a hostile one may repeat it
      std::vector<std::uint8_t> stream;
      // The atom: an 8-byte record header of type 0x0FF6, its size, then the token.
      if (file.ReadStream(directory, i, &stream) && stream.size() >= 16 &&
          U16(stream.data() + 2) == 0x0FF6 && U32(stream.data() + 12) == kEncryptedToken)
        return true;
    }
  }
  return encryptionInfo && encryptedPackage;
}

}  // namespace

bool IsPasswordProtected(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return false;
  bool encrypted = false;
  try {
    encrypted = Probe(fd);
  } catch (...) {
    encrypted = false;  // out of memory on a hostile header: let LibreOffice say what it is
  }
  (void)::close(fd);  // only read from: closing it loses nothing
  return encrypted;
}

}  // namespace qm
