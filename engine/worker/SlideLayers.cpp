#include "engine/worker/SlideLayers.h"

#include <algorithm>

namespace qm {

void LayPremultipliedOver(const std::uint8_t* top, std::uint8_t* bottom, std::size_t pixels) {
  for (std::size_t i = 0; i < pixels; ++i, top += 4, bottom += 4) {
    const unsigned alpha = top[3];
    if (alpha == 0) continue;
    if (alpha == 255) {
      std::copy(top, top + 4, bottom);
      continue;
    }
    const unsigned keep = 255 - alpha;
    for (int c = 0; c < 4; ++c)
      bottom[c] = static_cast<std::uint8_t>(
          std::min(255u, top[c] + (bottom[c] * keep + 127) / 255));
  }
}

void SlideLayers::Clear() {
  index_ = -1;
  finished_ = false;
  layers_.clear();
  next_.clear();
}

void SlideLayers::Start(int index, int width, int height, bool transparent) {
  Clear();
  index_ = index;
  width_ = width;
  height_ = height;
  transparent_ = transparent;
}

bool SlideLayers::Holds(int index, int width, int height, bool transparent) const {
  return finished_ && index == index_ && width == width_ && height == height_ &&
         transparent == transparent_;
}

std::uint8_t* SlideLayers::Next() {
  const std::size_t bytes = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) * 4;
  if ((layers_.size() + 1) * bytes > kMaxBytes) return nullptr;
  next_.assign(bytes, 0);
  return next_.data();
}

void SlideLayers::Keep(const std::string& shape, bool initVisible) {
  const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  if (shape.empty() && !layers_.empty() && layers_.back().shape.empty()) {
    // Nothing animates between them: one layer serves.
    LayPremultipliedOver(next_.data(), layers_.back().pixels.data(), pixels);
    return;
  }
  layers_.push_back({shape, initVisible, std::move(next_)});
  next_.clear();
}

bool SlideLayers::Shows(const std::string& hash) const {
  return std::any_of(layers_.begin(), layers_.end(), [&](const Layer& layer) { return layer.shape == hash; });
}

void SlideLayers::Compose(const ClickSteps& steps, int step, std::vector<std::uint8_t>* out) const {
  const std::size_t pixels = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  out->assign(pixels * 4, 0);
  for (const Layer& layer : layers_)
    if (layer.shape.empty() || steps.Visible(layer.shape, layer.initVisible, step))
      LayPremultipliedOver(layer.pixels.data(), out->data(), pixels);
}

}  // namespace qm
