#include "pages/ExImgWnd.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

ExImgWnd::ExImgWnd(PicMovieWnd* owner) : QWidget(owner, Qt::Window) {}

} // namespace kinoleaf
