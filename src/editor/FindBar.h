#pragma once
// The find bar of the main window: a strip laid over the bottom edge of
// the picture, so the window's drawn layout stays as it is. It holds what
// is being found (kept when it closes, for F3) and raises the user's
// requests; the window does the finding.

#include "editor/find_text.h"

#include <QFrame>

class QCheckBox;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kinoleaf {

class FindBar : public QFrame {
    Q_OBJECT
public:
    // Lies over anchor's bottom edge and follows it.
    FindBar(QWidget* parent, QWidget* anchor);

    // Shows the bar, with the replace row or without, the find field focused.
    void open(bool replacing);
    bool replacing() const;

    QString needle() const;
    QString replacement() const;
    find::Options options() const;
    void setNeedle(const QString& text);
    void setCountText(const QString& text);
    QString countText() const;
    bool contains(const QWidget* w) const { return w && (w == this || isAncestorOf(w)); }

    // The match last gone to; row −1 for none.
    find::Match current;

    QLineEdit* TxtFind;
    QLineEdit* TxtReplace;
    QCheckBox* ChkFindCase;
    QCheckBox* ChkFindNames;
    QPushButton* BtnFindPrev;
    QPushButton* BtnFindNext;
    QPushButton* BtnReplaceOne;
    QPushButton* BtnReplaceAll;
    QPushButton* BtnFindClose;
    QLabel* LabelFindCount;

signals:
    void edited();  // the text or an option changed
    void nextRequested();
    void previousRequested();
    void replaceOneRequested();
    void replaceAllRequested();
    void closeRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QWidget* m_anchor;
    QHBoxLayout* m_findRow;
    QWidget* m_replaceRow;
    QWidget* m_options;  // the two check boxes
};

} // namespace kinoleaf
