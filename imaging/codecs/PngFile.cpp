#include "imaging/codecs/PngFile.h"

#include <sys/stat.h>

#include <spng.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "imaging/codecs/AtomicFile.h"
#include "imaging/codecs/DecodedSize.h"
#include "imaging/codecs/PngEncoder.h"
#include "imaging/codecs/PngStreamWriter.h"

namespace qm {

namespace {

/// Largest decoded image ReadPngFile agrees to hold (4 GiB of pixels).
constexpr std::size_t kLargestDecodedBytes = std::size_t{1} << 32;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
struct DecoderFree {
  void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

Status Refuse(const std::string& path, const std::string& why, int systemError = 0) {
  return Status::Failure("Cannot read the PNG image \"" + path + "\": " + why + ".", systemError);
}

}  // namespace

Status WritePngFile(const Bitmap& bitmap, const std::string& path, const PngSettings& settings) {
  if (!bitmap.IsConsistent())
    return Status::Failure("Cannot write \"" + path + "\": the picture holds no pixels.");
  const PngSettings chosen = settings.ForPicture(bitmap.pixels.data(), bitmap.width, bitmap.height, bitmap.channels);
  if (chosen.UsesOneCheapFilter()) {
    // The fast path: the whole picture compressed in one call.
    std::vector<std::uint8_t> png;
    const Status encoded = EncodePng(bitmap, chosen, &png);
    if (!encoded.Ok())
      return Status::Failure("Cannot write \"" + path + "\": " + encoded.Message() + ".");
    return AtomicFile::WriteWhole(path, png.data(), png.size());
  }
  PngStreamWriter writer;
  Status status = writer.Open(path, bitmap.width, bitmap.height, chosen, bitmap.channels);
  for (int y = 0; status.Ok() && y < bitmap.height; ++y) status = writer.WriteRow(bitmap.Row(y));
  if (status.Ok()) status = writer.Finish();
  return status;
}

Status ReadPngFile(const std::string& path, Bitmap* bitmap) {
  const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    const int error = errno;
    return Refuse(path, std::string("cannot open the file (") + std::strerror(error) + ")", error);
  }
  const std::unique_ptr<spng_ctx, DecoderFree> ctx(spng_ctx_new(0));
  if (!ctx) return Refuse(path, "out of memory while starting the PNG decoder");

  Bitmap result;
  spng_ihdr ihdr{};
  std::size_t bytes = 0;
  int code = spng_set_png_file(ctx.get(), file.get());
  if (!code) code = spng_get_ihdr(ctx.get(), &ihdr);
  if (!code) code = spng_decoded_image_size(ctx.get(), SPNG_FMT_RGB8, &bytes);
  if (code) return Refuse(path, spng_strerror(code));
  if (bytes > kLargestDecodedBytes) return Refuse(path, "the image is too large to read at once");
  struct stat info {};
  if (::fstat(::fileno(file.get()), &info) != 0 ||
      !DecodedSizeFits(bytes, static_cast<std::uint64_t>(info.st_size)))
    return Refuse(path, "its header claims " + std::to_string(ihdr.width) + " x " +
                            std::to_string(ihdr.height) + " pixels, more than the file can hold");
  try {
    result = Bitmap(static_cast<int>(ihdr.width), static_cast<int>(ihdr.height));
  } catch (const std::bad_alloc&) {
    return Refuse(path, "not enough memory for its pixels");
  }
  if (result.pixels.size() != bytes) return Refuse(path, "its size is inconsistent");
  code = spng_decode_image(ctx.get(), result.pixels.data(), bytes, SPNG_FMT_RGB8, 0);
  // Read on to the end, so damage after the last row (the image data's
  // checksums) is caught too.
  if (!code) code = spng_decode_chunks(ctx.get());
  if (code) return Refuse(path, spng_strerror(code));
  *bitmap = std::move(result);
  return {};
}

}  // namespace qm
