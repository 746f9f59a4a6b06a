#include "selection/SmartCutWnd.h"

#include "editor/PicMovieWnd.h"
#include "selection/SmartCutResultWnd.h"

namespace kinoleaf {

SmartCutWnd::SmartCutWnd(PicMovieWnd* owner)
    : ToolWnd(owner, true), m_wnd(owner), m_result(new SmartCutResultWnd(owner, this)) {}

SmartCutWnd::~SmartCutWnd() { delete m_result; }

} // namespace kinoleaf
