#include "imaging/codecs/PngFile.h"

#include <spng.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "imaging/codecs/AtomicFile.h"
#include "imaging/codecs/PngEncoder.h"
#include "imaging/codecs/PngStreamWriter.h"

namespace qm {

namespace {

/// Largest decoded image ReadPngFile agrees to hold (4 GiB of pixels).
constexpr std::size_t kLargestDecodedBytes = std::size_t{1} << 32;

bool Refuse(const std::string& path, const std::string& why, std::string* error) {
  if (error) *error = "Cannot read the PNG image \"" + path + "\": " + why + ".";
  return false;
}

}  // namespace

bool WritePngFile(const Bitmap& bitmap, const std::string& path, std::string* error,
                  int* systemError, const PngSettings& settings) {
  if (systemError) *systemError = 0;
  if (bitmap.Empty() || bitmap.pixels.size() != bitmap.RowBytes() * bitmap.height) {
    if (error) *error = "Cannot write \"" + path + "\": the picture holds no pixels.";
    return false;
  }
  const PngSettings chosen = settings.ForPicture(bitmap.pixels.data(), bitmap.width, bitmap.height);
  if (chosen.UsesOneCheapFilter()) {
    // The fast path: the whole picture compressed in one call.
    std::vector<std::uint8_t> png;
    std::string why;
    if (!EncodePng(bitmap, chosen, &png, &why)) {
      if (error) *error = "Cannot write \"" + path + "\": " + why + ".";
      return false;
    }
    AtomicFile file;
    const bool ok = file.Open(path) && file.Write(png.data(), png.size()) && file.Commit();
    if (!ok) {
      if (error) *error = file.Message();
      if (systemError) *systemError = file.SystemError();
    }
    return ok;
  }
  PngStreamWriter writer;
  bool ok = writer.Open(path, bitmap.width, bitmap.height, chosen);
  for (int y = 0; ok && y < bitmap.height; ++y) ok = writer.WriteRow(bitmap.Row(y));
  ok = ok && writer.Finish();
  if (!ok) {
    if (error) *error = writer.Message();
    if (systemError) *systemError = writer.SystemError();
  }
  return ok;
}

bool ReadPngFile(const std::string& path, Bitmap* bitmap, std::string* error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Refuse(path, std::string("cannot open the file (") + std::strerror(errno) + ")", error);
  spng_ctx* ctx = spng_ctx_new(0);
  if (!ctx) {
    std::fclose(file);
    return Refuse(path, "out of memory while starting the PNG decoder", error);
  }

  std::string why;
  Bitmap result;
  spng_ihdr ihdr{};
  std::size_t bytes = 0;
  int code = spng_set_png_file(ctx, file);
  if (!code) code = spng_get_ihdr(ctx, &ihdr);
  if (!code) code = spng_decoded_image_size(ctx, SPNG_FMT_RGB8, &bytes);
  if (code) {
    why = spng_strerror(code);
  } else if (bytes > kLargestDecodedBytes) {
    why = "the image is too large to read at once";
  } else {
    try {
      result = Bitmap(static_cast<int>(ihdr.width), static_cast<int>(ihdr.height));
    } catch (const std::bad_alloc&) {
      why = "not enough memory for its pixels";
    }
    if (why.empty() && result.pixels.size() != bytes) why = "its size is inconsistent";
    if (why.empty()) {
      code = spng_decode_image(ctx, result.pixels.data(), bytes, SPNG_FMT_RGB8, 0);
      // Read on to the end, so damage after the last row (the image data's
      // checksums) is caught too.
      if (!code) code = spng_decode_chunks(ctx);
      if (code) why = spng_strerror(code);
    }
  }
  spng_ctx_free(ctx);
  std::fclose(file);
  if (!why.empty()) return Refuse(path, why, error);
  *bitmap = std::move(result);
  return true;
}

}  // namespace qm
