// Find and replace in the intros, and the page jumps of a long movie:
// Ctrl+F, F3 / Shift+F3, Ctrl+H, Ctrl+J and Ctrl+G. A page is shown
// through setSelectedRow, as a click shows it, so what the intro box holds
// is always the row's text and an intro being typed is never lost.

#include "editor/FindBar.h"
#include "editor/IntroTextBox.h"
#include "editor/MovieHistory.h"
#include "editor/PageRowsView.h"
#include "editor/PicMovieWnd.h"
#include "editor/find_text.h"
#include "editor/replace_command.h"
#include "model/page_row.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTextCursor>

namespace kinoleaf {
namespace {

bool isKey(const QKeyEvent* key, int code, Qt::KeyboardModifiers mods) {
    return key->key() == code && (key->modifiers() & ~Qt::KeypadModifier) == mods;
}

// A position in an intro's text to where the box shows it: the box shows
// a CR LF pair as one line break.
int shownPosition(const QString& raw, int rawPosition) {
    return rawPosition - int(QStringView(raw).left(rawPosition).count(u"\r\n"));
}

// The bar's text to find and its replacement, when a replacement can be
// made: nothing to find does nothing; a replacement the script cannot hold
// is refused with the reason.
bool replacementAsked(const FindBar& bar, QString& needle, QString& replacement) {
    needle = bar.needle();
    replacement = bar.replacement();
    if (needle.isEmpty()) return false;
    if (const QString why = find::refusedReplacement(replacement); !why.isEmpty()) {
        dialogs().message(why, MsgIcon::Exclamation);
        return false;
    }
    return true;
}

} // namespace

std::optional<bool> PicMovieWnd::handleFindKey(QKeyEvent* key, QWidget* focused) {
    const bool inBar = m_findBar && m_findBar->contains(focused);
    if (isKey(key, Qt::Key_F, Qt::ControlModifier)) openFindBar(false);
    else if (isKey(key, Qt::Key_H, Qt::ControlModifier)) openFindBar(true);
    else if (isKey(key, Qt::Key_F3, Qt::NoModifier)) findStep(true);
    else if (isKey(key, Qt::Key_F3, Qt::ShiftModifier)) findStep(false);
    else if (isKey(key, Qt::Key_J, Qt::ControlModifier)) goToPageWithoutIntro();
    else if (isKey(key, Qt::Key_G, Qt::ControlModifier)) askPageToGoTo();
    else if (isKey(key, Qt::Key_Escape, Qt::NoModifier) && m_findBar && m_findBar->isVisible()) closeFindBar();
    else if (!inBar) return std::nullopt;
    else if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
        if (focused == m_findBar->TxtReplace) replaceCurrentMatch();
        else if (focused == m_findBar->TxtFind) findStep(!(key->modifiers() & Qt::ShiftModifier));
        else return false;  // a button or box of the bar: its own Enter
    } else {
        // Typed into the bar: neither an undo of the pages nor a page turn.
        return false;
    }
    return true;
}

FindBar* PicMovieWnd::findBar() {
    if (m_findBar) return m_findBar;
    m_findBar = new FindBar(this, PicMovieImg);
    connect(m_findBar, &FindBar::edited, this, &PicMovieWnd::findFromCurrentPage);
    connect(m_findBar, &FindBar::nextRequested, this, [this] { findStep(true); });
    connect(m_findBar, &FindBar::previousRequested, this, [this] { findStep(false); });
    connect(m_findBar, &FindBar::replaceOneRequested, this, &PicMovieWnd::replaceCurrentMatch);
    connect(m_findBar, &FindBar::replaceAllRequested, this, &PicMovieWnd::replaceAllMatches);
    connect(m_findBar, &FindBar::closeRequested, this, &PicMovieWnd::closeFindBar);
    return m_findBar;
}

void PicMovieWnd::openFindBar(bool replacing) {
    FindBar* bar = findBar();
    // Text selected in the intro box is what the user means to find.
    const QString selected = TxtMovieIntro->textCursor().selectedText();
    const bool seeded = !selected.isEmpty() && !selected.contains(QChar::ParagraphSeparator) &&
                        QApplication::focusWidget() == TxtMovieIntro && selected != bar->needle();
    const bool wasOpen = bar->isVisible();
    if (seeded) bar->setNeedle(selected);
    bar->open(replacing);
    if (wasOpen && !seeded) return;  // Ctrl+H on Ctrl+F: same place
    // The match F3 went to while the bar was closed stays the one shown.
    const find::Match& at = bar->current;
    if (!seeded && at.row == selectedRow() && find::stillMatches(rows(), at, bar->needle(), bar->options()))
        showFindMatch(find::findFrom(rows(), bar->needle(), bar->options(), at.row, at.at, true, true), true);
    else findFromCurrentPage();
}

void PicMovieWnd::closeFindBar() {
    if (!m_findBar) return;
    const bool hadFocus = m_findBar->contains(QApplication::focusWidget());
    m_findBar->hide();
    if (hadFocus) {
        if (TxtMovieIntro->isEnabled()) TxtMovieIntro->setFocus();
        else ListMoviePics->setFocus();
    }
}

void PicMovieWnd::findFromCurrentPage() {
    FindBar* bar = findBar();
    if (bar->needle().isEmpty()) {
        bar->current = {};
        bar->setCountText({});
        return;
    }
    showFindMatch(find::findFrom(rows(), bar->needle(), bar->options(), std::max(selectedRow(), 0), 0, true, true),
                  true);
}

void PicMovieWnd::findStep(bool forward) {
    FindBar* bar = findBar();
    if (bar->needle().isEmpty()) {
        openFindBar(false);
        return;
    }
    // From the match last gone to while it is on the page shown; else from
    // the start of that page.
    const QStringList all = rows();
    const find::Match& at = bar->current;
    const bool fromMatch = at.row == selectedRow() && find::stillMatches(all, at, bar->needle(), bar->options());
    showFindMatch(fromMatch ? find::findFrom(all, bar->needle(), bar->options(), at.row, at.at, forward, false)
                            : find::findFrom(all, bar->needle(), bar->options(), std::max(selectedRow(), 0), 0,
                                             forward, forward),
                  forward);
}

void PicMovieWnd::showFindMatch(const find::Found& found, bool forward) {
    FindBar* bar = findBar();
    const QString count = find::countText(found.index, found.total);
    bar->setCountText(count);
    if (found.index < 0) {
        bar->current = {};
        ShowLogMessage(QStringLiteral(">_< 没有找到“%1”").arg(bar->needle()));
        return;
    }
    const find::Match& m = found.match;
    bar->current = m;
    if (selectedRow() != m.row) setSelectedRow(m.row);
    if (found.wrapped)
        ShowLogMessage(forward ? QStringLiteral("已找到最后一页，从第一页接着找")
                               : QStringLiteral("已找到第一页，从最后一页接着找"));
    else ShowLogMessage(QStringLiteral("查找“%1”：%2").arg(bar->needle(), count));
    if (m.inName) return;  // the page list shows the name
    // Selected in the box only when it shows that row's intro (a picture
    // that cannot be shown leaves the box disabled, on the page before).
    const QString row = rowText(m.row);
    const QString intro = introOfRow(row);
    if (!TxtMovieIntro->isEnabled() || TxtMovieIntro->text() != intro) return;
    const int start = m.at - find::introStart(row);
    QTextCursor c = TxtMovieIntro->textCursor();
    c.setPosition(shownPosition(intro, start));
    c.setPosition(shownPosition(intro, start + m.length), QTextCursor::KeepAnchor);
    TxtMovieIntro->setTextCursor(c);
    TxtMovieIntro->ensureCursorVisible();
}

void PicMovieWnd::replaceCurrentMatch() {
    FindBar* bar = findBar();
    QString needle, replacement;
    if (!replacementAsked(*bar, needle, replacement)) return;
    // Names are never replaced: only intro matches count here.
    const find::Options options{bar->options().caseSensitive, false};
    const QStringList all = rows();
    const find::Match m = bar->current;
    if (m.row != selectedRow() || m.inName || !find::stillMatches(all, m, needle, options)) {
        // Nothing found on this page yet: the first press shows what the
        // next one replaces.
        showFindMatch(find::findFrom(all, needle, options, std::max(selectedRow(), 0), 0, true, true), true);
        return;
    }
    const QString before = all[m.row];
    const QString after = find::replaceOne(before, m, replacement);
    {
        const MovieHistory::Hold applying = m_history->hold();
        setRowText(m.row, after);
    }
    m_history->record(new ReplaceIntrosCommand(*this, QStringLiteral("替换第 %1 页的“%2”").arg(m.row + 1).arg(needle),
                                               {{m.row, before, after}}));
    MarkUnsaved();
    setSelectedRow(m.row);  // the box shows the row as it now is
    // On from just after the text put in, so it is never found again.
    showFindMatch(find::findFrom(rows(), needle, options, m.row, m.at + int(replacement.size()), true, true), true);
}

void PicMovieWnd::replaceAllMatches() {
    FindBar* bar = findBar();
    QString needle, replacement;
    if (!replacementAsked(*bar, needle, replacement)) return;
    find::Replaced result = find::replaceAll(rows(), needle, replacement, {bar->options().caseSensitive, false});
    if (result.count == 0) {
        bar->current = {};
        bar->setCountText(find::countText(-1, 0));
        return;
    }
    if (dialogs().askYesNo(QStringLiteral("将把 %1 处“%2”替换为“%3”，继续吗？")
                               .arg(result.count)
                               .arg(needle, replacement)) != Answer::Yes)
        return;
    if (result.changes.isEmpty()) {
        // Each match replaced by itself (another case at most): no change.
        bar->setCountText(QStringLiteral("已替换 %1 处").arg(result.count));
        return;
    }
    {
        const MovieHistory::Hold applying = m_history->hold();
        for (const find::RowChange& c : result.changes) setRowText(c.row, c.after);
    }
    m_history->record(new ReplaceIntrosCommand(
        *this, QStringLiteral("全部替换“%1”（%2 处）").arg(needle).arg(result.count), std::move(result.changes)));
    MarkUnsaved();
    if (selectedRow() >= 0) setSelectedRow(selectedRow());  // the box shows the row as it now is
    bar->current = {};
    bar->setCountText(QStringLiteral("已替换 %1 处").arg(result.count));
    ShowLogMessage(QStringLiteral(">o< 已替换 %1 处“%2”").arg(result.count).arg(needle));
}

void PicMovieWnd::goToPageWithoutIntro() {
    if (rowCount() == 0) {
        ShowLogMessage(QStringLiteral(">_< 还没有页面"));
        return;
    }
    const int row = find::nextPageWithoutIntro(rows(), selectedRow());
    if (row < 0) {
        ShowLogMessage(QStringLiteral(">o< 每一页都写了解说"));
        return;
    }
    setSelectedRow(row);
    ShowLogMessage(QStringLiteral("第 %1 页还没有解说").arg(row + 1));
    // Ready to write it.
    if (TxtMovieIntro->isEnabled()) TxtMovieIntro->setFocus();
}

void PicMovieWnd::askPageToGoTo() {
    if (rowCount() == 0) {
        ShowLogMessage(QStringLiteral(">_< 还没有页面"));
        return;
    }
    const std::optional<QString> typed =
        dialogs().input(QStringLiteral("跳到第几页？（1 到 %1）").arg(rowCount()), QStringLiteral("跳转"),
                        QString::number(std::max(selectedRow(), 0) + 1));
    if (!typed) return;
    const find::PageNumber page = find::parsePageNumber(*typed, rowCount());
    if (!page.row) {
        dialogs().message(page.why, MsgIcon::Exclamation);
        return;
    }
    setSelectedRow(*page.row);
}

} // namespace kinoleaf
