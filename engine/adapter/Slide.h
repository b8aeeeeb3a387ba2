#pragma once

#include <string>

namespace qm {

/// One slide of an open presentation.
class Slide {
 public:
  virtual ~Slide() = default;

  /// Exports the slide to `fileName`. With filter "BMP" and scale 0 x 0 the
  /// file is a Windows bitmap (24- or 32-bit) at the default export size: the slide
  /// size at 96 pixels per inch, rounded to whole pixels. Throws qm::Error
  /// (naming the file and what went wrong) on failure.
  virtual void Export(const std::string& fileName, const std::string& filterName,
                      int scaleWidth, int scaleHeight) = 0;

  /// True when the slide show leaves the slide out (a hidden slide). Throws
  /// qm::Error when that cannot be read.
  virtual bool Hidden() = 0;
};

}  // namespace qm
