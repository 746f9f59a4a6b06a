#include "editor/ToolWnd.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>

namespace kinoleaf {

ToolWnd::ToolWnd(QWidget* owner, bool disablesOwner)
    : QWidget(nullptr, Qt::Window), m_owner(owner), m_disablesOwner(disablesOwner) {}

ToolWnd::~ToolWnd() {
    if (isVisible()) enableOwner();
}

void ToolWnd::showCentred(bool onScreen) {
    ensurePolished();
    adjustSize();
    QRect frame = frameGeometry();
    const QWidget* around = onScreen ? nullptr : m_owner.data();
    if (around && around->isVisible()) {
        frame.moveCenter(around->frameGeometry().center());
    } else if (const QScreen* s = (m_owner ? m_owner->screen() : screen())) {
        frame.moveCenter(s->availableGeometry().center());
    }
    move(frame.topLeft());
    show();
    raise();
    activateWindow();
}

void ToolWnd::enableOwner() {
    if (m_owner && m_disablesOwner) m_owner->setEnabled(true);
}

void ToolWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;  // the window system showing it again
    if (m_owner && m_disablesOwner) m_owner->setEnabled(false);
    Form_Load();
}

void ToolWnd::closeEvent(QCloseEvent* event) {
    if (!Form_Unload()) {
        event->ignore();
        return;
    }
    enableOwner();
    event->accept();
}

void ToolWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();  // through Form_Unload, as the close box
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kinoleaf
