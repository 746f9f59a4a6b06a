#pragma once

#include "editor/ToolWnd.h"

namespace kinoleaf {

class PicMovieWnd;

class ImgSortWnd : public ToolWnd {
    Q_OBJECT
public:
    explicit ImgSortWnd(PicMovieWnd* owner);
};

} // namespace kinoleaf
