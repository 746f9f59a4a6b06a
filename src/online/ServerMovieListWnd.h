#pragma once

#include "editor/ToolWnd.h"

namespace kinoleaf {

class PicMovieWnd;

class ServerMovieListWnd : public ToolWnd {
    Q_OBJECT
public:
    explicit ServerMovieListWnd(PicMovieWnd* owner);
};

} // namespace kinoleaf
