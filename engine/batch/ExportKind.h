#pragma once
// Which exporter a file goes to.

#include <cstdint>

namespace qm {

/// The exporter a save mode calls for each file. The numbers travel to jobs.
enum class ExportKind : std::uint8_t {
  kNone = 0,       ///< a mode text that matches no mode: the file is left untouched
  kEachSlide = 1,  ///< every slide as its own image
  kAllSlides = 2,  ///< all slides joined into one image
  kOneSlide = 3,   ///< one slide (first, second or X)
};

}  // namespace qm
