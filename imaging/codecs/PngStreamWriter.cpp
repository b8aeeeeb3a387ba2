#include "imaging/codecs/PngStreamWriter.h"

#include <spng.h>

#include "imaging/Bitmap.h"

#include <cstdint>
#include <limits>

namespace qm {

static_assert(PngSettings::kFilterNone == SPNG_FILTER_CHOICE_NONE);
static_assert(PngSettings::kFilterSub == SPNG_FILTER_CHOICE_SUB);
static_assert(PngSettings::kFilterUp == SPNG_FILTER_CHOICE_UP);
static_assert(PngSettings::kFilterAverage == SPNG_FILTER_CHOICE_AVG);
static_assert(PngSettings::kFilterPaeth == SPNG_FILTER_CHOICE_PAETH);

namespace {

constexpr std::int64_t kLargestPngSide = std::numeric_limits<std::int32_t>::max();

}  // namespace

PngStreamWriter::PngStreamWriter() = default;

PngStreamWriter::~PngStreamWriter() { Abandon(); }

int PngStreamWriter::WriteToFile(spng_ctx*, void* user, void* data, std::size_t length) {
  auto* self = static_cast<PngStreamWriter*>(user);
  return self->file_.Write(data, length).Ok() ? 0 : SPNG_IO_ERROR;
}

void PngStreamWriter::EncoderFree::operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }

Status PngStreamWriter::Open(const std::string& path, int width, int height,
                             const PngSettings& settings, int channels) {
  Abandon();
  channels_ = channels == 4 ? 4 : 3;
  path_ = path;
  width_ = width;
  height_ = height;
  rowsWritten_ = 0;
  failure_ = Status();
  if (width <= 0 || height <= 0 || width > kLargestPngSide || height > kLargestPngSide)
    return Fail("a PNG image must be between 1 and 2147483647 pixels wide and high, not " +
                std::to_string(width) + " x " + std::to_string(height));
  if (const Status opened = file_.Open(path); !opened.Ok())
    return Fail(opened.Message(), opened.SystemError());

  ctx_.reset(spng_ctx_new(SPNG_CTX_ENCODER));
  if (!ctx_) return Fail("out of memory while starting the PNG encoder");
  spng_ihdr ihdr{};
  ihdr.width = static_cast<std::uint32_t>(width);
  ihdr.height = static_cast<std::uint32_t>(height);
  ihdr.bit_depth = 8;
  ihdr.color_type = channels_ == 4 ? SPNG_COLOR_TYPE_TRUECOLOR_ALPHA : SPNG_COLOR_TYPE_TRUECOLOR;
  spng_phys phys{kPixelsPerMetreAt96Dpi, kPixelsPerMetreAt96Dpi, 1};
  int code = spng_set_png_stream(ctx_.get(), &PngStreamWriter::WriteToFile, this);
  if (!code) code = spng_set_option(ctx_.get(), SPNG_IMG_COMPRESSION_LEVEL, settings.compressionLevel);
  if (!code) code = spng_set_option(ctx_.get(), SPNG_IMG_COMPRESSION_STRATEGY, settings.strategy);
  if (!code) code = spng_set_option(ctx_.get(), SPNG_IMG_MEM_LEVEL, settings.memoryLevel);
  if (!code) code = spng_set_option(ctx_.get(), SPNG_FILTER_CHOICE, settings.filters);
  if (!code) code = spng_set_ihdr(ctx_.get(), &ihdr);
  if (!code) code = spng_set_phys(ctx_.get(), &phys);
  if (!code)
    code = spng_encode_image(ctx_.get(), nullptr, 0, SPNG_FMT_PNG,
                             SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
  if (code) return FailFromLibrary("the PNG encoder cannot start", code);
  return {};
}

Status PngStreamWriter::WriteRow(const std::uint8_t* rgb) {
  if (!failure_.Ok() || !ctx_) return Fail("no PNG file is open for writing");
  if (rowsWritten_ >= height_)
    return Fail("more rows were given than the " + std::to_string(height_) + " the image has");
  if (!rgb) return Fail("a row without pixels was given");
  const std::size_t bytes = static_cast<std::size_t>(width_) * static_cast<std::size_t>(channels_);
  // libspng takes a non-const row but only reads it.
  const int code = spng_encode_row(ctx_.get(), const_cast<std::uint8_t*>(rgb), bytes);
  ++rowsWritten_;
  const bool last = rowsWritten_ == height_;
  if (code == SPNG_EOI && last) return {};
  if (code != 0 || last) return FailFromLibrary("the PNG encoder failed", code);
  return {};
}

Status PngStreamWriter::Finish() {
  if (!failure_.Ok() || !ctx_) return Fail("no PNG file is open for writing");
  if (rowsWritten_ != height_)
    return Fail("only " + std::to_string(rowsWritten_) + " of " + std::to_string(height_) +
                " rows were written");
  ctx_.reset();
  if (const Status committed = file_.Commit(); !committed.Ok())
    return Fail(committed.Message(), committed.SystemError());
  return {};
}

void PngStreamWriter::Abandon() {
  ctx_.reset();
  file_.Abandon();
}

Status PngStreamWriter::Fail(const std::string& what, int systemError) {
  if (failure_.Ok()) {
    // The file's own messages already name it.
    failure_ = Status::Failure(what.rfind("Cannot write", 0) == 0
                                   ? what
                                   : "Cannot write the PNG image \"" + path_ + "\": " + what + ".",
                               systemError);
  }
  Abandon();
  return failure_;
}

Status PngStreamWriter::FailFromLibrary(const std::string& what, int code) {
  // A failed write of the output reports the file system's reason.
  if (code == SPNG_IO_ERROR && !file_.Failure().Ok())
    return Fail(file_.Failure().Message(), file_.Failure().SystemError());
  return Fail(what + " (" + spng_strerror(code) + ")");
}

}  // namespace qm
