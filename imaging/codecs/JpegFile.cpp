#include "imaging/codecs/JpegFile.h"

#include <sys/stat.h>

#include <cstdint>
#include <new>
#include <string>
#include <vector>

#include "imaging/codecs/AtomicFile.h"
#include "imaging/codecs/DecodedSize.h"
#include "imaging/codecs/JpegErrorHandler.h"
#include "imaging/codecs/JpegRowReader.h"

namespace qm {

namespace {

constexpr UINT16 kDotsPerInch = 96;

/// Encodes all rows to `file`. Holds only plain data: an error jumps back to
/// the setjmp here and returns false.
bool Encode(jpeg_compress_struct* info, JpegErrorHandler* errors, std::FILE* file,
            const Bitmap* bitmap, int quality, JSAMPROW* rows, bool* created) {
  info->err = errors->Install();
  if (setjmp(errors->jump)) return false;
  jpeg_create_compress(info);
  *created = true;
  jpeg_stdio_dest(info, file);
  info->image_width = static_cast<JDIMENSION>(bitmap->width);
  info->image_height = static_cast<JDIMENSION>(bitmap->height);
  info->input_components = 3;
  info->in_color_space = JCS_RGB;
  jpeg_set_defaults(info);
  jpeg_set_quality(info, quality, TRUE);
  info->dct_method = JDCT_ISLOW;
  info->density_unit = 1;  // dots per inch
  info->X_density = kDotsPerInch;
  info->Y_density = kDotsPerInch;
  if (quality >= 100) {
    for (int c = 0; c < info->num_components; ++c) {
      info->comp_info[c].h_samp_factor = 1;
      info->comp_info[c].v_samp_factor = 1;
    }
  }
  jpeg_start_compress(info, TRUE);
  while (info->next_scanline < info->image_height) {
    const JDIMENSION left = info->image_height - info->next_scanline;
    jpeg_write_scanlines(info, rows + info->next_scanline, left);
  }
  jpeg_finish_compress(info);
  return true;
}

}  // namespace

Status WriteJpegFile(const Bitmap& picture, const std::string& path, int quality) {
  // JPEG holds no alpha: a picture with it is composited over white, as on paper.
  Bitmap opaque;
  const Bitmap& bitmap = OpaqueOverWhite(picture, &opaque);
  const auto refuse = [&](const std::string& why) {
    return Status::Failure("Cannot write the JPEG image \"" + path + "\": " + why + ".");
  };
  if (!bitmap.IsConsistent()) return refuse("the picture holds no pixels");
  if (bitmap.width > kLargestJpegSide || bitmap.height > kLargestJpegSide)
    return refuse("a JPEG image can be at most 65500 pixels wide and high, this one is " +
                  std::to_string(bitmap.width) + " x " + std::to_string(bitmap.height));
  if (quality < 0 || quality > 100)
    return refuse("the quality must be from 0 to 100, not " + std::to_string(quality));

  std::vector<JSAMPROW> rows(static_cast<std::size_t>(bitmap.height));
  for (int y = 0; y < bitmap.height; ++y)
    rows[y] = const_cast<JSAMPLE*>(bitmap.Row(y));  // libjpeg only reads them

  AtomicFile file;
  if (Status opened = file.Open(path); !opened.Ok()) return opened;
  jpeg_compress_struct info{};
  JpegErrorHandler errors;
  bool created = false;
  const bool encoded = Encode(&info, &errors, file.Stream(), &bitmap, quality, rows.data(), &created);
  if (created) jpeg_destroy_compress(&info);
  if (!encoded) {
    // A failed write shows as libjpeg's "Output file write error"; the
    // errno of that moment says why.
    file.Fail(errors.message, errors.systemError);
    return file.Failure();
  }
  return file.Commit();
}

Status ReadJpegFile(const std::string& path, Bitmap* bitmap) {
  JpegRowReader reader;
  Status status = reader.Open(path);
  if (!status.Ok()) return status;
  struct stat info {};
  const std::uint64_t decoded = std::uint64_t{static_cast<unsigned>(reader.Width())} *
                                static_cast<unsigned>(reader.Height()) * 3;
  if (::stat(path.c_str(), &info) != 0 ||
      !DecodedSizeFits(decoded, static_cast<std::uint64_t>(info.st_size)))
    return Status::Failure("Cannot read the JPEG image \"" + path + "\": its header claims " +
                           std::to_string(reader.Width()) + " x " + std::to_string(reader.Height()) +
                           " pixels, more than the file can hold.");
  Bitmap result;
  try {
    result = Bitmap(reader.Width(), reader.Height());
  } catch (const std::bad_alloc&) {
    return Status::Failure("Cannot read the JPEG image \"" + path +
                           "\": not enough memory for its pixels.");
  }
  for (int y = 0; status.Ok() && y < result.height; ++y) status = reader.ReadRow(result.Row(y));
  if (!status.Ok()) return status;
  *bitmap = std::move(result);
  return {};
}

}  // namespace qm
