#include "pages/ImgSortWnd.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

ImgSortWnd::ImgSortWnd(PicMovieWnd* owner) : QWidget(owner, Qt::Window) {}

} // namespace kinoleaf
