#pragma once
// A tool window of the main window: shown without blocking, centred on its
// owner (or on the screen). One that must have the user's sole attention
// disables its owner when it is shown and enables it again however it is
// closed: its own buttons, the close box or Escape.
//
// Tool windows are top-level windows without a Qt parent: a disabled owner
// would disable its child windows with it. The owner deletes them.

#include <QPointer>
#include <QWidget>

#include <functional>

class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace kinoleaf {

class aicAlphaImage;

// Shows a picture in a tool window's picture box. One it can't show leaves
// the box saying why instead of the picture shown before; "" leaves it empty.
void showToolPicture(aicAlphaImage* box, const QString& path);

// The preview of a page list: the current row's picture (from folder) and
// its intro. Nothing changes while no row is current.
void showRowPreview(const QListWidget* list, aicAlphaImage* image, QPlainTextEdit* intro, const QString& folder);
// Empties a preview, so nothing of a movie shown before stays on view.
void clearRowPreview(aicAlphaImage* image, QPlainTextEdit* intro);
// A preview's intro box, some lines high. Read only: it shows the row's
// intro, and what is typed there would go nowhere.
QPlainTextEdit* makeIntroPreview(QWidget* parent, const char* name, const QString& text, int lines = 4);
// A tool window's button. Never a default button: Enter belongs to the
// control that has the focus.
QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QSize minimum = {96, 32});

// Closes the open tool windows that keep owner disabled, each as its close
// box would (its questions included), theirs first. False when one of them
// stays open (the user cancelled).
bool closeToolWindowsOf(QWidget* owner);

class ToolWnd : public QWidget {
    Q_OBJECT
public:
    ToolWnd(QWidget* owner, bool disablesOwner);
    ~ToolWnd() override;

    // Shows the window, not modal, centred on the owner or on the screen,
    // raised and active.
    void showCentred(bool onScreen = false);
    // Brings the window up above the others and gives it the keyboard.
    void bringToFront();
    QWidget* ownerWindow() const { return m_owner; }
    bool disablesOwner() const { return m_disablesOwner; }

protected:
    // Runs when the window is shown after being hidden (the owner is
    // already disabled when it should be).
    virtual void Form_Load() {}
    // Runs on every way of closing; false keeps the window open. The owner
    // is enabled again when the window closes.
    virtual bool Form_Unload() { return true; }
    void enableOwner();
    // For Form_Unload with changes not applied yet: Yes applies them (with
    // the owner enabled first, as it will be), No drops them, Cancel keeps
    // the window open (false).
    bool askToApply(const QString& question, const std::function<void()>& apply);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The owner's clicks while this window keeps it disabled.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The window system keeps a tool above its owner and minimises it with
    // the owner.
    void stayWithOwner();

    QPointer<QWidget> m_owner;
    bool m_disablesOwner;
};

} // namespace kinoleaf
