#include "engine/adapter/EncryptionProbe.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace qm {

namespace {

constexpr std::uint8_t kMagic[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFEu;
constexpr std::uint32_t kMaxSector = 0xFFFFFFFAu;
/// The CurrentUserAtom's header token of an encrypted document.
constexpr std::uint32_t kEncryptedToken = 0xF3D1C4DFu;
/// Bounds that keep a damaged or hostile file from making the probe slow.
constexpr std::size_t kMaxChain = 1u << 20;
constexpr std::size_t kMaxDirectoryEntries = 1u << 14;

std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0] | p[1] << 8 | p[2] << 16) | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

/// An OLE compound file read on demand, just far enough to find streams.
class CompoundFile {
 public:
  explicit CompoundFile(int fd) : fd_(fd) {}

  bool ReadHeader() {
    if (!ReadAt(0, header_, sizeof header_) || std::memcmp(header_, kMagic, 8) != 0) return false;
    const unsigned shift = U16(header_ + 0x1E);
    const unsigned miniShift = U16(header_ + 0x20);
    if ((shift != 9 && shift != 12) || miniShift != 6) return false;
    sectorSize_ = 1u << shift;
    miniCutoff_ = U32(header_ + 0x38);
    return ReadFat();
  }

  /// The bytes of the chain starting at `start`, at most `limit` of them.
  bool ReadChain(std::uint32_t start, std::size_t limit, std::vector<std::uint8_t>* out) const {
    out->clear();
    for (std::size_t n = 0; start <= kMaxSector && out->size() < limit; ++n) {
      if (n > kMaxChain || start >= fat_.size()) return false;
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
                  std::vector<std::uint8_t>* out) const {
    const std::uint8_t* e = directory.data() + entry * 128;
    const std::uint32_t start = U32(e + 0x74);
    const std::size_t size = U32(e + 0x78);
    if (size >= miniCutoff_) return ReadChain(start, size, out);
    // Small streams live in the mini stream, 64-byte sectors chained by the
    // mini FAT; the mini stream itself is the root entry's chain.
    std::vector<std::uint8_t> miniStream, miniFat;
    if (!ReadChain(U32(directory.data() + 0x74), U32(directory.data() + 0x78), &miniStream) ||
        !ReadChain(U32(header_ + 0x3C), std::size_t{U32(header_ + 0x40)} * sectorSize_, &miniFat))
      return false;
    out->clear();
    std::uint32_t sector = start;
    for (std::size_t n = 0; sector <= kMaxSector && out->size() < size; ++n) {
      const std::size_t at = std::size_t{sector} * 64;
      if (n > kMaxChain || at + 64 > miniStream.size() || std::size_t{sector} * 4 + 4 > miniFat.size())
        return false;
      out->insert(out->end(), miniStream.begin() + static_cast<std::ptrdiff_t>(at),
                  miniStream.begin() + static_cast<std::ptrdiff_t>(at + 64));
      sector = U32(miniFat.data() + std::size_t{sector} * 4);
    }
    if (out->size() > size) out->resize(size);
    return out->size() == size;
  }

  std::uint32_t FirstDirectorySector() const { return U32(header_ + 0x30); }

 private:
  bool ReadAt(std::uint64_t offset, std::uint8_t* data, std::size_t size) const {
    return ::pread(fd_, data, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
  }

  /// The FAT, from the sectors the header's DIFAT and the DIFAT chain list.
  bool ReadFat() {
    std::vector<std::uint32_t> fatSectors;
    for (int i = 0; i < 109; ++i) {
      const std::uint32_t sector = U32(header_ + 0x4C + 4 * i);
      if (sector <= kMaxSector) fatSectors.push_back(sector);
    }
    std::uint32_t difat = U32(header_ + 0x44);
    const std::uint32_t difatSectors = U32(header_ + 0x48);
    std::vector<std::uint8_t> block(sectorSize_);
    for (std::uint32_t n = 0; difat <= kMaxSector; ++n) {
      if (n >= difatSectors || !ReadAt((std::uint64_t{difat} + 1) * sectorSize_, block.data(), sectorSize_))
        return false;
      for (std::size_t i = 0; i + 4 < sectorSize_; i += 4) {
        const std::uint32_t sector = U32(block.data() + i);
        if (sector <= kMaxSector) fatSectors.push_back(sector);
      }
      difat = U32(block.data() + sectorSize_ - 4);
    }
    for (const std::uint32_t sector : fatSectors) {
      if (fat_.size() > kMaxChain) return false;
      if (!ReadAt((std::uint64_t{sector} + 1) * sectorSize_, block.data(), sectorSize_)) return false;
      for (std::size_t i = 0; i < sectorSize_; i += 4) fat_.push_back(U32(block.data() + i));
    }
    return !fat_.empty();
  }

  int fd_;
  std::uint8_t header_[512] = {};
  std::uint32_t sectorSize_ = 512;
  std::uint32_t miniCutoff_ = 4096;
  std::vector<std::uint32_t> fat_;
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
  CompoundFile file(fd);
  if (!file.ReadHeader()) return false;
  std::vector<std::uint8_t> directory;
  if (!file.ReadChain(file.FirstDirectorySector(), kMaxDirectoryEntries * 128, &directory))
    return false;
  bool encryptionInfo = false, encryptedPackage = false;
  for (std::size_t i = 0; (i + 1) * 128 <= directory.size(); ++i) {
    const std::uint8_t* entry = directory.data() + i * 128;
    if (entry[0x42] != 2) continue;  // streams only
    const std::string name = EntryName(entry);
    if (name == "EncryptedSummary") return true;
    encryptionInfo |= name == "EncryptionInfo";
    encryptedPackage |= name == "EncryptedPackage";
    if (name == "Current User") {
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
  ::close(fd);
  return encrypted;
}

}  // namespace qm
