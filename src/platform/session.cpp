#include "platform/session.h"

#include <QtGlobal>

namespace kinoleaf {

bool displayAvailable() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS) && !defined(Q_OS_ANDROID)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

QString noDisplayMessage(const char* program) {
    return QStringLiteral("Kinoleaf 需要图形界面（X11 或 Wayland）才能运行；没有显示器时可以用 Xvfb 运行：xvfb-run -a %1")
        .arg(QString::fromLocal8Bit(program));
}

} // namespace kinoleaf
