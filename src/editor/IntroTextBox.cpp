#include "editor/IntroTextBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextCursor>

namespace kinoleaf {

void IntroTextBox::insertRaw(const QString& raw) {
    if (isReadOnly()) return;
    const QTextCursor c = textCursor();
    const QString text = toPlainText();
    const int start = c.selectionStart(), end = c.selectionEnd();
    emit rawEdit(text.left(start) + raw + text.mid(end), start + static_cast<int>(raw.size()));
}

void IntroTextBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        insertRaw(QStringLiteral("\r\n"));
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void IntroTextBox::insertFromMimeData(const QMimeData* source) {
    if (source && source->hasText()) insertRaw(source->text());
}

} // namespace kinoleaf
