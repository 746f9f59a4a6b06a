#include "online/ServerMovieListWnd.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

ServerMovieListWnd::ServerMovieListWnd(PicMovieWnd* owner) : ToolWnd(owner, false) {}

} // namespace kinoleaf
