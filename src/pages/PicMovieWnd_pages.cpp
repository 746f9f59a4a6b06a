// The main window's page operations: insert, delete, replace, move.

#include "editor/PicMovieWnd.h"
#include "pages/ExImgWnd.h"

namespace kinoleaf {

void PicMovieWnd::BtnInsertPage_Click() {}
void PicMovieWnd::BtnDelPage_Click() {}
void PicMovieWnd::BtnChangePage_Click() {}
void PicMovieWnd::BtnUpImg_Click() {}
void PicMovieWnd::BtnDownImg_Click() {}
void PicMovieWnd::DeleteOneImage(const QString&) {}
void PicMovieWnd::ExNowImageWithImageNamed(const QString&) {}

ExImgWnd* PicMovieWnd::exImgWnd() {
    if (!m_exImg) m_exImg = new ExImgWnd(this);
    return m_exImg;
}

} // namespace kinoleaf
