#pragma once
// The intro box. Enter and pasted text reach the editor with their CR and
// LF as they came (Enter is CR LF), so each becomes a space of its own,
// instead of the paragraph breaks a plain Qt text edit would make of them.

#include <QPlainTextEdit>

namespace kinoleaf {

class IntroTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    using QPlainTextEdit::QPlainTextEdit;
    // Replaces the selection by raw text, as typing or pasting it does.
    void insertRaw(const QString& raw);

signals:
    // The whole text after the insertion, line breaks untouched, and where
    // the caret goes.
    void rawEdit(const QString& text, int caret);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;
};

} // namespace kinoleaf
