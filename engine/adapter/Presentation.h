#pragma once

#include <utility>

#include "engine/adapter/Slides.h"
#include "engine/protocol/DeckFacts.h"
#include "engine/protocol/DrawRequest.h"

namespace qm {

/// An open presentation. Dropping the last reference releases it; it keeps
/// alive whatever session it needs, so it may outlive its Application object.
class Presentation {
 public:
  virtual ~Presentation() = default;

  /// The presentation's slides. Throws qm::Error once the presentation is closed.
  virtual Slides& GetSlides() = 0;

  /// Closes without saving and without a question. Throws qm::Error on failure.
  virtual void Close() = 0;

  /// The slide size in points (1/72 inch), as the page set-up gives it.
  virtual std::pair<double, double> SlideSizePoints() = 0;

  /// Makes the next exports of its slides draw as `drawing` says beyond the
  /// size each export names (whether the background is left out). Throws
  /// qm::Error once the presentation is closed.
  virtual void UseDrawing(const DrawRequest& drawing) = 0;
  /// What the presentation holds beyond its pictures, as read when it was
  /// opened: the fonts it was drawn without, each slide's title, notes and
  /// click count. A presentation that cannot tell has none of them.
  virtual DeckFacts Facts() { return {}; }
  /// True when the click states of slide `number` (1-based) can be drawn at
  /// `width` x `height` pixels (0: as Slide::Export takes them) as the
  /// drawing asks (with what the states leave out in `*why`, "" for
  /// nothing); false with the reason, a phrase, in `*why`. Throws
  /// qm::Error once the presentation is closed.
  virtual bool PrepareClickStates(int number, int width, int height, std::string* why) {
    (void)number;
    (void)width;
    (void)height;
    *why = "this presentation draws no click states";
    return false;
  }
};

}  // namespace qm
