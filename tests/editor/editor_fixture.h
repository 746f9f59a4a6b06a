#pragma once
// A main window on a temporary movie folder, driven through its named
// controls, with every box scripted.

#include "editor/IntroTextBox.h"
#include "editor/PageListBox.h"
#include "editor/PageRowsView.h"
#include "editor/PicMovieWnd.h"
#include "support/scripted_dialogs.h"

#include <QTemporaryDir>
#include <memory>

class QPlainTextEdit;

namespace kinoleaf::test {

inline const QString kBase = QStringLiteral("Kinoleaf制作器 v1.0 ");
inline const QString kUnsavedTitle = QStringLiteral("Kinoleaf制作器 v1.0  (未保存)");
inline const QString kQuestion = QStringLiteral("图解脚本未保存，是否保存？");

struct EditorFixture {
    EditorFixture();
    ~EditorFixture();

    // A folder under the temporary root, made with images and, when given,
    // a script (rows joined with CR LF and a final CR LF).
    QString makeMovie(const QString& name, const QStringList& images,
                      const std::optional<QStringList>& scriptRows = std::nullopt);
    // Opens the folder as the user does: the folder list moves there.
    void open(const QString& folder);
    void typeIntro(const QString& text);  // real key clicks into the intro box
    QString scriptBytesOf(const QString& folder) const;

    QStringList rows() const { return wnd->rows(); }
    PageRowsView* list() const { return wnd->ListMoviePics; }
    IntroTextBox* intro() const { return wnd->TxtMovieIntro; }

    QTemporaryDir root;
    ScriptedDialogs dialogs;
    std::unique_ptr<PicMovieWnd> wnd;
};

} // namespace kinoleaf::test
