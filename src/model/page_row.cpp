#include "model/page_row.h"

#include <QStringList>

#include <algorithm>
#include <iterator>
#include <string_view>

namespace kinoleaf {

QString imageNameOfRow(const QString& rowStr) {
    const qsizetype at = rowStr.indexOf(kRowSeparator);
    return at < 0 ? rowStr : rowStr.left(at);
}

QStringView imageNameViewOfRow(QStringView rowStr) {
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
    static constexpr std::string_view kImageExtensions[] = {"jpg", "png", "gif", "bmp", "jpeg"};
    const qsizetype dot = fileName.indexOf(u'.');
    if (dot < 0) return false;  // "null" is none of them
    const QStringView ext = QStringView(fileName).mid(dot + 1);
    // ASCII lower-cases to ASCII alone: compared without a lower-cased copy,
    // which a folder of a hundred thousand files would make for every name.
    if (std::all_of(ext.begin(), ext.end(), [](QChar c) { return c.unicode() < 0x80; })) {
        return std::any_of(std::begin(kImageExtensions), std::end(kImageExtensions), [&](std::string_view known) {
            return size_t(ext.size()) == known.size() &&
                   std::equal(known.begin(), known.end(), ext.begin(), [](char k, QChar c) {
                       const char16_t u = c.unicode();
                       return (u >= u'A' && u <= u'Z' ? u + 32 : u) == char16_t(k);
                   });
        });
    }
    const QString lower = fileExtension(fileName);
    return std::any_of(std::begin(kImageExtensions), std::end(kImageExtensions),
                       [&](std::string_view known) { return lower == QLatin1String(known.data(), qsizetype(known.size())); });
}

} // namespace kinoleaf
