#include "platform/qt_dialogs.h"

#include <QApplication>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QSpacerItem>

namespace kinoleaf {
namespace {

QMessageBox::Icon toQt(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information: return QMessageBox::Information;
    case MsgIcon::Exclamation: return QMessageBox::Warning;
    case MsgIcon::Question: return QMessageBox::Question;
    case MsgIcon::Critical: return QMessageBox::Critical;
    case MsgIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

// Boxes belong to the active window so they stay on top of it.
QWidget* owner() { return QApplication::activeWindow(); }

Answer ask(const QString& text, const QString& title, QMessageBox::StandardButtons buttons) {
    QMessageBox box(QMessageBox::Question, titleOr(title), text, buttons, owner());
    fitToTitle(box);
    switch (box.exec()) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    default: return Answer::Cancel;
    }
}

} // namespace

void fitToTitle(QMessageBox& box) {
    // A box sizes itself to its text only; "没有下一页了" alone would cut
    // the title. Room for the title in the window manager's (often bolder)
    // font, and for the title bar's buttons.
    const int width = box.fontMetrics().horizontalAdvance(box.windowTitle()) * 5 / 4 + 160;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
}

void QtDialogs::message(const QString& text, MsgIcon icon, const QString& title) {
    QMessageBox box(toQt(icon), titleOr(title), text, QMessageBox::Ok, owner());
    fitToTitle(box);
    box.exec();
}

Answer QtDialogs::askYesNo(const QString& text, const QString& title) {
    // Closing a Yes/No box with Escape or the title bar means No.
    const Answer a = ask(text, title, QMessageBox::Yes | QMessageBox::No);
    return a == Answer::Yes ? Answer::Yes : Answer::No;
}

Answer QtDialogs::askYesNoCancel(const QString& text, const QString& title) {
    return ask(text, title, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
}

std::optional<QString> QtDialogs::input(const QString& prompt, const QString& title,
                                        const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(owner(), titleOr(title), prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

} // namespace kinoleaf
