#pragma once
// Keeps the rows journal of the movie being edited up to date: a couple of
// seconds after a change, written on a thread of its own so typing never
// waits on the disk; at once before a file operation; gone with a save or a
// clean close.

#include "model/rows_journal.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <functional>

namespace kinoleaf {

class JournalKeeper : public QObject {
    Q_OBJECT
public:
    // rows gives the rows to keep, or nullopt when nothing is unsaved.
    using RowsSource = std::function<std::optional<QStringList>()>;
    explicit JournalKeeper(RowsSource rows, QObject* parent = nullptr);
    ~JournalKeeper() override;

    // A folder was loaded, or its script saved: unsaved rows start from it.
    void setMovie(const QString& folder);
    QString movie() const { return m_folder; }
    // The rows changed: the journal follows shortly.
    void changed();
    // Writes these rows now, before files move; false with why when it
    // could not be written.
    bool writeNow(const QStringList& rows, QString* why);
    // Nothing is unsaved any more (a save, a clean close, changes dropped).
    void clear();
    // Writes a journal that is due now rather than later, and waits until
    // it is on disk (tests, the end of the program).
    void flush();

    // What the timer does when a change has rested: hands the rows to the
    // writing thread and returns.
    void writeInBackground();

    static constexpr int kDelayMs = 2000;

private:

    RowsSource m_rows;
    QString m_folder;
    rowsjournal::ScriptStamp m_base;
    QTimer m_timer;
    QThreadPool m_writer;  // one thread: journals reach the disk in order
};

} // namespace kinoleaf
