#pragma once
// The slide size stored in an Office Open XML presentation, read and
// rewritten in place.

#include <optional>
#include <string>

#include "engine/worker/SlideSizeFit.h"

namespace qm {

/// The `<p:sldSz cx=".." cy=".."/>` element of `ppt/presentation.xml` in the
/// zip of a .pptx (.pptm, .ppsx, .potx...). Only the worker's own copy of a
/// deck is ever rewritten, never a person's file.
///
/// Reading is bounded: a presentation part larger than 16 MiB, a zip that
/// libzip cannot open, a part without one well-formed size: nullopt, and the
/// deck is opened as it is. Never throws.
class PresentationSizePart {
 public:
  /// The stored slide size of the presentation at `path`, or nullopt.
  static std::optional<PresentationSizePart> Read(const std::string& path);

  const SlideSizeFit& Size() const { return size_; }

  /// Writes `size` as the slide size of the presentation at `path` (the file
  /// this part was read from), replacing the part and leaving every other
  /// entry as it was. libzip writes a new archive beside the file and
  /// renames it over, so a failure leaves the file unchanged. False, with a
  /// sentence in `*error`, on failure.
  bool Write(const std::string& path, const SlideSizeFit& size, std::string* error) const;

 private:
  std::string xml_;           ///< the whole part, as read
  std::size_t cxAt_ = 0;      ///< where the width's digits start in xml_
  std::size_t cxLength_ = 0;  ///< how many digits it has
  std::size_t cyAt_ = 0;
  std::size_t cyLength_ = 0;
  SlideSizeFit size_;
};

}  // namespace qm
