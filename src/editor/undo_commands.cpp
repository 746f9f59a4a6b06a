#include "editor/undo_commands.h"

#include "editor/PicMovieWnd.h"
#include "pages/deleted_images.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

#include <QFileInfo>

#include <utility>

namespace kinoleaf {

MovieCommand::MovieCommand(PicMovieWnd& wnd, const QString& text) : m_wnd(wnd) { setText(text); }

void MovieCommand::redo() {
    m_failed = m_broken = false;
    if (std::exchange(m_skip, false)) return;
    apply();
}

void MovieCommand::undo() {
    m_failed = m_broken = false;
    if (std::exchange(m_skip, false)) return;
    revert();
}

// ---------------------------------------------------------------- intro typing

IntroEditCommand::IntroEditCommand(PicMovieWnd& wnd, int row, const QString& before, const QString& after,
                                   qint64 at)
    : MovieCommand(wnd, QStringLiteral("修改第 %1 页的解说").arg(row + 1)),
      m_row(row), m_before(before), m_after(after), m_at(at) {}

bool IntroEditCommand::mergeWith(const QUndoCommand* other) {
    const auto* next = static_cast<const IntroEditCommand*>(other);
    // One phrase is one step: another page, or a pause, starts the next.
    if (next->m_row != m_row || next->m_at - m_at > kPauseMs) return false;
    m_after = next->m_after;
    m_at = next->m_at;
    setObsolete(m_after == m_before);
    return true;
}

void IntroEditCommand::apply() {
    m_wnd.setRowText(m_row, m_after);
    m_wnd.setSelectedRow(m_row);  // the box shows the intro as it now is
}

void IntroEditCommand::revert() {
    m_wnd.setRowText(m_row, m_before);
    m_wnd.setSelectedRow(m_row);
}

// ---------------------------------------------------------------- rows only

InsertPageCommand::InsertPageCommand(PicMovieWnd& wnd, int row, const QString& rowText, int selectedBefore)
    : MovieCommand(wnd, QStringLiteral("插入第 %1 页").arg(row + 1)),
      m_row(row), m_rowText(rowText), m_selectedBefore(selectedBefore) {}

void InsertPageCommand::apply() {
    m_wnd.insertRow(m_row, m_rowText);
    m_wnd.setSelectedRow(m_row);
}

void InsertPageCommand::revert() {
    m_wnd.removeRow(m_row);
    m_wnd.setSelectedRow(m_selectedBefore);
}

SwapPagesCommand::SwapPagesCommand(PicMovieWnd& wnd, int upperRow, int selectedBefore, int selectedAfter, bool up)
    : MovieCommand(wnd, (up ? QStringLiteral("上移第 %1 页") : QStringLiteral("下移第 %1 页")).arg(selectedBefore + 1)),
      m_upper(upperRow), m_selectedBefore(selectedBefore), m_selectedAfter(selectedAfter) {}

void SwapPagesCommand::swap(int select) {
    const QString upper = m_wnd.rowText(m_upper);
    m_wnd.setRowText(m_upper, m_wnd.rowText(m_upper + 1));
    m_wnd.setRowText(m_upper + 1, upper);
    m_wnd.setSelectedRow(select);
}

void SwapPagesCommand::apply() { swap(m_selectedAfter); }

void SwapPagesCommand::revert() { swap(m_selectedBefore); }

ReplaceImageCommand::ReplaceImageCommand(PicMovieWnd& wnd, int row, const QString& before, const QString& after)
    : MovieCommand(wnd, QStringLiteral("替换第 %1 页的图片").arg(row + 1)), m_row(row), m_before(before), m_after(after) {}

void ReplaceImageCommand::apply() {
    m_wnd.setRowText(m_row, m_after);
    m_wnd.setSelectedRow(m_row);
}

void ReplaceImageCommand::revert() {
    m_wnd.setRowText(m_row, m_before);
    m_wnd.setSelectedRow(m_row);
}

// ---------------------------------------------------------------- deletion

std::optional<QString> removePageMovingImage(PicMovieWnd& wnd, int row, const QString& image) {
    const pages::DeletionPlan plan =
        pages::planDeletion(wnd.rootFilePath, image.isEmpty() ? QStringList() : QStringList{image});
    if (plan.moves.isEmpty()) {
        wnd.removeRow(row);  // no file moves: nothing to journal
        return QString();
    }
    QStringList after = wnd.rows();
    after.removeAt(row);
    std::optional<journal::Operation> operation =
        wnd.beginFileOperation({QStringLiteral("删除此页"), wnd.rows(), after, plan.moves});
    if (!operation) return std::nullopt;
    QString why, movedTo;
    if (operation->move(0, &why)) {
        movedTo = plan.moves[0].to;
    } else {
        // The page goes all the same; the user learns the image stayed.
        dialogs().message(QStringLiteral("图片 %1 没能移到 %2 文件夹，还在原处：%3")
                              .arg(image, pages::kDeletedImagesFolder, why),
                          MsgIcon::Exclamation);
    }
    wnd.removeRow(row);
    operation->complete();
    return movedTo;
}

DeletePageCommand::DeletePageCommand(PicMovieWnd& wnd, int row, const QString& rowText, const QString& image,
                                     const QString& movedTo, int selectedBefore, int selectedAfter)
    : MovieCommand(wnd, QStringLiteral("删除第 %1 页").arg(row + 1)), m_row(row), m_rowText(rowText),
      m_image(image), m_movedTo(movedTo), m_selectedBefore(selectedBefore), m_selectedAfter(selectedAfter) {}

void DeletePageCommand::apply() {
    // The image goes again only when the undo brought it back: a file that
    // took its name meanwhile is not this page's to move.
    const std::optional<QString> moved = removePageMovingImage(m_wnd, m_row, m_imageBack ? m_image : QString());
    if (!moved) return fail();
    if (m_imageBack) m_movedTo = *moved;
    m_imageBack = false;
    m_wnd.setSelectedRow(m_selectedAfter);
}

void DeletePageCommand::revert() {
    const QString folder = m_wnd.rootFilePath;
    QString notBack;  // why the image stays where it is
    if (!m_movedTo.isEmpty()) {
        if (QFileInfo::exists(joinPath(folder, m_image)))
            notBack = QStringLiteral("文件夹里已经有同名的文件，没有替换它；删除的图片还在 %1").arg(m_movedTo);
        else if (!plainFileExists(joinPath(folder, m_movedTo)))
            notBack = QStringLiteral("%1 已经不在了").arg(m_movedTo);
    }
    if (m_movedTo.isEmpty() || !notBack.isEmpty()) {
        m_wnd.insertRow(m_row, m_rowText);
    } else {
        QStringList after = m_wnd.rows();
        after.insert(m_row, m_rowText);
        std::optional<journal::Operation> operation = m_wnd.beginFileOperation(
            {QStringLiteral("撤销删除此页"), m_wnd.rows(), after, {journal::Move{m_movedTo, m_image}}});
        if (!operation) return fail();
        QString why;
        if (operation->move(0, &why)) {
            m_imageBack = true;
            m_movedTo.clear();
        } else {
            notBack = QStringLiteral("没能移回（%1），还在 %2").arg(why, m_movedTo);
        }
        m_wnd.insertRow(m_row, m_rowText);
        operation->complete();
    }
    m_wnd.setSelectedRow(m_selectedBefore);
    if (!notBack.isEmpty())
        dialogs().message(QStringLiteral("第 %1 页已恢复，但它的图片没能放回：\n%2：%3").arg(m_row + 1).arg(m_image, notBack),
                          MsgIcon::Exclamation);
}

} // namespace kinoleaf
