#pragma once
// Names made on Chinese Windows. Archives packed there keep file and folder
// names in the GBK code page; unpacked on Linux those bytes aren't UTF-8, so
// Qt shows them garbled and can't open them by path. They are found and
// renamed by their raw bytes instead.

#include "platform/file_helpers.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <optional>

namespace kinoleaf {

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isValidUtf8(QByteArrayView bytes);

// The proper name of a raw file name that is GBK rather than UTF-8. Nothing
// for names that are valid UTF-8 (they are fine as they are) and for bytes
// that aren't clean GBK text: broken sequences, control characters, or the
// code page's user-defined characters. Those came from something else, and
// renaming would only garble them further.
std::optional<QString> legacyDecodedName(const QByteArray& raw);

struct RenameFailure {
    QString decodedName;
    QString reason;  // Chinese, for the user
};

struct RenameReport {
    int renamed = 0;
    QList<RenameFailure> failed;
};

// Renames the entry rawName of folder to decodedName, never replacing an
// existing entry. The new full path on success; otherwise "" and the reason
// in *reason (when given).
QString renameLegacyName(const QString& folder, const QByteArray& rawName,
                         const QString& decodedName, QString* reason = nullptr);

// Renames every one it can; the others are reported, in the given order.
RenameReport renameLegacyNames(const QString& folder, const QList<LegacyName>& names);

// Tests: whether to use the file system's atomic no-replace rename, or the
// fallback taken where the file system lacks it. On by default.
void setAtomicNoReplaceRename(bool enabled);

} // namespace kinoleaf
