#pragma once
// The image object of the GDI+-style interface.

#include <string>
#include <utility>

#include "imaging/Bitmap.h"

namespace qm {

/// An image made by GdipCreateBitmapFromHBITMAP: it owns its own copy of the
/// pixels, so the bitmap it came from may change or go away. Callers hold it
/// only through pointers and give it back with GdipDisposeImage.
class GpImage {
 public:
  explicit GpImage(Bitmap pixels) : pixels_(std::move(pixels)) {}

  const Bitmap& Pixels() const { return pixels_; }

  /// What the codec said when the image's last save failed (which file, the
  /// system's reason); empty after a success. GDI+'s statuses carry no words.
  const std::string& SaveFailure() const { return saveFailure_; }
  void NoteSaveFailure(std::string failure) { saveFailure_ = std::move(failure); }

 private:
  Bitmap pixels_;
  std::string saveFailure_;
};

/// GDI+ calls a bitmap image GpBitmap; every image here is a bitmap.
using GpBitmap = GpImage;

}  // namespace qm
