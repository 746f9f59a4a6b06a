#pragma once
// The desktop's shared thumbnail cache, as file managers keep it: one PNG a
// picture under $XDG_CACHE_HOME/thumbnails/{normal,large}, named by the MD5
// of the picture's file URI and valid while its Thumb::MTime matches the
// picture's. Thumbnails the file manager made serve the editor, and ours
// serve it.

#include <QImage>
#include <QString>

#include <optional>

namespace kinoleaf::thumbs {

enum class Flavor { Normal, Large };
inline constexpr int kNormalSide = 128;
inline constexpr int kLargeSide = 256;
inline int sideOf(Flavor f) { return f == Flavor::Normal ? kNormalSide : kLargeSide; }
// The smallest flavor whose thumbnails are at least side pixels.
inline Flavor flavorFor(int side) { return side <= kNormalSide ? Flavor::Normal : Flavor::Large; }

// "file:///…" for path made absolute and clean, escaped as GLib escapes file
// URIs (every byte but letters, digits and !$&'()*+,-./:=@_~), so the name
// matches the one the file manager computes for the same file.
QString fileUri(const QString& path);
// $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails when unset).
QString cacheRoot();
QString thumbnailPath(const QString& imagePath, Flavor flavor);
// Where a picture that could not be decoded is noted: fail/kinoleaf-<version>/.
QString failurePath(const QString& imagePath);
// Pictures inside the cache itself are never thumbnailed: each thumbnail
// would beget another.
bool isInsideCache(const QString& imagePath);

// The file's modification time in whole seconds, as Thumb::MTime holds it;
// nullopt when it is not a readable file.
std::optional<qint64> fileMTime(const QString& imagePath);

// The cached thumbnail when it is valid (URI and MTime match the picture as
// it is now); nullopt when missing, unreadable or outdated.
std::optional<QImage> readThumbnail(const QString& imagePath, Flavor flavor);
// Writes thumb (scaled down to the flavor's size if larger) with the
// standard's keys, through a temporary file in the same folder renamed over
// the old one; folders 0700, file 0600. mtime is the picture's as read
// before decoding it, so a picture changed meanwhile gets a stale entry,
// never a wrong valid one. False when it could not be written.
bool writeThumbnail(const QString& imagePath, qint64 mtime, const QImage& thumb, Flavor flavor,
                    QSize sourceSize = {});
// Notes that the picture as it is now cannot be decoded.
bool writeFailure(const QString& imagePath, qint64 mtime);
// A valid failure note for the picture as it is now.
bool hasFailure(const QString& imagePath);

// A valid cached thumbnail, normal or large: the smallest whose longer side
// reaches minSide, or else the largest there is. Reads only the small PNG,
// never the picture.
std::optional<QImage> readCachedThumbnail(const QString& imagePath, int minSide);

} // namespace kinoleaf::thumbs
