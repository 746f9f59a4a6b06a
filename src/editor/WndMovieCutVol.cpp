#include "editor/WndMovieCutVol.h"

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

WndMovieCutVol::WndMovieCutVol(PicMovieWnd* owner) : ToolWnd(owner, false), m_wnd(owner) {}

} // namespace kinoleaf
