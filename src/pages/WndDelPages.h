#pragma once

#include <QWidget>

namespace kinoleaf {

class PicMovieWnd;

class WndDelPages : public QWidget {
    Q_OBJECT
public:
    explicit WndDelPages(PicMovieWnd* owner);
};

} // namespace kinoleaf
