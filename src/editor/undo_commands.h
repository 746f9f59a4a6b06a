#pragma once
// One command per kind of change of the main window's pages. Each is
// recorded after its change was applied, so its first redo does nothing;
// later ones, and every undo, go through the window's row operations.

#include <QString>
#include <QUndoCommand>

#include <optional>

namespace kinoleaf {

class PicMovieWnd;

class MovieCommand : public QUndoCommand {
public:
    MovieCommand(PicMovieWnd& wnd, const QString& text);
    void redo() final;
    void undo() final;
    // The last run changed nothing (the folder took no journal).
    bool failed() const { return m_failed; }
    // The last run failed part-way and could not put everything back: the
    // rows name the files where they are, and no step leads back from there.
    bool broken() const { return m_broken; }
    // The next run does nothing: the change is already as it should be.
    void skipNextRun() { m_skip = true; }
    // Each run is followed by a save of the script.
    virtual bool savesScript() const { return false; }
    // False for a step whose files lie outside the movie: the rows, and so
    // whether they are saved, stay as they were.
    virtual bool changesRows() const { return true; }

protected:
    virtual void apply() = 0;
    virtual void revert() = 0;
    void fail() { m_failed = true; }
    void breakHistory() { m_failed = m_broken = true; }
    PicMovieWnd& m_wnd;

private:
    bool m_skip = true;
    bool m_failed = false;
    bool m_broken = false;
};

// Typing in one page's intro; bursts a short pause apart merge.
class IntroEditCommand : public MovieCommand {
public:
    static constexpr qint64 kPauseMs = 1000;
    IntroEditCommand(PicMovieWnd& wnd, int row, const QString& before, const QString& after, qint64 at);
    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

private:
    void apply() override;
    void revert() override;
    int m_row;
    QString m_before, m_after;
    qint64 m_at;
};

class InsertPageCommand : public MovieCommand {
public:
    InsertPageCommand(PicMovieWnd& wnd, int row, const QString& rowText, int selectedBefore);

private:
    void apply() override;
    void revert() override;
    int m_row;
    QString m_rowText;
    int m_selectedBefore;
};

// ↑ and ↓: a page changes places with its neighbour.
class SwapPagesCommand : public MovieCommand {
public:
    SwapPagesCommand(PicMovieWnd& wnd, int upperRow, int selectedBefore, int selectedAfter, bool up);

private:
    void apply() override;
    void revert() override;
    void swap(int select);
    int m_upper, m_selectedBefore, m_selectedAfter;
};

class ReplaceImageCommand : public MovieCommand {
public:
    ReplaceImageCommand(PicMovieWnd& wnd, int row, const QString& before, const QString& after);

private:
    void apply() override;
    void revert() override;
    int m_row;
    QString m_before, m_after;
};

// A page deleted, its image (when none of the other pages shows it) moved
// into delete_image; undo brings it back under its old name, never over a
// file that took that name meanwhile.
class DeletePageCommand : public MovieCommand {
public:
    // movedTo: where the image went inside the folder, "" when it stayed.
    DeletePageCommand(PicMovieWnd& wnd, int row, const QString& rowText, const QString& image,
                      const QString& movedTo, int selectedBefore, int selectedAfter);

private:
    void apply() override;
    void revert() override;
    int m_row;
    QString m_rowText, m_image;
    QString m_movedTo;         // where the image is inside the folder; "" when not moved
    bool m_imageBack = false;  // the undo moved it back under its name
    int m_selectedBefore, m_selectedAfter;
};

// Takes a row out, moving image (when not "") into delete_image through a
// journaled operation. nullopt when the folder took no journal: nothing
// changed. Otherwise where the image went inside the folder, "" when it
// stayed (the user was told why) or there was none to move.
std::optional<QString> removePageMovingImage(PicMovieWnd& wnd, int row, const QString& image);

} // namespace kinoleaf
