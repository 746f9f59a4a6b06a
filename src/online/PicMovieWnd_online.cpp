// The main window's connect button (created hidden; nothing shows it) and
// the online windows it opens.

#include "editor/PicMovieWnd.h"
#include "online/ServerLoginWnd.h"
#include "online/ServerMovieListWnd.h"

namespace kinoleaf {

void PicMovieWnd::BtnLinkServer_Click() {
    if (loginWnd()->login_UserName.isEmpty()) loginWnd()->showCentred();
    else movieListWnd()->showCentred();
}

ServerLoginWnd* PicMovieWnd::loginWnd() {
    if (!m_login) m_login = new ServerLoginWnd(this);
    return m_login;
}

ServerMovieListWnd* PicMovieWnd::movieListWnd() {
    if (!m_movieList) m_movieList = new ServerMovieListWnd(this);
    return m_movieList;
}

} // namespace kinoleaf
