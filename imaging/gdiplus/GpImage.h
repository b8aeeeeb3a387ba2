#pragma once
// The image object of the GDI+-style interface.

#include "imaging/Bitmap.h"

namespace qm {

/// An image made by GdipCreateBitmapFromHBITMAP: it owns its own copy of the
/// pixels, so the bitmap it came from may change or go away. Callers hold it
/// only through pointers and give it back with GdipDisposeImage.
class GpImage {
 public:
  explicit GpImage(Bitmap pixels) : pixels_(std::move(pixels)) {}

  const Bitmap& Pixels() const { return pixels_; }

 private:
  Bitmap pixels_;
};

/// GDI+ calls a bitmap image GpBitmap; every image here is a bitmap.
using GpBitmap = GpImage;

}  // namespace qm
