#include "imaging/codecs/PngEncoder.h"

#include <libdeflate.h>

#include <cstring>
#include <limits>
#include <memory>

namespace qm {

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(value >> shift));
}

/// Appends one chunk: length, type, data, CRC of type and data.
void PutChunk(std::vector<std::uint8_t>& out, const char type[4], const std::uint8_t* data,
              std::size_t size) {
  Put32(out, static_cast<std::uint32_t>(size));
  const std::size_t typeAt = out.size();
  out.insert(out.end(), type, type + 4);
  if (size) out.insert(out.end(), data, data + size);
  Put32(out, libdeflate_crc32(0, out.data() + typeAt, size + 4));
}

/// The scanlines as PNG wants them: a filter byte, then the row, filtered.
std::vector<std::uint8_t> FilteredRows(const Bitmap& bitmap, bool up) {
  const std::size_t rowBytes = bitmap.RowBytes();
  std::vector<std::uint8_t> raw((rowBytes + 1) * static_cast<std::size_t>(bitmap.height));
  std::uint8_t* out = raw.data();
  for (int y = 0; y < bitmap.height; ++y) {
    const std::uint8_t* row = bitmap.Row(y);
    if (up && y > 0) {
      const std::uint8_t* above = bitmap.Row(y - 1);
      *out++ = 2;  // UP
      for (std::size_t i = 0; i < rowBytes; ++i) out[i] = static_cast<std::uint8_t>(row[i] - above[i]);
    } else {
      *out++ = 0;  // NONE
      std::memcpy(out, row, rowBytes);
    }
    out += rowBytes;
  }
  return raw;
}

}  // namespace

Status EncodePng(const Bitmap& bitmap, const PngSettings& settings, std::vector<std::uint8_t>* png) {
  if (!bitmap.IsConsistent()) return Status::Failure("the picture holds no pixels");
  try {
    const std::vector<std::uint8_t> raw = FilteredRows(bitmap, settings.filters != PngSettings::kFilterNone);
    const int level = std::min(std::max(settings.compressionLevel, 1), 12);
    std::unique_ptr<libdeflate_compressor, decltype(&libdeflate_free_compressor)> compressor(
        libdeflate_alloc_compressor(level), &libdeflate_free_compressor);
    if (!compressor) return Status::Failure("there is not enough memory to compress it");
    std::vector<std::uint8_t> idat(libdeflate_zlib_compress_bound(compressor.get(), raw.size()));
    const std::size_t packed =
        libdeflate_zlib_compress(compressor.get(), raw.data(), raw.size(), idat.data(), idat.size());
    if (packed == 0 || packed > std::numeric_limits<std::int32_t>::max())
      return Status::Failure("the compressed picture is larger than a PNG chunk can hold");

    png->clear();
    png->reserve(packed + 64);
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png->insert(png->end(), kSignature, kSignature + 8);
    std::vector<std::uint8_t> ihdr;
    Put32(ihdr, static_cast<std::uint32_t>(bitmap.width));
    Put32(ihdr, static_cast<std::uint32_t>(bitmap.height));
    // 8 bits, truecolour (6: with alpha), deflate, adaptive, no interlace
    ihdr.insert(ihdr.end(), {8, static_cast<std::uint8_t>(bitmap.HasAlpha() ? 6 : 2), 0, 0, 0});
    PutChunk(*png, "IHDR", ihdr.data(), ihdr.size());
    std::vector<std::uint8_t> phys;
    Put32(phys, kPixelsPerMetreAt96Dpi);
    Put32(phys, kPixelsPerMetreAt96Dpi);
    phys.push_back(1);  // metres
    PutChunk(*png, "pHYs", phys.data(), phys.size());
    PutChunk(*png, "IDAT", idat.data(), packed);
    PutChunk(*png, "IEND", nullptr, 0);
    return {};
  } catch (const std::bad_alloc&) {
    return Status::Failure("there is not enough memory to encode it");
  }
}

}  // namespace qm
