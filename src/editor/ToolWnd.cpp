#include "editor/ToolWnd.h"

#include "editor/PicMovieWnd.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

#include <QBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

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
