#pragma once
// Window geometry given in twips, as the window's design states it.

#include <QRect>
#include <QSize>

#include "base/Units.h"

namespace qm {

/// Twips to pixels at 15 twips per pixel, to the nearest pixel.
constexpr int Px(int twips) { return static_cast<int>(PixelsFromTwips(twips)); }

/// A rectangle given as left, top, width, height in twips.
inline QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

inline QSize TwipsSize(int width, int height) { return QSize(Px(width), Px(height)); }

}  // namespace qm
