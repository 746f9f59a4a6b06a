#pragma once
// The main window opened on a movie of script rows without pictures, its
// boxes answered and its journals kept in a temporary folder of its own.

#include "bench_gui.h"
#include "editor/PicMovieWnd.h"
#include "platform/dir_list_box.h"

#include <QTemporaryDir>

#include <memory>

namespace kinoleaf::bench {

struct ScriptOnlyEditor {
    QTemporaryDir tmp;
    QString movie;
    AnsweringDialogs dialogs;  // the pages have no pictures: their boxes are answered
    std::unique_ptr<PicMovieWnd> wnd;

    // False when the movie could not be written.
    bool open(int rows, bool shown = false) {
        qputenv("XDG_STATE_HOME", tmp.filePath("state").toUtf8());
        movie = tmp.filePath("movie");
        if (!writeScriptOnlyMovie(movie, rows)) return false;
        setDialogs(&dialogs);
        wnd = std::make_unique<PicMovieWnd>();
        if (shown) wnd->show();
        wnd->FilePathList->setPath(movie);
        wnd->FilePathList_Change();
        return true;
    }
    ~ScriptOnlyEditor() {
        wnd.reset();
        setDialogs(nullptr);
    }
};

} // namespace kinoleaf::bench
