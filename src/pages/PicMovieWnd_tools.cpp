// The main window's buttons that open batch deletion and reordering.

#include "editor/PicMovieWnd.h"
#include "pages/ImgSortWnd.h"
#include "pages/WndDelPages.h"

namespace kinoleaf {

void PicMovieWnd::BtnDelMorePages_Click() {
    WndDelPages* wnd = wndDelPages();
    wnd->LoadRows(rows());
    wnd->showCentred();
}

void PicMovieWnd::BtnImgSort_Click() {
    ImgSortWnd* wnd = imgSortWnd();
    wnd->LoadRows(rows());
    wnd->showCentred();
}

WndDelPages* PicMovieWnd::wndDelPages() {
    if (!m_delPages) m_delPages = new WndDelPages(this);
    return m_delPages;
}

ImgSortWnd* PicMovieWnd::imgSortWnd() {
    if (!m_imgSort) m_imgSort = new ImgSortWnd(this);
    return m_imgSort;
}

} // namespace kinoleaf
