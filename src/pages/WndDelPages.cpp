#include "pages/WndDelPages.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

WndDelPages::WndDelPages(PicMovieWnd* owner) : QWidget(owner, Qt::Window) {}

} // namespace kinoleaf
