#pragma once

#include <QWidget>

namespace kinoleaf {

class PicMovieWnd;

class ExImgWnd : public QWidget {
    Q_OBJECT
public:
    explicit ExImgWnd(PicMovieWnd* owner);
};

} // namespace kinoleaf
