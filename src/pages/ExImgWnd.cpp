#include "pages/ExImgWnd.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

ExImgWnd::ExImgWnd(PicMovieWnd* owner) : ToolWnd(owner, true) {}

} // namespace kinoleaf
