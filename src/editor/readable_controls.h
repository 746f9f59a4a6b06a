#pragma once
// Screen readers and the Tab key: every control of a window gets an
// accessible name from its caption, and Tab walks the controls in the order
// a reader's eye takes over the drawn window.

#include <QList>
#include <QRect>
#include <QString>

class QWidget;

namespace kinoleaf {

// Indexes of rects in reading order: lines from top to bottom, left to
// right within a line. Rects whose tops lie within lineTolerance of the
// first rect of a line belong to that line.
QList<int> readingOrder(const QList<QRect>& rects, int lineTolerance = 8);

// A caption as a screen reader should say it: no mnemonic '&', no spaces
// set between Chinese characters for looks ("确 定" reads "确定"), no
// label's closing colon.
QString spokenCaption(const QString& caption);

// Names each control of the window that has no accessible name yet: buttons
// by their caption, a label's buddy by the label, a line edit by its
// placeholder, known controls without a caption (lists, picture and intro
// boxes) by what they show, any other by the label left of it or
// above it. Then sets the Tab order to the reading order. Safe to run again.
void makeReadable(QWidget* window);

} // namespace kinoleaf
