#include "online/online_logic.h"

#include "model/page_row.h"
#include "online/http_exchange.h"
#include "platform/file_errors.h"
#include "platform/gbk_codec.h"

#include <QHash>

#include <algorithm>
#include <optional>

namespace kinoleaf::online {
namespace {

// Longest name most file systems take, in UTF-8 bytes.
constexpr qsizetype kMaxNameBytes = 255;

std::optional<Decimal> numberOf(const JsonValue& value) {
    if (value.isNumber()) return value.toNumber();
    // Services built on PHP often send numbers as texts.
    if (value.isText()) return Decimal::parse(QStringView(value.toText()).trimmed());
    return std::nullopt;
}

std::int64_t clamped(const Decimal& d, std::int64_t low, std::int64_t high) {
    if (d >= Decimal(high)) return high;
    if (d <= Decimal(low)) return low;
    return d.toInt32();  // within range by now
}

// The extension after the last dot, in lower case, when it is a picture's;
// "" otherwise ("a.b.jpg" is a picture, "a.jpg.php" is not).
QString pictureExtension(const QString& name) {
    const QString ext = name.mid(name.lastIndexOf(u'.') + 1).toLower();
    return name.contains(u'.') && isImageFileName(QStringLiteral("x.") + ext) ? ext : QString();
}

// "page_0007.png": the position, and the picture extension the name had
// (".jpg" when it had none).
QString positionName(const QString& name, int position) {
    QString ext = pictureExtension(name);
    if (ext.isEmpty()) ext = QStringLiteral("jpg");
    return QStringLiteral("page_%1.%2").arg(position, 4, 10, QLatin1Char('0')).arg(ext);
}

bool isSafeName(const QString& name) {
    // A hidden name ("..", ".bashrc") could replace a file the user never
    // sees, and one that is no picture is none of the movie's: the home
    // folder is where the picker opens when no movie is loaded.
    if (name.startsWith(u'.') || pictureExtension(name).isEmpty()) return false;
    // " :" would end the name early when the line is read back.
    if (name.contains(kRowSeparator)) return false;
    for (const QChar c : name) {
        // A backslash leads out of the folder once the movie goes to Windows;
        // CR or LF would split the script line.
        if (c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
#ifdef Q_OS_WIN
        if (QStringView(u":*?\"<>|").contains(c)) return false;
#endif
    }
    // The script line must name the file as it is on disk.
    if (!gbk::unrepresentable(name).isEmpty()) return false;
    return name.toUtf8().size() <= kMaxNameBytes;
}

} // namespace

QString loginBody(const QString& userId, const QString& password) {
    return QStringLiteral("username=") + encodeFormValue(userId) + QStringLiteral("&password=") +
           encodeFormValue(password);
}

QString storyBody(const QString& userName, const QString& movieId) {
    return QStringLiteral("username=") + encodeFormValue(userName) + QStringLiteral("&movieid=") +
           encodeFormValue(movieId);
}

QString searchBody(const QString& userName, const SearchForm& form) {
    QString body = QStringLiteral("username=") + encodeFormValue(userName);
    if (!form.name.isEmpty()) body += QStringLiteral("&sea_name=") + encodeFormValue(form.name);
    if (!form.id.isEmpty()) body += QStringLiteral("&sea_id=") + encodeFormValue(form.id);
    const std::pair<const char*, int> lists[] = {
        {"&sea_line=", form.online},      {"&sea_plat=", form.platform}, {"&sea_jian=", form.recommended},
        {"&sea_hot=", form.hot},          {"&sea_h18=", form.restricted}, {"&sea_zone=", form.zone}};
    for (const auto& [name, position] : lists) body += QLatin1String(name) + QString::number(position);
    // Digits and commas of our own making: nothing to encode.
    body += QStringLiteral("&sea_tag=0");
    for (const int genre : form.genres) body += u',' + QString::number(genre);
    body += QStringLiteral("&sea_ot=") + QString::number(form.orderKey);
    body += QStringLiteral("&sea_od=") + QString::number(form.orderDirection);
    return body;
}

QString GetMovieIDFromStr(const QString& sThis) {
    const qsizetype bar = sThis.indexOf(u'|');
    if (bar < 0) return sThis;
    return sThis.left(bar).trimmed();
}

QString GetFileNameFromURLStr(const QString& nUrl) {
    const qsizetype slash = nUrl.lastIndexOf(u'/');
    if (slash < 0) return nUrl;
    return nUrl.mid(slash + 1).trimmed();
}

QString localImageName(const QString& nameFromUrl, int position) {
    QString name = nameFromUrl;
    const qsizetype query = name.indexOf(u'?');
    if (query >= 0) name.truncate(query);
    const qsizetype fragment = name.indexOf(u'#');
    if (fragment >= 0) name.truncate(fragment);
    name = name.trimmed();
    if (isSafeName(name)) return name;
    return positionName(name, position);
}

QString oneLineIntro(const QString& intro) {
    QString line = intro;
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

ReplyStatus statusOf(const JsonValue& root) {
    const std::optional<Decimal> status = numberOf(root[QStringLiteral("status")]);
    if (!status) return ReplyStatus::Failed;
    if (*status == Decimal(1)) return ReplyStatus::Success;
    if (*status == Decimal(-1)) return ReplyStatus::LoginExpired;
    return ReplyStatus::Failed;
}

std::int16_t int16Member(const JsonValue& root, const QString& name) {
    const std::optional<Decimal> n = numberOf(root[name]);
    return n ? std::int16_t(clamped(*n, INT16_MIN, INT16_MAX)) : 0;
}

int countMember(const JsonValue& root, const QString& name) {
    const std::optional<Decimal> n = numberOf(root[name]);
    return n ? int(clamped(*n, 0, INT32_MAX)) : 0;
}

QString textOf(const JsonValue& value) {
    if (value.isText()) return value.toText();
    if (value.isNumber()) return value.toNumber().toString();
    return {};
}

QStringList movieRows(const JsonValue& root) {
    const JsonValue movies = root[QStringLiteral("movies")];
    const int n = std::min(countMember(root, QStringLiteral("movies_count")), movies.count());
    QStringList rows;
    rows.reserve(n);
    for (int i = 1; i <= n; ++i) {
        const JsonValue item = movies.item(i);
        if (item.isText() || item.isNumber()) rows.append(textOf(item));
    }
    return rows;
}

StoryPlan planStory(const JsonValue& root) {
    StoryPlan plan;
    plan.pagesCount = countMember(root, QStringLiteral("pages_count"));
    const JsonValue story = root[QStringLiteral("story")];
    const int present = story.isList() ? std::min(plan.pagesCount, story.count()) : 0;
    plan.missingPages = plan.pagesCount - present;
    plan.pages.reserve(std::size_t(present));
    // Which URL each name came from: two URLs that differ only in their
    // query ("pic.jpg?id=1", "pic.jpg?id=2") are two pictures, not one
    // replacing the other.
    QHash<QString, QString> urlOfName;
    for (int i = 1; i <= present; ++i) {
        const JsonValue item = story.item(i);
        StoryPage page;
        page.position = i;
        page.url = textOf(item[QStringLiteral("image")]).trimmed();
        if (!page.url.isEmpty()) {
            const QString fromUrl = GetFileNameFromURLStr(page.url);
            page.fileName = localImageName(fromUrl, i);
            const auto taken = urlOfName.constFind(page.fileName);
            if (taken != urlOfName.cend() && *taken != page.url && fromUrl.contains(u'?'))
                page.fileName = positionName(page.fileName, i);
            urlOfName.insert(page.fileName, page.url);
            page.line = makeRow(page.fileName, oneLineIntro(textOf(item[QStringLiteral("intro")])));
        }
        plan.pages.push_back(std::move(page));
    }
    return plan;
}

QString failedImagesReport(const QList<FailedImage>& failed, int missingFrom, int missingCount) {
    const qint64 total = qint64(failed.size()) + missingCount;
    if (total == 0) return {};
    QString report = QStringLiteral("有 %1 张图片没能下载：").arg(total);
    QStringList lines;
    for (const FailedImage& f : failed) lines.append(f.what + u'：' + f.reason);
    if (missingCount == 1) {
        lines.append(QStringLiteral("第 %1 页：服务器的影片解说里没有这一页").arg(missingFrom));
    } else if (missingCount > 1) {
        lines.append(QStringLiteral("第 %1～%2 页：服务器的影片解说里没有这些页")
                         .arg(missingFrom)
                         .arg(qint64(missingFrom) + missingCount - 1));
    }
    return report + reportedLines(lines);
}

} // namespace kinoleaf::online
