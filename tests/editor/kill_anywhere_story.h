#pragma once
// The story the kill-anywhere child downloads and the test checks: each
// picture a real PNG (a download that is no picture is refused) told from
// the others by a tag after its end.

#include "support/image_samples.h"

namespace kinoleaf::test {

inline constexpr int kStoryPages = 120;

inline QByteArray storyPicture(int i) {
    static const QByteArray png = [] {
        QImage image(2, 2, QImage::Format_RGB32);
        image.fill(Qt::darkYellow);
        return encoded(image, "png");
    }();
    QByteArray bytes = png + "DL" + QByteArray::number(i) + ":";
    bytes += QByteArray(1500, char('a' + i % 26));
    return bytes;
}

} // namespace kinoleaf::test
