#pragma once
// A page is one text, its row: image name, then optionally " :" and the
// intro. Rows are split at the first " :" only, so intros may hold " :".

#include <QString>

namespace kinoleaf {

inline const QString kRowSeparator = QStringLiteral(" :");

QString imageNameOfRow(const QString& rowStr);
// The same, as a view into the row.
QStringView imageNameViewOfRow(QStringView rowStr);
QString introOfRow(const QString& rowStr);
inline QString makeRow(const QString& imageName, const QString& intro) {
    return imageName + kRowSeparator + intro;
}

// The text after the first "." of a file name, lower-cased; "null" when
// the name has no ".". Only this test lower-cases: names compare exactly.
QString fileExtension(const QString& fileName);
bool isImageFileName(const QString& fileName);

} // namespace kinoleaf
