#include "editor/readable_controls.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QWidget>

#include <algorithm>
#include <numeric>
#include <utility>

namespace kinoleaf {
namespace {

// Controls without a caption of their own, by the names the windows give them.
const QHash<QString, QString>& uncaptionedNames() {
    static const QHash<QString, QString> names = {
        {QStringLiteral("DriveSelect"), QStringLiteral("驱动器")},
        {QStringLiteral("FilePathList"), QStringLiteral("文件夹")},
        {QStringLiteral("ListMoviePics"), QStringLiteral("页面列表")},
        {QStringLiteral("PicMovieImg"), QStringLiteral("图片")},
        {QStringLiteral("TxtMovieIntro"), QStringLiteral("解说")},
        {QStringLiteral("BtnUpImg"), QStringLiteral("上移此页")},
        {QStringLiteral("BtnDownImg"), QStringLiteral("下移此页")},
        {QStringLiteral("ListSrc"), QStringLiteral("页面列表")},
        {QStringLiteral("ExImgList"), QStringLiteral("图片列表")},
        {QStringLiteral("ListCut"), QStringLiteral("筛选结果")},
        {QStringLiteral("ListMovies"), QStringLiteral("影片列表")},
        {QStringLiteral("ExImgView"), QStringLiteral("图片")},
        {QStringLiteral("ImgShow"), QStringLiteral("图片")},
        {QStringLiteral("ImgCut"), QStringLiteral("图片")},
        {QStringLiteral("ImgSrc"), QStringLiteral("图片")},
        {QStringLiteral("ImgSrcShow"), QStringLiteral("图片")},
        {QStringLiteral("ImgInsertShow"), QStringLiteral("插入位置的图片")},
        {QStringLiteral("ListImgSrc"), QStringLiteral("页面列表")},
        {QStringLiteral("ListImgInsert"), QStringLiteral("插入位置")},
        {QStringLiteral("IntroShow"), QStringLiteral("解说")},
        {QStringLiteral("IntroSrc"), QStringLiteral("解说")},
        {QStringLiteral("IntroSrcShow"), QStringLiteral("解说")},
        {QStringLiteral("IntroInsertShow"), QStringLiteral("插入位置的解说")},
        {QStringLiteral("LogMsgText"), QStringLiteral("筛选日志")},
        {QStringLiteral("TextSrtUrl"), QStringLiteral("Srt字幕文件")},
    };
    return names;
}

bool isCjk(QChar c) { return c.unicode() >= 0x2E80; }

QPoint topLeftIn(const QWidget* w, const QWidget* window) { return w->mapTo(window, QPoint(0, 0)); }

// The window's own controls: not those of a window inside it, and not the
// parts of a composite control (a combo box's line edit, a list's scroll bars).
QList<QWidget*> controlsOf(QWidget* window) {
    QList<QWidget*> controls;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->isWindow() || w->window() != window) continue;
        bool part = false;
        for (QWidget* p = w->parentWidget(); p && p != window; p = p->parentWidget())
            if (p->focusPolicy() != Qt::NoFocus || qobject_cast<QAbstractScrollArea*>(p) ||
                qobject_cast<QComboBox*>(p) || qobject_cast<QAbstractSpinBox*>(p))
                part = true;
        if (!part) controls.append(w);
    }
    return controls;
}

// The label that captions a control: just left of it on its line, else
// just above it.
QLabel* captionOf(const QWidget* control, const QList<QWidget*>& controls, const QWidget* window) {
    const QRect r(topLeftIn(control, window), control->size());
    QLabel* best = nullptr;
    std::pair<int, int> bestPlace;  // left of it (1) before above it (2), then the nearer
    for (QWidget* w : controls) {
        auto* label = qobject_cast<QLabel*>(w);
        if (!label || label->text().trimmed().isEmpty()) continue;
        const QRect l(topLeftIn(label, window), label->size());
        const bool sameLine = l.center().y() >= r.top() && l.center().y() <= r.bottom();
        const bool sameColumn = l.left() <= r.right() && l.right() >= r.left();
        std::pair<int, int> place;
        if (sameLine && r.left() > l.right()) place = {1, r.left() - l.right()};
        else if (sameColumn && r.top() > l.bottom()) place = {2, r.top() - l.bottom()};
        else continue;
        if (place.second < 60 && (!best || place < bestPlace)) {
            best = label;
            bestPlace = place;
        }
    }
    return best;
}

} // namespace

QList<int> readingOrder(const QList<QRect>& rects, int lineTolerance) {
    QList<int> order(rects.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rects[a].top() < rects[b].top(); });
    // Cut into lines, then each line left to right.
    for (qsizetype start = 0; start < order.size();) {
        qsizetype end = start + 1;
        while (end < order.size() && rects[order[end]].top() - rects[order[start]].top() <= lineTolerance) ++end;
        std::stable_sort(order.begin() + start, order.begin() + end,
                         [&](int a, int b) { return rects[a].left() < rects[b].left(); });
        start = end;
    }
    return order;
}

QString spokenCaption(const QString& caption) {
    QString text = caption;
    text.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    QString spoken;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool between = i > 0 && i + 1 < text.size() && text[i].isSpace() && isCjk(text[i - 1]) && isCjk(text[i + 1]);
        if (!between) spoken += text[i];
    }
    spoken = spoken.trimmed();
    // A label's colon says "the box follows", nothing a reader should speak.
    while (spoken.endsWith(u'：') || spoken.endsWith(u':')) spoken.chop(1);
    return spoken;
}

void makeReadable(QWidget* window) {
    const QList<QWidget*> controls = controlsOf(window);
    auto name = [](QWidget* w, const QString& text) {
        if (w->accessibleName().isEmpty() && !text.trimmed().isEmpty()) w->setAccessibleName(spokenCaption(text));
    };
    for (QWidget* w : controls) {
        name(w, uncaptionedNames().value(w->objectName()));
        if (auto* b = qobject_cast<QAbstractButton*>(w)) name(b, b->text());
        if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy()) name(l->buddy(), l->text());
        if (auto* e = qobject_cast<QLineEdit*>(w)) name(e, e->placeholderText());
    }
    QList<QWidget*> focusable;
    for (QWidget* w : controls) {
        if (!(w->focusPolicy() & Qt::TabFocus) || w->focusProxy()) continue;
        focusable.append(w);
        if (w->accessibleName().isEmpty())
            if (QLabel* l = captionOf(w, controls, window)) name(w, l->text());
        if (w->accessibleName().isEmpty()) name(w, w->toolTip());
    }
    QList<QRect> rects;
    for (const QWidget* w : focusable) rects.append(QRect(topLeftIn(w, window), w->size()));
    const QList<int> order = readingOrder(rects);
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(focusable[order[i - 1]], focusable[order[i]]);
}

} // namespace kinoleaf
