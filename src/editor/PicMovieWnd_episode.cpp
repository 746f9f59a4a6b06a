// The main window's 分集 button.

#include "editor/FolderPickerWnd.h"
#include "editor/PicMovieWnd.h"
#include "editor/WndMovieCutVol.h"

namespace kinoleaf {

void PicMovieWnd::BtnMovieCut_Click() {
    WndMovieCutVol* wnd = movieCutWnd();
    // An episode on its way out keeps the pages chosen for it.
    if (wnd->picker() && wnd->picker()->isVisible()) {
        wnd->picker()->bringToFront();
        return;
    }
    wnd->LoadRows(rows());
    wnd->showCentred();
}

WndMovieCutVol* PicMovieWnd::movieCutWnd() {
    if (!m_movieCut) m_movieCut = new WndMovieCutVol(this);
    return m_movieCut;
}

} // namespace kinoleaf
