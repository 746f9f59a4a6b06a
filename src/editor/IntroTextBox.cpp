#include "editor/IntroTextBox.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QSignalBlocker>
#include <QTextCursor>

#include <algorithm>

namespace kinoleaf {

int introRawPosition(const QString& raw, int shownPosition) {
    int r = 0;
    const int n = int(raw.size());
    for (int s = 0; s < shownPosition && r < n; ++s) {
        // A text edit shows CR LF as one line break.
        r += (raw[r] == u'\r' && r + 1 < n && raw[r + 1] == u'\n') ? 2 : 1;
    }
    return r;
}

QString applyShownEdit(const QString& raw, const QString& shownBefore, const QString& shownAfter,
                       int& caret) {
    const int before = int(shownBefore.size()), after = int(shownAfter.size());
    int prefix = 0;
    while (prefix < before && prefix < after && shownBefore[prefix] == shownAfter[prefix]) ++prefix;
    int suffix = 0;
    while (suffix < before - prefix && suffix < after - prefix &&
           shownBefore[before - 1 - suffix] == shownAfter[after - 1 - suffix])
        ++suffix;
    const int rawStart = introRawPosition(raw, prefix);
    const int rawEnd = introRawPosition(raw, before - suffix);
    const QString inserted = shownAfter.mid(prefix, after - suffix - prefix);
    const int insertedEnd = prefix + int(inserted.size());
    if (caret <= prefix) {
        caret = introRawPosition(raw, caret);
    } else if (caret <= insertedEnd) {
        caret = rawStart + (caret - prefix);
    } else {
        const int intoSuffix = introRawPosition(raw, before - suffix + (caret - insertedEnd)) - rawEnd;
        caret = rawStart + int(inserted.size()) + intoSuffix;
    }
    return raw.left(rawStart) + inserted + raw.mid(rawEnd);
}

IntroTextBox::IntroTextBox(QWidget* parent) : QPlainTextEdit(parent) {
    connect(this, &QPlainTextEdit::textChanged, this, &IntroTextBox::onEdited);
}

void IntroTextBox::setText(const QString& text) { setText(text, textCursor().position()); }

void IntroTextBox::setText(const QString& text, int caret) {
    if (text == m_raw) return;  // an unchanged text raises no change
    m_raw = text;
    m_caret = caret;
    {
        const QSignalBlocker block(this);
        setPlainText(text);
        m_shown = toPlainText();
        QTextCursor c = textCursor();
        // A caret inside the text keeps its place: line breaks turn into
        // spaces one for one.
        c.setPosition(std::clamp(caret, 0, int(document()->characterCount()) - 1));
        setTextCursor(c);
    }
    emit Change();
}

void IntroTextBox::onEdited() {
    // The widget also reports edits that leave the text as it was.
    const QString shown = toPlainText();
    if (shown == m_shown) return;
    int caret = textCursor().position();
    const QString raw = applyShownEdit(m_raw, m_shown, shown, caret);
    m_shown = shown;
    if (raw == m_raw) return;
    m_raw = raw;
    m_caret = caret;
    emit Change();
}

void IntroTextBox::insertRaw(const QString& raw) {
    if (isReadOnly()) return;
    // A drag within the box removes the dragged text before it drops it
    // here, and Qt tells of that only after the drop: take it in first.
    onEdited();
    const QTextCursor c = textCursor();
    const int start = introRawPosition(m_raw, c.selectionStart());
    const int end = introRawPosition(m_raw, c.selectionEnd());
    setText(m_raw.left(start) + raw + m_raw.mid(end), start + int(raw.size()));
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
