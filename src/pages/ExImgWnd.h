#pragma once

#include "editor/ToolWnd.h"

namespace kinoleaf {

class PicMovieWnd;

class ExImgWnd : public ToolWnd {
    Q_OBJECT
public:
    explicit ExImgWnd(PicMovieWnd* owner);
};

} // namespace kinoleaf
