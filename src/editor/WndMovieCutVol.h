#pragma once
// The episode window: a snapshot of the movie's rows; the selected ones go,
// images and script, into a folder chosen in the picker.

#include "editor/ToolWnd.h"

namespace kinoleaf {

class FolderPickerWnd;
class PicMovieWnd;

class WndMovieCutVol : public ToolWnd {
    Q_OBJECT
public:
    // Beside the main window, which stays usable.
    explicit WndMovieCutVol(PicMovieWnd* owner);

private:
    PicMovieWnd* m_wnd;
    FolderPickerWnd* m_picker = nullptr;  // WndVolSaveTo, made at its first use
};

} // namespace kinoleaf
