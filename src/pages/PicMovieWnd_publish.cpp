// The main window's validation and publishing.

#include "editor/PicMovieWnd.h"

namespace kinoleaf {

void PicMovieWnd::BtnExportTj_Click() {}
void PicMovieWnd::ValidateAndPublish() {}

} // namespace kinoleaf
