#include "imaging/codecs/BmpFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

#include "imaging/codecs/AtomicFile.h"

namespace qm {

namespace {

constexpr std::uint32_t kFileHeaderSize = 14;
constexpr std::uint32_t kInfoHeaderSize = 40;
/// BITMAPV4HEADER: the info header with colour masks, alpha's among them.
constexpr std::uint32_t kV4HeaderSize = 108;
constexpr std::uint32_t kLargestHeaders = kFileHeaderSize + kV4HeaderSize;
constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiBitfields = 3;

void Put16(std::uint8_t* at, std::uint16_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint16_t Get16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | (at[1] << 8));
}

std::uint32_t Get32(const std::uint8_t* at) {
  return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
         (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

/// Byte index (0 to 3, little-endian) of a channel whose bit mask covers
/// exactly one whole byte of a 32-bit pixel; -1 for any other mask.
int ByteOfMask(std::uint32_t mask) {
  for (int i = 0; i < 4; ++i)
    if (mask == (0xFFu << (8 * i))) return i;
  return -1;
}

Status Refuse(const std::string& path, const std::string& why, int systemError = 0) {
  return Status::Failure("Cannot read the bitmap \"" + path + "\": " + why + ".", systemError);
}

/// The file and info headers of an uncompressed bitmap of `imageSize` pixel
/// bytes; a negative `height` marks top-down rows. With `alpha` (32 bits
/// only) the info header is a V4 one whose masks say B, G, R, A, in that
/// byte order; else the plain 40-byte one. Returns the headers' size.
std::uint32_t PutHeaders(std::uint8_t* header, std::int32_t width, std::int32_t height,
                         std::uint16_t bits, std::uint64_t imageSize, bool alpha = false) {
  const std::uint32_t infoSize = alpha ? kV4HeaderSize : kInfoHeaderSize;
  std::memset(header, 0, kFileHeaderSize + infoSize);
  header[0] = 'B';
  header[1] = 'M';
  Put32(header + 2, static_cast<std::uint32_t>(kFileHeaderSize + infoSize + imageSize));
  Put32(header + 10, kFileHeaderSize + infoSize);
  std::uint8_t* info = header + kFileHeaderSize;
  Put32(info + 0, infoSize);
  Put32(info + 4, static_cast<std::uint32_t>(width));
  Put32(info + 8, static_cast<std::uint32_t>(height));
  Put16(info + 12, 1);  // planes
  Put16(info + 14, bits);
  Put32(info + 16, kBiRgb);
  Put32(info + 20, static_cast<std::uint32_t>(imageSize));
  Put32(info + 24, kPixelsPerMetreAt96Dpi);
  Put32(info + 28, kPixelsPerMetreAt96Dpi);
  if (alpha) {
    Put32(info + 16, kBiBitfields);
    Put32(info + 40, 0x00FF0000u);  // red
    Put32(info + 44, 0x0000FF00u);  // green
    Put32(info + 48, 0x000000FFu);  // blue
    Put32(info + 52, 0xFF000000u);  // alpha
    Put32(info + 56, 0x73524742u);  // LCS_sRGB
  }
  return kFileHeaderSize + infoSize;
}

bool FitsABitmapFile(std::uint64_t imageSize) {
  return kLargestHeaders + imageSize <= std::numeric_limits<std::uint32_t>::max();
}

/// Writes `size` bytes at `data` as the whole file at `path`, atomically.
Status WriteWhole(const std::string& path, const std::uint8_t* header, std::uint32_t headerSize,
                  const std::uint8_t* data, std::size_t size) {
  AtomicFile file;
  Status written = file.Open(path);
  if (written.Ok()) written = file.Write(header, headerSize);
  if (written.Ok()) written = file.Write(data, size);
  if (written.Ok()) written = file.Commit();
  return written;
}

}  // namespace

Status WriteBmpFile(const Bitmap& bitmap, const std::string& path) {
  if (!bitmap.IsConsistent())
    return Status::Failure("Cannot write \"" + path + "\": the picture holds no pixels.");
  if (bitmap.HasAlpha()) {
    std::vector<std::uint8_t> bgra(bitmap.pixels);
    for (std::size_t i = 0; i < bgra.size(); i += 4) std::swap(bgra[i], bgra[i + 2]);
    return WriteBgraBmpFile(bgra.data(), bitmap.width, bitmap.height, path);
  }
  const std::uint64_t stride = (bitmap.RowBytes() + 3) & ~std::uint64_t{3};
  const std::uint64_t imageSize = stride * static_cast<std::uint64_t>(bitmap.height);
  if (!FitsABitmapFile(imageSize))
    return Status::Failure("Cannot write \"" + path + "\": the picture is too large for a bitmap file.");
  std::uint8_t header[kLargestHeaders];
  const std::uint32_t headerSize =
      PutHeaders(header, bitmap.width, bitmap.height, 24, imageSize);  // positive: bottom-up

  // The pixels in one buffer and one write: slide bitmaps are megabytes,
  // written and read once per slide.
  std::vector<std::uint8_t> data(static_cast<std::size_t>(imageSize), 0);
  for (int y = 0; y < bitmap.height; ++y) {
    const std::uint8_t* rgb = bitmap.Row(y);
    std::uint8_t* bgr = data.data() + stride * static_cast<std::uint64_t>(bitmap.height - 1 - y);
    for (const std::uint8_t* end = rgb + bitmap.RowBytes(); rgb != end; rgb += 3, bgr += 3) {
      bgr[0] = rgb[2];
      bgr[1] = rgb[1];
      bgr[2] = rgb[0];
    }
  }
  return WriteWhole(path, header, headerSize, data.data(), data.size());
}

namespace {

/// A top-down 32-bit bitmap whose pixel data are `pixels` exactly.
Status WriteFourByteBmpFile(const std::uint8_t* pixels, int width, int height, bool alpha,
                            const std::string& path) {
  if (pixels == nullptr || width <= 0 || height <= 0)
    return Status::Failure("Cannot write \"" + path + "\": the picture holds no pixels.");
  const std::uint64_t imageSize =
      static_cast<std::uint64_t>(width) * 4 * static_cast<std::uint64_t>(height);
  if (!FitsABitmapFile(imageSize))
    return Status::Failure("Cannot write \"" + path + "\": the picture is too large for a bitmap file.");
  std::uint8_t header[kLargestHeaders];
  const std::uint32_t headerSize =
      PutHeaders(header, width, -height, 32, imageSize, alpha);  // negative: top-down
  return WriteWhole(path, header, headerSize, pixels, static_cast<std::size_t>(imageSize));
}

}  // namespace

Status WriteBgrxBmpFile(const std::uint8_t* bgrx, int width, int height, const std::string& path) {
  return WriteFourByteBmpFile(bgrx, width, height, false, path);
}

Status WriteBgraBmpFile(const std::uint8_t* bgra, int width, int height, const std::string& path) {
  return WriteFourByteBmpFile(bgra, width, height, true, path);
}

namespace {

/// Where a bitmap file keeps its pixels and how they are laid out.
struct BmpLayout {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool topDown = false;
  std::uint64_t bytesPerPixel = 3;
  std::uint64_t stride = 0;
  std::uint64_t pixelOffset = 0;
  int blue = 0, green = 1, red = 2;  ///< byte positions within a pixel
  int alpha = -1;  ///< the alpha byte's position; -1: the file has no alpha
};

/// The whole of the file at `path`, in one read: slide bitmaps are
/// megabytes, read once per slide.
Status ReadWholeFile(const std::string& path, std::vector<std::uint8_t>* data) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    return Refuse(path, std::string("cannot open the file (") + std::strerror(error) + ")", error);
  }
  struct stat file {};
  if (::fstat(fd, &file) != 0 || !S_ISREG(file.st_mode)) {
    (void)::close(fd);  // only read from: closing it loses nothing
    return Refuse(path, "the file's size cannot be read");
  }
  data->resize(static_cast<std::size_t>(file.st_size));
  std::size_t got = 0;
  while (got < data->size()) {
    const ssize_t n = ::read(fd, data->data() + got, data->size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  (void)::close(fd);  // only read from: closing it loses nothing
  if (got != data->size()) return Refuse(path, "the file cannot be read to its end");
  return {};
}

/// Reads the headers of the bitmap file `data` into `layout`, refusing
/// anything but uncompressed 24- and 32-bit colour whose pixels lie whole
/// inside the file.
Status ReadBmpLayout(const std::string& path, const std::vector<std::uint8_t>& data,
                     BmpLayout* layout) {
  if (data.size() < kFileHeaderSize + kInfoHeaderSize)
    return Refuse(path, "the file is too short to hold a bitmap header");
  if (data[0] != 'B' || data[1] != 'M') return Refuse(path, "the file is not a Windows bitmap");
  const std::uint32_t pixelOffset = Get32(&data[10]);
  const std::uint8_t* info = &data[kFileHeaderSize];
  const std::uint32_t infoSize = Get32(info);
  if (infoSize < kInfoHeaderSize || kFileHeaderSize + std::uint64_t{infoSize} > data.size())
    return Refuse(path, "its bitmap header is of an unsupported kind or cut short");

  const std::int32_t width = static_cast<std::int32_t>(Get32(info + 4));
  const std::int32_t rawHeight = static_cast<std::int32_t>(Get32(info + 8));
  const std::uint16_t planes = Get16(info + 12);
  const std::uint16_t bits = Get16(info + 14);
  const std::uint32_t compression = Get32(info + 16);
  if (width <= 0 || rawHeight == 0 || rawHeight == std::numeric_limits<std::int32_t>::min())
    return Refuse(path, "its width or height is not a positive size");
  if (planes != 1) return Refuse(path, "its header is inconsistent (plane count is not 1)");
  if (bits != 24 && bits != 32)
    return Refuse(path, "only 24-bit and 32-bit colour bitmaps are supported, this one has " +
                            std::to_string(bits) + " bits per pixel");

  BmpLayout read;
  if (compression == kBiBitfields && bits == 32) {
    // The masks follow a 40-byte header, or lie inside a larger one.
    const std::uint64_t maskAt = kFileHeaderSize + kInfoHeaderSize;
    if (maskAt + 12 > data.size()) return Refuse(path, "its colour masks are cut short");
    read.red = ByteOfMask(Get32(&data[maskAt]));
    read.green = ByteOfMask(Get32(&data[maskAt + 4]));
    read.blue = ByteOfMask(Get32(&data[maskAt + 8]));
    if (read.red < 0 || read.green < 0 || read.blue < 0)
      return Refuse(path, "its colour masks are not whole bytes");
    // A V3 header or larger holds an alpha mask; a whole-byte one is alpha.
    if (infoSize >= kInfoHeaderSize + 16) {
      const int alpha = ByteOfMask(Get32(&data[maskAt + 12]));
      if (alpha >= 0 && alpha != read.red && alpha != read.green && alpha != read.blue)
        read.alpha = alpha;
    }
  } else if (compression != kBiRgb) {
    return Refuse(path, "compressed bitmaps are not supported");
  }

  read.width = width;
  read.topDown = rawHeight < 0;
  read.height = read.topDown ? -rawHeight : rawHeight;
  read.bytesPerPixel = bits / 8;
  read.stride = (static_cast<std::uint64_t>(width) * read.bytesPerPixel + 3) & ~std::uint64_t{3};
  read.pixelOffset = pixelOffset;
  const std::uint64_t needed = read.stride * static_cast<std::uint64_t>(read.height);
  if (pixelOffset < kFileHeaderSize + kInfoHeaderSize || pixelOffset > data.size())
    return Refuse(path, "its pixel data offset points outside the file");
  if (needed > data.size() - pixelOffset)
    return Refuse(path, "the file is truncated: " + std::to_string(needed) +
                            " bytes of pixel data expected, " +
                            std::to_string(data.size() - pixelOffset) + " found");
  *layout = read;
  return {};
}

/// Copies the pixels `layout` describes into `bitmap` as R, G, B (and A,
/// when the file has alpha), top row first, into the caller's storage: a
/// picture box loads slide after slide of one size, so its buffer is reused
/// rather than allocated again.
void CopyBmpPixels(const std::vector<std::uint8_t>& data, const BmpLayout& layout, Bitmap* bitmap) {
  bitmap->width = layout.width;
  bitmap->height = layout.height;
  bitmap->channels = layout.alpha >= 0 ? 4 : 3;
  bitmap->pixels.resize(bitmap->RowBytes() * static_cast<std::size_t>(layout.height));
  if (layout.alpha >= 0) {
    for (std::int32_t y = 0; y < layout.height; ++y) {
      const std::int32_t fileRow = layout.topDown ? y : layout.height - 1 - y;
      const std::uint8_t* src = &data[layout.pixelOffset + layout.stride * static_cast<std::uint64_t>(fileRow)];
      std::uint8_t* dst = bitmap->Row(y);
      for (std::uint8_t* const end = dst + bitmap->RowBytes(); dst != end; dst += 4, src += 4) {
        dst[0] = src[layout.red];
        dst[1] = src[layout.green];
        dst[2] = src[layout.blue];
        dst[3] = src[layout.alpha];
      }
    }
    return;
  }
  const bool plain = layout.blue == 0 && layout.green == 1 && layout.red == 2;
  for (std::int32_t y = 0; y < layout.height; ++y) {
    const std::int32_t fileRow = layout.topDown ? y : layout.height - 1 - y;
    const std::uint8_t* src = &data[layout.pixelOffset + layout.stride * static_cast<std::uint64_t>(fileRow)];
    std::uint8_t* dst = bitmap->Row(y);
    std::uint8_t* const end = dst + bitmap->RowBytes();
    if (plain) {
      // The layouts the program writes, in loops of constant shape.
      if (layout.bytesPerPixel == 4) {
        for (; dst != end; dst += 3, src += 4) {
          dst[0] = src[2];
          dst[1] = src[1];
          dst[2] = src[0];
        }
      } else {
        for (; dst != end; dst += 3, src += 3) {
          dst[0] = src[2];
          dst[1] = src[1];
          dst[2] = src[0];
        }
      }
      continue;
    }
    for (; dst != end; dst += 3, src += layout.bytesPerPixel) {
      dst[0] = src[layout.red];
      dst[1] = src[layout.green];
      dst[2] = src[layout.blue];
    }
  }
}

}  // namespace

Status ReadBmpFile(const std::string& path, Bitmap* bitmap) {
  // A run reads one slide's bitmap after another, mostly of one size: the
  // thread keeps the file's buffer, so each read after the first neither
  // clears megabytes nor has the kernel hand them out afresh.
  constexpr std::size_t kKeptBytes = std::size_t{64} << 20;
  thread_local std::vector<std::uint8_t> data;
  struct Release {
    ~Release() {
      if (data.capacity() > kKeptBytes) std::vector<std::uint8_t>().swap(data);
    }
  } release;
  if (Status read = ReadWholeFile(path, &data); !read.Ok()) return read;
  BmpLayout layout;
  if (Status parsed = ReadBmpLayout(path, data, &layout); !parsed.Ok()) return parsed;
  CopyBmpPixels(data, layout, bitmap);
  return {};
}

}  // namespace qm
