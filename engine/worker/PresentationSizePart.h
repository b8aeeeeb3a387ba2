#pragma once
// The slide size stored in a presentation's package (Office Open XML or
// OpenDocument), read and rewritten in place.

#include <optional>
#include <string>

#include "engine/worker/SlideSizeFit.h"

namespace qm {

/// The `<p:sldSz cx=".." cy=".."/>` element of `ppt/presentation.xml` in the
/// zip of a .pptx (.pptm, .ppsx, .potx...), or, in an OpenDocument
/// presentation (.odp), the `fo:page-width` and `fo:page-height` of the page
/// layout that its master pages use, in `styles.xml`. Only the worker's own
/// copy of a deck is ever rewritten, never a person's file.
///
/// Reading is bounded: a part larger than 16 MiB, a zip that libzip cannot
/// open, a part without one well-formed size (master pages of different
/// layouts, a length in a unit other than cm, mm, in or pt): nullopt, and
/// the deck is opened as it is. Never throws.
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
  /// Reads the OpenDocument page size from `part_`/`xml_`; false when it
  /// has none this class can rewrite.
  bool ReadPageLayout();

  std::string part_;          ///< the entry's name in the zip
  std::string xml_;           ///< the whole part, as read
  bool lengths_ = false;      ///< the values are OpenDocument lengths ("33.867cm"), not EMU
  std::size_t cxAt_ = 0;      ///< where the width's value starts in xml_
  std::size_t cxLength_ = 0;  ///< how long it is
  std::size_t cyAt_ = 0;
  std::size_t cyLength_ = 0;
  SlideSizeFit size_;
};

}  // namespace qm
