#include "imaging/codecs/JpegRowReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "imaging/codecs/JpegErrorHandler.h"

namespace qm {

/// libjpeg's state for one open file; it lives at a fixed address because
/// libjpeg keeps pointers into it. Destroying it frees libjpeg's state and
/// closes the file (neither can fail).
struct JpegRowReader::Decoder {
  jpeg_decompress_struct info{};
  JpegErrorHandler errors;
  std::FILE* file = nullptr;
  bool created = false;
  bool started = false;

  Decoder() = default;
  Decoder(const Decoder&) = delete;
  Decoder& operator=(const Decoder&) = delete;
  ~Decoder() {
    if (created) jpeg_destroy_decompress(&info);
    if (file) std::fclose(file);
  }
};

namespace {

// The guarded steps below hold only plain data, so the jump back from an
// error skips no destructor.

bool StartDecoding(jpeg_decompress_struct* info, JpegErrorHandler* errors, std::FILE* file,
                   bool* created) {
  info->err = errors->Install();
  if (setjmp(errors->jump)) return false;
  jpeg_create_decompress(info);
  *created = true;
  jpeg_stdio_src(info, file);
  jpeg_read_header(info, TRUE);
  info->out_color_space = JCS_RGB;
  info->dct_method = JDCT_ISLOW;
  jpeg_calc_output_dimensions(info);
  return true;
}

void StartOnce(jpeg_decompress_struct* info, bool* started) {
  // Decoding buffers are made only now, so many readers may stand open
  // at once while only a few are being read. Called under a setjmp.
  if (!*started) {
    jpeg_start_decompress(info);
    *started = true;
  }
}

bool SkipScanlines(jpeg_decompress_struct* info, JpegErrorHandler* errors, bool* started,
                   int count) {
  if (setjmp(errors->jump)) return false;
  StartOnce(info, started);
  return jpeg_skip_scanlines(info, static_cast<JDIMENSION>(count)) ==
         static_cast<JDIMENSION>(count);
}

bool DecodeRow(jpeg_decompress_struct* info, JpegErrorHandler* errors, bool* started,
               std::uint8_t* rgb) {
  if (setjmp(errors->jump)) return false;
  StartOnce(info, started);
  JSAMPROW row = rgb;
  while (jpeg_read_scanlines(info, &row, 1) != 1) {
    // A stdio source never suspends; no progress means the data ran out.
    if (info->output_scanline >= info->output_height) return false;
  }
  return true;
}

}  // namespace

JpegRowReader::JpegRowReader() = default;

JpegRowReader::~JpegRowReader() { Close(); }

Status JpegRowReader::Open(const std::string& path) {
  Close();
  path_ = path;
  failure_ = Status();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    const int error = errno;
    return Fail(std::string("cannot open the file (") + std::strerror(error) + ")", error);
  }
  decoder_ = std::make_unique<Decoder>();
  decoder_->file = file;
  if (!StartDecoding(&decoder_->info, &decoder_->errors, file, &decoder_->created))
    return Fail(decoder_->errors.message);
  if (decoder_->info.output_components != 3)
    return Fail("its colours cannot be shown as RGB");
  width_ = static_cast<int>(decoder_->info.output_width);
  height_ = static_cast<int>(decoder_->info.output_height);
  return {};
}

Status JpegRowReader::ReadRow(std::uint8_t* rgb) {
  if (!decoder_) return Fail("no JPEG file is open");
  if (rowsRead_ >= height_)
    return Fail("all " + std::to_string(height_) + " rows have been read already");
  if (!rgb) return Fail("no room was given for the row");
  if (!DecodeRow(&decoder_->info, &decoder_->errors, &decoder_->started, rgb)) {
    const std::string why = decoder_->errors.message[0] ? decoder_->errors.message
                                                         : "the image data ends early";
    return Fail(why);
  }
  ++rowsRead_;
  return {};
}

Status JpegRowReader::SkipRows(int count) {
  if (!decoder_) return Fail("no JPEG file is open");
  if (count < 0 || count > height_ - rowsRead_)
    return Fail("cannot pass over " + std::to_string(count) + " rows when " +
                std::to_string(height_ - rowsRead_) + " are left");
  if (count == 0) return {};
  if (!SkipScanlines(&decoder_->info, &decoder_->errors, &decoder_->started, count)) {
    const std::string why = decoder_->errors.message[0] ? decoder_->errors.message
                                                         : "the image data ends early";
    return Fail(why);
  }
  rowsRead_ += count;
  return {};
}

void JpegRowReader::Close() {
  decoder_.reset();
  width_ = 0;
  height_ = 0;
  rowsRead_ = 0;
}

Status JpegRowReader::Fail(const std::string& why, int systemError) {
  // Keep the first reason: later calls on a failed reader repeat it.
  if (failure_.Ok())
    failure_ = Status::Failure("Cannot read the JPEG image \"" + path_ + "\": " + why + ".", systemError);
  Close();
  return failure_;
}

}  // namespace qm
