#include "editor/journal_keeper.h"

namespace kinoleaf {

JournalKeeper::JournalKeeper(RowsSource rows, QObject* parent) : QObject(parent), m_rows(std::move(rows)) {
    m_writer.setMaxThreadCount(1);
    m_timer.setSingleShot(true);
    m_timer.setInterval(kDelayMs);
    connect(&m_timer, &QTimer::timeout, this, &JournalKeeper::writeInBackground);
}

JournalKeeper::~JournalKeeper() {
    // A last journal already on its way still lands: it holds typed work.
    m_writer.waitForDone();
}

void JournalKeeper::setMovie(const QString& folder) {
    m_timer.stop();
    m_writer.waitForDone();
    m_folder = folder;
    m_base = rowsjournal::stampOf(folder);
}

void JournalKeeper::changed() {
    if (!m_folder.isEmpty()) m_timer.start();
}

void JournalKeeper::writeInBackground() {
    const std::optional<QStringList> rows = m_rows();
    if (!rows || m_folder.isEmpty()) return;
    // The rows are shared, not copied: the thread serialises them.
    rowsjournal::Entry entry{m_folder, *rows, m_base, QDateTime::currentDateTimeUtc()};
    m_writer.start([entry] { rowsjournal::write(entry); });
}

bool JournalKeeper::writeNow(const QStringList& rows, QString* why) {
    m_timer.stop();
    m_writer.waitForDone();
    if (m_folder.isEmpty()) return true;  // no movie, no rows to keep
    return rowsjournal::write({m_folder, rows, m_base, QDateTime::currentDateTimeUtc()}, why);
}

void JournalKeeper::clear() {
    m_timer.stop();
    m_writer.waitForDone();
    if (!m_folder.isEmpty()) rowsjournal::remove(m_folder);
    m_base = rowsjournal::stampOf(m_folder);
}

void JournalKeeper::flush() {
    if (m_timer.isActive()) {
        m_timer.stop();
        writeInBackground();
    }
    m_writer.waitForDone();
}

} // namespace kinoleaf
