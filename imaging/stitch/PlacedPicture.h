#pragma once
// One picture file and where it lies on a joined canvas.

#include <string>

namespace qm {

/// A JPEG file placed with its top-left corner at (x, y) on a canvas; its
/// width and height are the file's own, as read from its header.
struct PlacedPicture {
  std::string path;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

}  // namespace qm
