#pragma once
// The RLX product picture shown by the About window and the main windows.

#include <QPixmap>

namespace host_ui {

// The picture at the given size (drawn, so it stays sharp at any size).
QPixmap ProductPicture(const QSize& size);

}  // namespace host_ui
