#pragma once
// The layers of one slide as the slide renderer drew them, each kept apart,
// so that every click state of the slide is laid together from one drawing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/worker/ClickSteps.h"

namespace qm {

/// Layers of premultiplied 4-byte pixels, all of one size, in drawing order.
/// A layer of an animated shape is kept on its own with the shape's hash and
/// its visibility when the slide starts; the layers between them, which no
/// animation touches, are laid into one. Any state is then the visible
/// layers laid over each other ("over", premultiplied), bottom to top.
class SlideLayers {
 public:
  /// Most bytes of layers held for one slide: 48 layers of 1920 x 1080.
  static constexpr std::size_t kMaxBytes = std::size_t{400} << 20;

  /// Forgets what it holds and starts the layers of slide `index` at
  /// `width` x `height` (`transparent`: without its background).
  void Start(int index, int width, int height, bool transparent);
  /// True when it holds the finished layers of slide `index` drawn so.
  bool Holds(int index, int width, int height, bool transparent) const;
  /// A transparent buffer for the next layer to be drawn into, valid until
  /// the next call; nullptr once kMaxBytes would be passed.
  std::uint8_t* Next();
  /// Keeps the layer drawn into Next()'s buffer: `shape` is the hash of the
  /// animated shape it shows ("" for a layer no animation touches),
  /// `initVisible` whether the shape shows when the slide starts.
  void Keep(const std::string& shape, bool initVisible);
  /// Marks the layers complete.
  void Finish() { finished_ = true; }
  /// Forgets everything.
  void Clear();

  /// Lays the layers that show in state `step` of `steps` into `*out`
  /// (resized to the layers' size, transparent where none covers).
  void Compose(const ClickSteps& steps, int step, std::vector<std::uint8_t>* out) const;

  int Count() const { return static_cast<int>(layers_.size()); }

  /// True when a layer of its own shows shape `hash`.
  bool Shows(const std::string& hash) const;

 private:
  struct Layer {
    std::string shape;
    bool initVisible = true;
    std::vector<std::uint8_t> pixels;
  };
  int index_ = -1;
  int width_ = 0;
  int height_ = 0;
  bool transparent_ = false;
  bool finished_ = false;
  std::vector<Layer> layers_;
  std::vector<std::uint8_t> next_;
};

/// Lays premultiplied `top` over `bottom` in place: bottom = top +
/// bottom * (255 - top's alpha) / 255, per byte, rounded.
void LayPremultipliedOver(const std::uint8_t* top, std::uint8_t* bottom, std::size_t pixels);

}  // namespace qm
