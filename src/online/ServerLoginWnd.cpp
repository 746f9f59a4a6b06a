#include "online/ServerLoginWnd.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

ServerLoginWnd::ServerLoginWnd(PicMovieWnd* owner) : ToolWnd(owner, true) {}

} // namespace kinoleaf
