#include "editor/main_layout.h"

#include <QList>

#include <algorithm>

namespace kinoleaf {
namespace {

// The layout is drawn in twips; 15 make a pixel at 96 DPI.
constexpr int px(int twips) { return twips / 15; }
QRect twips(int l, int t, int w, int h) { return {px(l), px(t), px(w), px(h)}; }

} // namespace

QHash<QString, QRect> mainWindowLayout(QSize client) {
    client = client.expandedTo(kMainMinimumSize);
    const int dx = client.width() - kMainFirstSize.width();
    const int dy = client.height() - kMainFirstSize.height();
    // Growing: a quarter of the width to the left column, a third of the
    // height to the folder list. Shrinking: the left column keeps its size.
    const int leftGrow = std::max(0, dx) / 4;
    const int folderGrow = std::max(0, dy) / 3;
    const int pageListGrow = dy - folderGrow;
    const int rightGrow = dx - leftGrow;

    QHash<QString, QRect> r;
    r[QStringLiteral("LabelLogMsg")] = twips(120, 240, 9495, 255).adjusted(0, 0, dx, 0);
    r[QStringLiteral("BtnLinkServer")] = twips(120, 120, 1335, 375);
    // In the free space between the message line and 保存.
    r[QStringLiteral("BtnOverview")] = twips(9720, 120, 1080, 375).translated(dx, 0);
    r[QStringLiteral("BtnSave")] = twips(10920, 120, 1095, 375).translated(dx, 0);
    r[QStringLiteral("BtnExportTj")] = twips(12120, 120, 2175, 375).translated(dx, 0);

    r[QStringLiteral("DriveSelect")] = twips(120, 720, 3495, 300).adjusted(0, 0, leftGrow, 0);
    r[QStringLiteral("FilePathList")] = twips(120, 1080, 3495, 1770).adjusted(0, 0, leftGrow, folderGrow);
    r[QStringLiteral("ListMoviePics")] =
        twips(120, 3000, 3495, 5280).translated(0, folderGrow).adjusted(0, 0, leftGrow, pageListGrow);
    r[QStringLiteral("Label1")] = twips(1680, 3000, 1095, 15).translated(0, folderGrow);

    const QRect picture = twips(4080, 720, 9975, 6135).translated(leftGrow, 0).adjusted(0, 0, rightGrow, dy);
    r[QStringLiteral("PicMovieImg")] = picture;
    r[QStringLiteral("Shape1")] = picture.adjusted(-1, -1, 1, 1);
    r[QStringLiteral("TxtMovieIntro")] =
        twips(4080, 6960, 9975, 1335).translated(leftGrow, dy).adjusted(0, 0, rightGrow, 0);

    const struct { const char* name; int left, width; } leftButtons[] = {
        {"BtnImgCut", 120, 735}, {"BtnMovieCut", 960, 735}, {"BtnUpImg", 1800, 375},
        {"BtnImgSort", 2280, 855}, {"BtnDownImg", 3240, 375}};
    for (const auto& b : leftButtons)
        r[QLatin1String(b.name)] = twips(b.left, 8520, b.width, 495).translated(0, dy);

    // The six page buttons span the right column: at first 105 pixels wide
    // with 7 between; a wider column spreads them, a narrower one narrows them.
    const char* const rightButtons[] = {"BtnPrePage", "BtnDelPage", "BtnDelMorePages",
                                        "BtnChangePage", "BtnInsertPage", "BtnNextPage"};
    const int columnLeft = picture.left(), columnWidth = picture.width();
    const int buttonWidth = std::min(px(1575), (columnWidth - 5 * 7) / 6);
    for (int i = 0; i < 6; ++i) {
        const int x = columnLeft + i * (columnWidth - buttonWidth) / 5;
        r[QLatin1String(rightButtons[i])] = QRect(x, px(8520) + dy, buttonWidth, px(495));
    }

    r[QStringLiteral("Label2")] = twips(120, 9240, 11655, 255).translated(0, dy).adjusted(0, 0, std::min(0, dx), 0);
    r[QStringLiteral("Label3")] = twips(8760, 9240, 5535, 255).translated(dx, dy);
    r[QStringLiteral("Line1")] = QRect(px(120), px(600) - 1, px(14160) + dx, 3);
    r[QStringLiteral("Line2")] = QRect(px(120), px(9120) - 1 + dy, px(14160) + dx, 3);
    r[QStringLiteral("Line3")] = QRect(px(3720) - 1 + leftGrow, px(720), 3, px(8280) + dy);
    return r;
}

} // namespace kinoleaf
