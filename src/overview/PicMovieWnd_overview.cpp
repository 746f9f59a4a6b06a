// The main window's way into the overview: F4 and the 总览 button.

#include "editor/PicMovieWnd.h"
#include "overview/OverviewWnd.h"
#include "platform/aic_alpha_image.h"
#include "platform/thumbnail_cache.h"

#include <QKeyEvent>
#include <QPushButton>

namespace kinoleaf {

void PicMovieWnd::buildOverviewControls() {
    BtnOverview = new QPushButton(QStringLiteral("总览"), this);
    BtnOverview->setObjectName(QStringLiteral("BtnOverview"));
    BtnOverview->setFocusPolicy(Qt::TabFocus);
    BtnOverview->setToolTip(QStringLiteral("所有页面的缩略图（F4）"));
    connect(BtnOverview, &QPushButton::clicked, this, &PicMovieWnd::BtnOverview_Click);
    // While a page's picture decodes, the thumbnail the overview or a file
    // manager left stands in for it.
    PicMovieImg->setThumbnailSource(
        [](const QString& path, int minSide) { return thumbs::readCachedThumbnail(path, minSide); });
}

OverviewWnd* PicMovieWnd::overviewWnd() {
    if (!m_overview) m_overview = new OverviewWnd(this);
    return m_overview;
}

void PicMovieWnd::BtnOverview_Click() {
    OverviewWnd* overview = overviewWnd();
    if (overview->isVisible()) {
        overview->close();
        return;
    }
    overview->show();
    overview->bringToFront();
}

bool PicMovieWnd::overviewKey(const QKeyEvent* key) {
    if (key->key() != Qt::Key_F4 || (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) return false;
    BtnOverview_Click();
    return true;
}

} // namespace kinoleaf
