// The main window's 筛选 button.

#include "editor/PicMovieWnd.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/SmartCutWnd.h"

namespace kinoleaf {

void PicMovieWnd::BtnImgCut_Click() {
    SmartCutWnd* wnd = smartCutWnd();
    wnd->resultWnd()->clearRows();
    wnd->LoadRows(rows());
    wnd->showCentred();
}

SmartCutWnd* PicMovieWnd::smartCutWnd() {
    if (!m_smartCut) m_smartCut = new SmartCutWnd(this);
    return m_smartCut;
}

} // namespace kinoleaf
