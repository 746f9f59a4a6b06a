#pragma once
// Why a file operation failed, in the words the editor shows: Chinese, with
// the reason a user can act on, never the system's English text.

#include <QString>
#include <QStringList>

class QFileDevice;

namespace kinoleaf {

// The reason for a system error number (errno), e.g. "磁盘空间不足".
QString fileErrorReason(int errorNumber);

// The reason for a failed QFile/QSaveFile call. savedErrno is errno read
// right after the failing call (0 when unknown); the device's own error kind
// is the fallback.
QString fileErrorReason(const QFileDevice& device, int savedErrno);

// Lines of a failure report ("name：reason"), each on a line of its own
// after a line break: at most ten, then "……", so a message box stays on the
// screen however many failed; the report's own count tells the rest.
QString reportedLines(const QStringList& lines);

} // namespace kinoleaf
