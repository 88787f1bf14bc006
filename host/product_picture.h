#pragma once
// The RLX product picture shown by the About window and the main windows.

#include <QPixmap>

namespace host_ui {

// The picture at the given size in device-independent pixels, drawn for the
// given device-pixel ratio (2 on a high-density screen), so it is sharp at
// any size and on any screen.
QPixmap ProductPicture(const QSize& size, qreal devicePixelRatio = 1.0);

}  // namespace host_ui
