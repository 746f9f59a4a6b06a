#pragma once
// What the online windows compute without talking to the service: request
// bodies, movie ids, file names for downloaded images, script lines.

#include "util/json_value.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace kinoleaf::online {

inline const QString kSigninPath = QStringLiteral("BackStage2/vbser/Signin.php");
inline const QString kMovieListPath = QStringLiteral("BackStage2/vbser/GetMovieList.php");
inline const QString kMovieStoryPath = QStringLiteral("BackStage2/vbser/GetMovieStory.php");

// The lead of the message for an exchange that failed outright, before the
// exchange's own words.
inline const QString kConnectFailed = QStringLiteral("连接服务器失败：");

// Every value goes through encodeFormValue, so what a user types can neither
// add nor change a parameter.
QString loginBody(const QString& userId, const QString& password);
QString storyBody(const QString& userName, const QString& movieId);

// The search form as the request sees it: list positions from 0 (-1 when
// nothing is selected), and the numbers (1..34) of the checked genres.
struct SearchForm {
    QString name;
    QString id;
    int online = 0, platform = 0, recommended = 0, hot = 0, restricted = 0, zone = 0;
    QList<int> genres;
    int orderKey = 0, orderDirection = 0;
};
// Pairs in the service's order; the name and the id only when not empty.
QString searchBody(const QString& userName, const SearchForm& form);

// The id in a movie row: the part before the first "|", trimmed; the whole
// row when there is none.
QString GetMovieIDFromStr(const QString& sThis);
// The last "/"-separated piece of a URL, trimmed (a query part stays).
QString GetFileNameFromURLStr(const QString& nUrl);

// The name a downloaded image gets in the target folder, from the name its
// URL gives and its page position (from 1). The query part goes; a name
// that could leave the folder, that is hidden or no picture's (so never the
// script's), that the file system refuses or that would break its script
// line gets "page_0001.jpg" instead, with the picture extension it had
// (".jpg" when it had none).
QString localImageName(const QString& nameFromUrl, int position);
// An intro as one script line: CR and LF become spaces.
QString oneLineIntro(const QString& intro);

enum class ReplyStatus { Success, LoginExpired, Failed };
// "status" 1 or -1 (a number, or a text reading as one); anything else,
// a missing member included, is failure.
ReplyStatus statusOf(const JsonValue& root);

// A member read as a 16-bit number: 0 when absent or not a number; beyond
// the range it stays at the nearest end.
std::int16_t int16Member(const JsonValue& root, const QString& name);
// A count read the same way into 0..INT32_MAX.
int countMember(const JsonValue& root, const QString& name);
// A text member, or a number's decimal text; "" for anything else.
QString textOf(const JsonValue& value);

// The rows a search reply lists: items 1 to "movies_count" of "movies" that
// exist (a text or a number each).
QStringList movieRows(const JsonValue& root);

// One page of a story as the download goes through it.
struct StoryPage {
    int position = 0;   // from 1
    QString url;        // "" when the item gives no image
    QString fileName;   // where the image goes; "" when there is no image
    QString line;       // its script line; "" when there is no image
};

struct StoryPlan {
    int pagesCount = 0;              // "pages_count", what the message tells
    std::vector<StoryPage> pages;    // pages 1..min(pages_count, items)
    int missingPages = 0;            // pages the "story" array has no item for
};
StoryPlan planStory(const JsonValue& root);

// The report on images that did not arrive: "有 {k} 张图片没能下载：" and at
// most ten "name：reason" lines, then "……". "" when k is 0. Pages past the
// end of the story come as one line.
struct FailedImage {
    QString what;    // the file name, or the page for one without an image
    QString reason;
};
QString failedImagesReport(const QList<FailedImage>& failed, int missingFrom, int missingCount);

} // namespace kinoleaf::online
