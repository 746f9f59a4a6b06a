#pragma once

#include "editor/ToolWnd.h"

namespace kinoleaf {

class PicMovieWnd;

class WndDelPages : public ToolWnd {
    Q_OBJECT
public:
    explicit WndDelPages(PicMovieWnd* owner);
};

} // namespace kinoleaf
