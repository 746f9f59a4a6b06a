#include "pages/ImgSortWnd.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

ImgSortWnd::ImgSortWnd(PicMovieWnd* owner) : ToolWnd(owner, true) {}

} // namespace kinoleaf
