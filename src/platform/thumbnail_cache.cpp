#include "platform/thumbnail_cache.h"

#include "platform/file_helpers.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QStandardPaths>

namespace kinoleaf::thumbs {

namespace {

const QString kUriKey = QStringLiteral("Thumb::URI");
const QString kMTimeKey = QStringLiteral("Thumb::MTime");
// The version in the fail folder's name: a later version that decodes more
// tries those pictures again.
const QString kFailFolder = QStringLiteral("fail/kinoleaf-1.0");
const QString kSoftware = QStringLiteral("Kinoleaf 1.0");

QString cleanAbsolute(const QString& path) { return QDir::cleanPath(QFileInfo(path).absoluteFilePath()); }

bool allowedInUri(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return QByteArrayView("!$&'()*+,-./:=@_~").contains(c);
}

QString md5Name(const QString& imagePath) {
    const QByteArray hash = QCryptographicHash::hash(fileUri(imagePath).toUtf8(), QCryptographicHash::Md5);
    return QString::fromLatin1(hash.toHex()) + QStringLiteral(".png");
}

QString folderOf(Flavor flavor) {
    return cacheRoot() + (flavor == Flavor::Normal ? QStringLiteral("/normal") : QStringLiteral("/large"));
}

// The standard asks the cache to be the user's alone.
bool makePrivateFolder(const QString& folder) {
    if (!QDir().mkpath(folder)) return false;
    const auto owner = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    // The thumbnails folder and every folder below it down to this one.
    const QString root = cacheRoot();
    for (QString f = folder; f.startsWith(root); f = QFileInfo(f).path()) {
        QFile::setPermissions(f, owner);
        if (f == root) break;
    }
    return true;
}

// A PNG with the standard's keys; the keys go before the pixel data, so a
// reader finds them without decoding anything.
bool writePng(const QString& target, const QImage& image) {
    if (!makePrivateFolder(QFileInfo(target).path())) return false;
    PartFile part(target);
    if (!part.open()) return false;
    QFile::setPermissions(part.device().fileName(), QFile::ReadOwner | QFile::WriteOwner);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Thumbnails are read far more often than written, but a low
    // compression level writes three times faster for a slightly larger file.
    writer.setQuality(80);
    if (!writer.write(image)) return false;
    return part.write(bytes) && part.commit();
}


// The entry at file when it belongs to the picture at uri as of mtime. The
// whole small PNG is read: Qt's header-only text lookup splits keys at ':'.
std::optional<QImage> readValid(const QString& file, const QString& uri, qint64 mtime) {
    // Most pages have no entry: no reader (and no decoder's complaint) then.
    QFile png(file);
    if (!png.open(QIODevice::ReadOnly)) return std::nullopt;
    QImageReader reader(&png, "png");
    QImage image = reader.read();
    if (image.isNull() || image.text(kUriKey) != uri) return std::nullopt;
    bool ok = false;
    // Some writers store a fraction of a second; the standard means seconds.
    const qint64 stored = qint64(image.text(kMTimeKey).toDouble(&ok));
    if (!ok || stored != mtime) return std::nullopt;
    return image;
}

} // namespace

QString fileUri(const QString& path) {
    const QByteArray local = QFile::encodeName(cleanAbsolute(path));
    QByteArray uri("file://");
    uri.reserve(local.size() * 3 + 7);
    static const char hex[] = "0123456789ABCDEF";
    for (char c : local) {
        if (allowedInUri(c)) {
            uri.append(c);
        } else {
            uri.append('%');
            uri.append(hex[uchar(c) >> 4]);
            uri.append(hex[uchar(c) & 15]);
        }
    }
    return QString::fromLatin1(uri);
}

QString cacheRoot() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    // A relative XDG_CACHE_HOME counts as unset, as desktop programs treat it.
    if (base.isEmpty() || QDir::isRelativePath(base)) base = QDir::homePath() + QStringLiteral("/.cache");
    return QDir::cleanPath(base) + QStringLiteral("/thumbnails");
}

QString thumbnailPath(const QString& imagePath, Flavor flavor) {
    return folderOf(flavor) + QLatin1Char('/') + md5Name(imagePath);
}

QString failurePath(const QString& imagePath) {
    return cacheRoot() + QLatin1Char('/') + kFailFolder + QLatin1Char('/') + md5Name(imagePath);
}

bool isInsideCache(const QString& imagePath) {
    const QString root = cacheRoot();
    const QString path = cleanAbsolute(imagePath);
    if (path.startsWith(root + QLatin1Char('/'))) return true;
    // Reached through a link: compare where both really are.
    const QString realRoot = QFileInfo(root).canonicalFilePath();
    const QString realPath = QFileInfo(path).canonicalFilePath();
    return !realRoot.isEmpty() && realPath.startsWith(realRoot + QLatin1Char('/'));
}

std::optional<qint64> fileMTime(const QString& imagePath) {
    const QFileInfo info(imagePath);
    if (!info.isFile()) return std::nullopt;
    return info.lastModified().toSecsSinceEpoch();
}

std::optional<QImage> readThumbnail(const QString& imagePath, Flavor flavor) {
    const std::optional<qint64> mtime = fileMTime(imagePath);
    if (!mtime) return std::nullopt;
    return readValid(thumbnailPath(imagePath, flavor), fileUri(imagePath), *mtime);
}

bool writeThumbnail(const QString& imagePath, qint64 mtime, const QImage& thumb, Flavor flavor,
                    QSize sourceSize) {
    if (thumb.isNull() || isInsideCache(imagePath)) return false;
    const int side = sideOf(flavor);
    QImage image = thumb.width() > side || thumb.height() > side
                       ? thumb.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                       : thumb;
    image.setText(kUriKey, fileUri(imagePath));
    image.setText(kMTimeKey, QString::number(mtime));
    image.setText(QStringLiteral("Thumb::Size"), QString::number(QFileInfo(imagePath).size()));
    if (sourceSize.isValid()) {
        image.setText(QStringLiteral("Thumb::Image::Width"), QString::number(sourceSize.width()));
        image.setText(QStringLiteral("Thumb::Image::Height"), QString::number(sourceSize.height()));
    }
    image.setText(QStringLiteral("Software"), kSoftware);
    return writePng(thumbnailPath(imagePath, flavor), image);
}

bool writeFailure(const QString& imagePath, qint64 mtime) {
    if (isInsideCache(imagePath)) return false;
    QImage mark(1, 1, QImage::Format_ARGB32);
    mark.fill(Qt::transparent);
    mark.setText(kUriKey, fileUri(imagePath));
    mark.setText(kMTimeKey, QString::number(mtime));
    mark.setText(QStringLiteral("Software"), kSoftware);
    return writePng(failurePath(imagePath), mark);
}

bool hasFailure(const QString& imagePath) {
    const std::optional<qint64> mtime = fileMTime(imagePath);
    return mtime && readValid(failurePath(imagePath), fileUri(imagePath), *mtime).has_value();
}

std::optional<QImage> readCachedThumbnail(const QString& imagePath, int minSide) {
    const std::optional<qint64> mtime = fileMTime(imagePath);
    if (!mtime) return std::nullopt;
    const QString uri = fileUri(imagePath);
    const QString name = md5Name(imagePath);
    const Flavor order[2] = {Flavor::Normal, Flavor::Large};
    std::optional<QImage> best;
    for (Flavor f : order) {
        std::optional<QImage> image = readValid(folderOf(f) + QLatin1Char('/') + name, uri, *mtime);
        if (!image) continue;
        best = std::move(image);
        if (std::max(best->width(), best->height()) >= minSide) break;
    }
    return best;
}

} // namespace kinoleaf::thumbs
