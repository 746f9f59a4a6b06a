#include "editor/ToolWnd.h"

#include "editor/PicMovieWnd.h"
#include "editor/readable_controls.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <QApplication>
#include <QCloseEvent>
#include <QWindow>
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

void showRowPreview(const QListWidget* list, aicAlphaImage* image, QPlainTextEdit* intro, const QString& folder) {
    const QListWidgetItem* item = list->currentItem();
    if (!item) return;
    const QString row = item->text();
    showToolPicture(image, joinPath(folder, PicMovieWnd::GetImageNameWithRowStr(row)));
    intro->setPlainText(PicMovieWnd::GetImageIntroWithRowStr(row));
}

void clearRowPreview(aicAlphaImage* image, QPlainTextEdit* intro) {
    showToolPicture(image, {});
    intro->clear();
}

QPlainTextEdit* makeIntroPreview(QWidget* parent, const char* name, const QString& text, int lines) {
    auto* intro = new QPlainTextEdit(text, parent);
    intro->setObjectName(QLatin1String(name));
    intro->setReadOnly(true);
    intro->setFixedHeight(intro->fontMetrics().lineSpacing() * lines + 12);
    return intro;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption, QSize minimum) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setMinimumSize(minimum);
    button->setAutoDefault(false);
    return button;
}

bool closeToolWindowsOf(QWidget* owner) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* tool = qobject_cast<ToolWnd*>(w);
        if (!tool || tool->ownerWindow() != owner || !tool->disablesOwner() || !tool->isVisible()) continue;
        if (!tool->close()) return false;
    }
    return true;
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
    bringToFront();
}

void ToolWnd::bringToFront() {
    if (isMinimized()) showNormal();
    raise();
    activateWindow();
}

void ToolWnd::stayWithOwner() {
    if (!m_owner) return;
    QWidget* top = m_owner->window();
    top->winId();  // the owner's window exists before it can be pointed at
    winId();
    if (QWindow* own = windowHandle()) own->setTransientParent(top->windowHandle());
    if (m_disablesOwner && top->windowHandle()) top->windowHandle()->installEventFilter(this);
}

bool ToolWnd::eventFilter(QObject* watched, QEvent* event) {
    // A click on the owner it keeps disabled brings this window up: the
    // user sees at once what waits for them.
    if (event->type() == QEvent::MouseButtonPress && m_owner && watched == m_owner->window()->windowHandle() &&
        isVisible() && !m_owner->isEnabled()) {
        bringToFront();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void ToolWnd::enableOwner() {
    if (m_owner && m_disablesOwner) {
        m_owner->setEnabled(true);
        if (QWindow* top = m_owner->window()->windowHandle()) top->removeEventFilter(this);
    }
}

bool ToolWnd::askToApply(const QString& question, const std::function<void()>& apply) {
    switch (dialogs().askYesNoCancel(question)) {
    case Answer::Yes:
        enableOwner();
        apply();
        return true;
    case Answer::No:
        return true;
    default:
        return false;
    }
}

void ToolWnd::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (event->spontaneous()) return;  // the window system showing it again
    stayWithOwner();
    if (m_owner && m_disablesOwner) m_owner->setEnabled(false);
    Form_Load();
    makeReadable(this);
}

void ToolWnd::closeEvent(QCloseEvent* event) {
    // A tool that this one keeps waiting goes first, as its own close box
    // would have it: nothing is applied to a window that is gone.
    if (!closeToolWindowsOf(this) || !Form_Unload()) {
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
