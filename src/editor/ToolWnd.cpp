#include "editor/ToolWnd.h"

#include "platform/aic_alpha_image.h"

#include <QBoxLayout>
#include <QLabel>

#include <QCloseEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QShowEvent>

namespace kinoleaf {

void showToolPicture(aicAlphaImage* box, const QString& path) {
    // A note over the box, in its place when there is no picture to show:
    // a missing file must not leave the page before on view.
    auto* note = box->findChild<QLabel*>(QStringLiteral("pictureNote"), Qt::FindDirectChildrenOnly);
    if (!note) {
        note = new QLabel(box);
        note->setObjectName(QStringLiteral("pictureNote"));
        note->setAlignment(Qt::AlignCenter);
        note->setAutoFillBackground(true);
        // It takes the box's room and asks the window for none.
        note->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        auto* cover = new QVBoxLayout(box);
        cover->setContentsMargins(0, 0, 0, 0);
        cover->addWidget(note);
        note->hide();
        QObject::connect(box, &aicAlphaImage::imageShown, note, &QWidget::hide);
        QObject::connect(box, &aicAlphaImage::imageFailed, note, [note](const QString&, const QString& why) {
            note->setText(QStringLiteral("图片无法显示：") + why);
            note->show();
        });
    }
    if (path.isEmpty()) {
        box->cancelPending();
        note->clear();
        note->show();
        return;
    }
    switch (box->showImage(path)) {
    case aicAlphaImage::ShowState::Shown:
        note->hide();
        break;
    case aicAlphaImage::ShowState::Failed:
        note->setText(QStringLiteral("图片无法显示：") + box->lastError());
        note->show();
        break;
    case aicAlphaImage::ShowState::Pending:
        break;  // imageShown or imageFailed follows
    }
}

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
