#pragma once
// Where the main window's controls sit for a given client size. The first
// look (963 x 635) is the fixed layout the window was drawn in; a larger
// window gives the left column (drive, folder and page lists) a share of the
// extra width and the folder list a share of the extra height, the rest to
// the picture, the intro box and the page list; a smaller one, down to
// kMainMinimumSize, takes the room from the picture and the page list.

#include <QHash>
#include <QRect>
#include <QSize>
#include <QString>

namespace kinoleaf {

inline constexpr QSize kMainFirstSize{963, 635};
// Fits a 1366 x 768 screen at 125% scaling with the task bar and title bar.
inline constexpr QSize kMainMinimumSize{800, 520};

// Rectangles by control name (objectName), in client coordinates.
QHash<QString, QRect> mainWindowLayout(QSize client);

} // namespace kinoleaf
