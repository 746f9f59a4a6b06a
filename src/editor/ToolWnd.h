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

namespace kinoleaf {

class aicAlphaImage;

// Shows a picture in a tool window's picture box. One it can't show leaves
// the box saying why instead of the picture shown before; "" leaves it empty.
void showToolPicture(aicAlphaImage* box, const QString& path);

class ToolWnd : public QWidget {
    Q_OBJECT
public:
    ToolWnd(QWidget* owner, bool disablesOwner);
    ~ToolWnd() override;

    // Shows the window, not modal, centred on the owner or on the screen.
    void showCentred(bool onScreen = false);

protected:
    // Runs when the window is shown after being hidden (the owner is
    // already disabled when it should be).
    virtual void Form_Load() {}
    // Runs on every way of closing; false keeps the window open. The owner
    // is enabled again when the window closes.
    virtual bool Form_Unload() { return true; }
    QWidget* ownerWindow() const { return m_owner; }
    void enableOwner();

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPointer<QWidget> m_owner;
    bool m_disablesOwner;
};

} // namespace kinoleaf
