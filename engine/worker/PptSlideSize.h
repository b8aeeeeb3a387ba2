#pragma once
// The slide size stored in a binary PowerPoint deck (.ppt), read and
// rewritten in the worker's own copy.

#include <cstddef>
#include <optional>
#include <string>

namespace qm {

/// The slide size of a .ppt: the first field of the DocumentAtom, in master
/// units (576 to the inch), in the "PowerPoint Document" stream of the
/// compound file. Found as PowerPoint finds it: the "Current User" stream
/// names the last edit, whose persist directory (or an earlier edit's) gives
/// the document container, whose first record is the DocumentAtom.
///
/// LibreOffice reads the size in steps of about two master units, so a
/// slide the renderer draws a row short at its default size is drawn
/// exactly once its height is two master units more, and measured
/// pixel-identical to the export of the deck as stored (the width, which
/// sets the picture's scale, is never changed).
///
/// Reading is bounded: a stream over 64 MiB, a file that is no compound
/// file, records that do not chain as described: nullopt, and the deck is
/// drawn as stored. Only the worker's own copy is rewritten. Never throws.
class PptSlideSize {
 public:
  /// Master units to the inch.
  static constexpr int kUnitsPerInch = 576;
  /// How much taller a nudged copy is: LibreOffice's first step.
  static constexpr int kNudgeUnits = 2;

  /// The stored slide size of the .ppt at `path`, or nullopt.
  static std::optional<PptSlideSize> Read(const std::string& path);

  int WidthUnits() const { return width_; }
  int HeightUnits() const { return height_; }

  /// Writes `heightUnits` as the slide height of the deck at `path` (the
  /// file this size was read from): the compound file is written anew
  /// beside it by libgsf, every storage and stream copied as it was but the
  /// one field, and renamed over the file, so a failure leaves it as it was.
  /// False, with a sentence in `*error`, on failure.
  bool Write(const std::string& path, int heightUnits, std::string* error) const;

 private:
  std::string stream_;          ///< the whole "PowerPoint Document" stream
  std::size_t sizeAt_ = 0;      ///< where the slide size starts in stream_
  int width_ = 0;
  int height_ = 0;
};

}  // namespace qm
