#pragma once
// Where things stand on marks.pptx, the deck of what the editing view marks
// and the audience never sees (decks.json, "marks").

#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/SlideRegion.h"

namespace qm::test {

/// Slide 1: an empty title and an empty body placeholder. Slide 2: a bar
/// touching each edge ("top", "bottom", "left", "right") in the middle of
/// that edge, each in a colour of its own. Slide 3 (a dark background): a
/// text box with a short line of text in its middle. Slide 4 (a light
/// background): thin lines across the middle half of the slide, off the
/// pixel grid. Every slide's background is the deck's colour for it.
struct MarksDeckLayout {
  SlideRegion titlePlaceholder;
  SlideRegion bodyPlaceholder;
  std::map<std::string, SlideRegion> edgeBars;
  std::map<std::string, std::array<int, 3>> edgeColours;
  SlideRegion textBox;
  /// Height of each thin line as a fraction of the slide, and its width in
  /// EMU (0 is a hairline).
  std::vector<std::pair<double, int>> thinLines;
  std::array<int, 3> thinLineColour{};
};

}  // namespace qm::test
