#pragma once

#include <QWidget>

namespace kinoleaf {

class PicMovieWnd;

class ImgSortWnd : public QWidget {
    Q_OBJECT
public:
    explicit ImgSortWnd(PicMovieWnd* owner);
};

} // namespace kinoleaf
