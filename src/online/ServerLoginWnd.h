#pragma once

#include "editor/ToolWnd.h"

namespace kinoleaf {

class PicMovieWnd;

class ServerLoginWnd : public ToolWnd {
    Q_OBJECT
public:
    explicit ServerLoginWnd(PicMovieWnd* owner);
};

} // namespace kinoleaf
