#pragma once
// A rectangle on a slide, in fractions of the slide's width and height.

namespace qm::test {

/// Left and top are the first covered fraction, right and bottom the first
/// fraction past the rectangle; (0, 0, 1, 1) is the whole slide.
struct SlideRegion {
  double left = 0;
  double top = 0;
  double right = 0;
  double bottom = 0;
};

}  // namespace qm::test
