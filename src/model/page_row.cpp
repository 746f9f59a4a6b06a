#include "model/page_row.h"

#include <QStringList>

namespace kinoleaf {

QString imageNameOfRow(const QString& rowStr) {
    const qsizetype at = rowStr.indexOf(kRowSeparator);
    return at < 0 ? rowStr : rowStr.left(at);
}

QString introOfRow(const QString& rowStr) {
    const qsizetype at = rowStr.indexOf(kRowSeparator);
    return at < 0 ? QString() : rowStr.mid(at + kRowSeparator.size());
}

QString fileExtension(const QString& fileName) {
    const qsizetype dot = fileName.indexOf(u'.');
    if (dot < 0) return QStringLiteral("null");
    return fileName.mid(dot + 1).toLower();
}

bool isImageFileName(const QString& fileName) {
    static const QStringList kImageExtensions = {QStringLiteral("jpg"), QStringLiteral("png"),
                                                 QStringLiteral("gif"), QStringLiteral("bmp"),
                                                 QStringLiteral("jpeg")};
    return kImageExtensions.contains(fileExtension(fileName));
}

} // namespace kinoleaf
