#pragma once

#include <cstdint>
#include <memory>

#include "engine/adapter/Slide.h"

namespace qm {

/// The slides of an open presentation.
class Slides {
 public:
  virtual ~Slides() = default;

  /// Number of slides, hidden slides included. Throws qm::Error on failure.
  virtual std::int32_t Count() = 0;

  /// The slide at 1-based `index`. Throws qm::Error outside 1..Count()
  /// (0 and negatives included).
  virtual std::shared_ptr<Slide> Item(std::int16_t index) = 0;
};

}  // namespace qm
