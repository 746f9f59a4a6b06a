#pragma once
// The overview's grid and its tiles: a thumbnail, the page number and image
// name, the start of the intro, pages without one marked, the main window's
// page framed.

#include "overview/OverviewModel.h"
#include "overview/thumbnail_provider.h"

#include <QCache>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>

#include <optional>
#include <utility>

namespace kinoleaf {

class OverviewDelegate : public QStyledItemDelegate {
public:
    explicit OverviewDelegate(QObject* parent) : QStyledItemDelegate(parent) { m_scaled.setMaxCost(1200); }

    int side = 128;
    int currentRow = -1;

    void setSide(int s) {
        side = s;
        m_scaled.clear();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const int line = option.fontMetrics.height();
        return {side + 2 * kPad, side + 2 * kPad + 2 * line + 2};
    }

    void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QRect r = option.rect.adjusted(1, 1, -1, -1);
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        if (selected) p->fillRect(r, pal.color(QPalette::Highlight).lighter(170));

        const QRect box(r.left() + kPad - 1, r.top() + kPad - 1, side, side);
        drawThumbnail(p, box, index);

        const QFontMetrics& fm = option.fontMetrics;
        const int line = fm.height();
        QRect text(r.left() + 4, box.bottom() + 3, r.width() - 8, line);
        const QString intro = index.data(OverviewModel::IntroRole).toString();
        QFont bold = option.font;
        bold.setBold(true);
        p->setFont(bold);
        p->setPen(pal.color(QPalette::Text));
        const QString number = QString::number(index.data(OverviewModel::PageNumberRole).toInt());
        p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, number);
        const int numberWidth = QFontMetrics(bold).horizontalAdvance(number) + 6;
        p->setFont(option.font);
        const QString name = imageNameShown(index);
        p->setPen(pal.color(QPalette::PlaceholderText));
        p->drawText(text.adjusted(numberWidth, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                    fm.elidedText(name, Qt::ElideMiddle, text.width() - numberWidth));
        text.translate(0, line);
        if (intro.isEmpty()) {
            p->setPen(kNoIntro);
            p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("（无解说）"));
            // A corner of the tile, beside the text, says it too, seen from afar.
            const QPoint c = r.bottomRight();
            const QPoint corner[3] = {c, c + QPoint(-14, 0), c + QPoint(0, -14)};
            p->setPen(Qt::NoPen);
            p->setBrush(kNoIntro);
            p->drawPolygon(corner, 3);
        } else {
            p->setPen(pal.color(QPalette::Text));
            p->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, fm.elidedText(intro, Qt::ElideRight, text.width()));
        }

        if (index.row() == currentRow) {
            p->setPen(QPen(kCurrent, 3));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.adjusted(1, 1, -2, -2));
        } else if (option.state & QStyle::State_HasFocus) {
            p->setPen(QPen(pal.color(QPalette::Highlight), 1, Qt::DotLine));
            p->setBrush(Qt::NoBrush);
            p->drawRect(r.adjusted(0, 0, -1, -1));
        }
    }

private:
    static constexpr int kPad = 6;
    static inline const QColor kNoIntro{0xE0, 0x80, 0x00};
    static inline const QColor kCurrent{0xD0, 0x20, 0x20};

    static QString imageNameShown(const QModelIndex& index) {
        const QString path = index.data(OverviewModel::ImagePathRole).toString();
        return path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    }

    void drawThumbnail(QPainter* p, const QRect& box, const QModelIndex& index) const {
        const int state = index.data(OverviewModel::ThumbStateRole).toInt();
        if (state == Thumbnail::Ready) {
            const QImage image = scaledFor(index);
            const QPoint at(box.left() + (box.width() - image.width()) / 2,
                            box.top() + (box.height() - image.height()) / 2);
            p->drawImage(at, image);
            return;
        }
        p->fillRect(box, QColor(0xEE, 0xEE, 0xEE));
        if (state < 0) return;  // on its way
        // A drawn tile, never an empty hole: the page is there, its picture not.
        p->setPen(QColor(0xB0, 0x30, 0x30));
        p->setBrush(Qt::NoBrush);
        p->drawRect(box.adjusted(0, 0, -1, -1));
        p->drawText(box, Qt::AlignCenter,
                    state == Thumbnail::Missing ? QStringLiteral("图片不存在") : QStringLiteral("无法显示"));
    }

    // Thumbnails are 128 or 256 pixels; other sides are scaled once, not at
    // every paint.
    QImage scaledFor(const QModelIndex& index) const {
        const QImage image = index.data(Qt::DecorationRole).value<QImage>();
        if (image.width() <= side && image.height() <= side) return image;
        const QString key = index.data(OverviewModel::ImagePathRole).toString() + QString::number(image.cacheKey());
        if (const QImage* hit = m_scaled.object(key)) return *hit;
        const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_scaled.insert(key, new QImage(scaled));
        return scaled;
    }

    mutable QCache<QString, QImage> m_scaled;
};

// The grid itself: tells of plain clicks apart from Ctrl/Shift ones, and
// turns a drop of its own pages into a move.
class OverviewView : public QListView {
    Q_OBJECT
public:
    explicit OverviewView(QWidget* parent = nullptr);
    // The first and last rows at least partly on view; {-1, -1} for none.
    std::pair<int, int> visibleRows() const;

signals:
    void pageChosen(int row);
    // Drop of the selected pages: they go right after row chosen (−1: top).
    void moveRequested(int chosen);
    void zoomRequested(int steps);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // Where a drop at pos puts the pages: after this row; nullopt for nowhere.
    std::optional<int> dropAfter(QPoint pos) const;
};

} // namespace kinoleaf
