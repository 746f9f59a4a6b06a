#pragma once
// The intro box. Its text, as the handlers see it, keeps CR and LF as they
// came (Enter is CR LF, pasted line breaks stay as they were), so each
// becomes a space of its own; a plain Qt text edit would keep only
// paragraph breaks. Like the text box it stands for, it raises Change for
// every change of that text, by typing or by program, and for no other.

#include <QPlainTextEdit>

namespace kinoleaf {

// Where a position of the text as a text edit shows it (a CR LF pair shown
// as one line break) lies in the text itself.
int introRawPosition(const QString& raw, int shownPosition);

// The text after an edit of the shown text: the part the edit left alone
// keeps its own characters (a CR LF pair stays a pair), the edited part is
// what the edit put there. caret goes in as a shown position and comes
// out as a position in the result.
QString applyShownEdit(const QString& raw, const QString& shownBefore, const QString& shownAfter,
                       int& caret);

class IntroTextBox : public QPlainTextEdit {
    Q_OBJECT
public:
    explicit IntroTextBox(QWidget* parent = nullptr);

    QString text() const { return m_raw; }
    // Where the caret belongs in text().
    int caret() const { return m_caret; }
    // Sets the text, keeping the caret where it was; Change follows when
    // the text differs.
    void setText(const QString& text);
    // The same, with the caret put at a position of the new text.
    void setText(const QString& text, int caret);
    // Replaces the selection by raw text, as typing or pasting it does.
    void insertRaw(const QString& raw);

signals:
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void insertFromMimeData(const QMimeData* source) override;

private:
    void onEdited();

    QString m_raw;
    QString m_shown;  // the widget's text for m_raw
    int m_caret = 0;
};

} // namespace kinoleaf
