#include "pages/WndDelPages.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

WndDelPages::WndDelPages(PicMovieWnd* owner) : ToolWnd(owner, true) {}

} // namespace kinoleaf
