#pragma once
// What the render worker is asked to draw for each slide of an open deck: one
// value from the session that sets it to the renderer that acts on it.

#include <cstdint>

#include "engine/protocol/WireMessage.h"

namespace qm {

/// How a slide is drawn. The exporters set it once per deck; it crosses the
/// process boundary as it is, with one encoder and one checked decoder.
struct DrawRequest {
  /// The picture size in pixels: 0 x 0 is the slide size at 96 dpi, one 0
  /// keeps the slide's aspect from the other. A negative size is not
  /// refused here: the renderer refuses it in words.
  int width = 0;
  int height = 0;
  /// Leave the slide's background out: the picture then carries alpha, and
  /// what only the background covered is transparent.
  bool transparent = false;
  /// The slide's click state to draw: -1, the whole slide as its export
  /// shows it; k >= 0, the slide as the slide show shows it after k clicks
  /// of its animations (0: before the first).
  int step = -1;

  /// Appends the request's fields to `message`.
  void PutTo(WireMessage& message) const;
  /// Reads a request put by PutTo; false when it is cut short or names a
  /// drawing flag this build does not know (never throws).
  static bool GetFrom(WireMessage& message, DrawRequest* request);

  bool operator==(const DrawRequest&) const = default;
};

}  // namespace qm
