#pragma once
// Qt reads GIF but can't write it. Tests and measurements need GIF pages,
// so this writes the simplest valid kind: no compression to speak of.

#include <QByteArray>
#include <QImage>

namespace kinoleaf {

// One frame, a 256-colour global palette from Qt's own quantisation.
QByteArray encodeSimpleGif(const QImage& image);

} // namespace kinoleaf
