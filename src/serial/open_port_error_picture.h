#pragma once
// The picture of the TOpenPortError window.

#include <QImage>

namespace trelvo {

inline constexpr int kOpenPortErrorPictureWidth = 599;
inline constexpr int kOpenPortErrorPictureHeight = 499;

// 599 x 499, 24-bit: hand-lettered "СНАЧАЛА ОТКРОЙ ПОРТ!" above an angry stick figure shaking its fist. Drawn
// from strokes, so it looks the same on a machine without any fonts.
QImage DrawOpenPortErrorPicture();

} // namespace trelvo
