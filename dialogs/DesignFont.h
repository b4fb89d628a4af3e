#pragma once
// The font the windows were designed with.
#include <QFont>

namespace kv4gui {

// "MS Sans Serif" at `pointSize`; where it is missing (everywhere but
// Windows), a font of its metrics, else the sans-serif default.
QFont DesignFont(int pointSize);

}  // namespace kv4gui
