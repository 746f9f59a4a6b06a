#pragma once
// What the program needs from the desktop session before Qt starts.

#include <QString>

namespace kinoleaf {

// Whether a graphical session is there to show windows in: a display on
// X11 or Wayland, or a platform chosen explicitly (QT_QPA_PLATFORM, e.g.
// offscreen). Always true where the window system is not a separate server.
bool displayAvailable();

// One line telling that the editor needs a graphical session, and how to
// run it under Xvfb without one.
QString noDisplayMessage(const char* program);

} // namespace kinoleaf
