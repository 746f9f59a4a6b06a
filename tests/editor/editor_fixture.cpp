#include "editor_fixture.h"

#include "model/script_file.h"
#include "platform/dir_list_box.h"
#include "support/test_files.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest>

namespace kinoleaf::test {

EditorFixture::EditorFixture() : wnd(std::make_unique<PicMovieWnd>()) {
    wnd->show();
    QVERIFY(QTest::qWaitForWindowExposed(wnd.get()));
    // Keys go to the focused control only in the active window.
    QApplication::setActiveWindow(wnd.get());
    QVERIFY(QTest::qWaitForWindowActive(wnd.get()));
}

EditorFixture::~EditorFixture() { wnd.reset(); }

QString EditorFixture::makeMovie(const QString& name, const QStringList& images,
                                 const std::optional<QStringList>& scriptRows) {
    const QString dir = QDir(root.path()).filePath(name);
    QDir().mkpath(dir);
    int hue = 0;
    for (const QString& img : images) writeImage(dir, img, {16, 12}, QColor::fromHsv((hue += 40) % 360, 200, 200));
    if (scriptRows) {
        QString text;
        for (const QString& r : *scriptRows) text += r + QStringLiteral("\r\n");
        writeBytes(dir, script::kFileName, gbkBytes(text));
    }
    return dir;
}

void EditorFixture::open(const QString& folder) {
    wnd->FilePathList->setPath(folder);
    // The offscreen platform hands activation to no one when the progress
    // window closes; a window manager gives it back to the main window.
    QApplication::setActiveWindow(wnd.get());
}

void EditorFixture::typeIntro(const QString& text) {
    intro()->setFocus();
    intro()->moveCursor(QTextCursor::End);
    // QTest only knows Latin-1 keys: send each character as the text of a
    // key event, as an input method delivers it.
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(intro(), &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(intro(), &release);
    }
}

QString EditorFixture::scriptBytesOf(const QString& folder) const {
    return QString::fromLatin1(readBytes(QDir(folder).filePath(script::kFileName)).toHex());
}

} // namespace kinoleaf::test
