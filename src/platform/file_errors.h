#pragma once
// Why a file operation failed, in the words the editor shows: Chinese, with
// the reason a user can act on, never the system's English text.

#include <QString>

class QFileDevice;

namespace kinoleaf {

// The reason for a system error number (errno), e.g. "磁盘空间不足".
QString fileErrorReason(int errorNumber);

// The reason for a failed QFile/QSaveFile call. savedErrno is errno read
// right after the failing call (0 when unknown); the device's own error kind
// is the fallback.
QString fileErrorReason(const QFileDevice& device, int savedErrno);

} // namespace kinoleaf
