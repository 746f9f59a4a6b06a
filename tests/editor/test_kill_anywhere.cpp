// Kill anywhere: an editor killed at any instant of a file-moving operation
// (random moments over its run, and right after each of a spread of its
// renames) leaves a movie that is whole at once (the script old or new byte
// for byte, no half-written file under a real name) and whole again after
// the next opening, its offers accepted: every image once, under one name,
// each intro on its own picture, the unsaved intro back.

#include "editor/PicMovieWnd.h"
#include "editor/kill_anywhere_story.h"
#include "model/page_row.h"
#include "model/script_file.h"
#include "pages/publish.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"
#include "support/image_samples.h"
#include "support/test_files.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <csignal>
#include <filesystem>

using namespace kinoleaf;
using namespace kinoleaf::test;

namespace {

const QString kTyped = QStringLiteral("改");

// Accepts every offer; keeps what it was shown, so warnings can be failed.
class AcceptingDialogs final : public Dialogs {
public:
    AcceptingDialogs() { setDialogs(this); }
    ~AcceptingDialogs() override { setDialogs(nullptr); }
    void message(const QString& text, MsgIcon icon, const QString&) override {
        if (icon == MsgIcon::Exclamation || icon == MsgIcon::Critical) warnings << text;
    }
    Answer askYesNo(const QString&, const QString&) override { return Answer::Yes; }
    Answer askYesNoCancel(const QString&, const QString&) override { return Answer::Yes; }
    std::optional<QString> input(const QString&, const QString&, const QString& d) override { return d; }
    QStringList warnings;
};

// A small picture, different from every other one by a tag after its end.
QByteArray imageBytes(int i) {
    static const QByteArray png = [] {
        QImage image(4, 4, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        return encoded(image, "png");
    }();
    QByteArray bytes = png + "#" + QByteArray::number(i) + "#";
    bytes += QByteArray(1200 - bytes.size(), char('A' + i % 26));
    return bytes;
}

QString imageName(int i) { return QStringLiteral("p%1.png").arg(i, 3, 10, QLatin1Char('0')); }
QString introOf(int i) { return QStringLiteral("第%1张图的解说，说的就是这一张图").arg(i); }

QByteArray scriptOf(const QStringList& rows) {
    QString text;
    for (const QString& r : rows) text += r + QStringLiteral("\r\n");
    return gbkBytes(text);
}

struct Movie {
    int images = 0;
    QStringList rows;  // row 0 shows image 0, which no other row shows
};

Movie movieFor(const QString& op) {
    Movie m;
    if (op == "save") {
        // A large script over a few images, each always with its own intro.
        m.images = 100;
        for (int i = 0; i < 4000; ++i) {
            const int image = i == 0 ? 0 : 1 + (i - 1) % 99;
            m.rows << makeRow(imageName(image), introOf(image));
        }
        return m;
    }
    m.images = op == "publish" ? 300 : op == "delete" ? 60 : op == "download" ? 10 : 200;
    for (int i = 0; i < m.images; ++i) m.rows << makeRow(imageName(i), introOf(i));
    return m;
}

void copyFolder(const QString& from, const QString& to) {
    // Plain copies: QFile::copy goes through a temporary file and costs
    // many times more, for hundreds of files a run.
    QDir().mkpath(to);
    std::filesystem::copy(from.toStdString(), to.toStdString());
}

// Files under the folder (delete_image too) by path relative to it; the
// temporaries of a write in progress are left out.
QMap<QString, QByteArray> visibleFiles(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (it.fileName().startsWith(u'.')) continue;
        // A save's temporary (QSaveFile's, the script's name and six
        // letters): the script itself is never half written.
        static const QRegularExpression saveTemp(
            QRegularExpression::anchoredPattern(QRegularExpression::escape(script::kFileName) + "\\.\\w{6}"));
        if (saveTemp.match(it.fileName()).hasMatch())
            continue;
        out.insert(QDir(folder).relativeFilePath(path), readBytes(path));
    }
    return out;
}

// What a run of the child did.
struct Run {
    bool started = false;
    bool finished = false;
    int renames = -1;
    qint64 operationNs = 0;
    QByteArray errors;
};

} // namespace

class TestKillAnywhere : public QObject {
    Q_OBJECT

    QTemporaryDir m_root;
    QString m_template, m_movie, m_target, m_state;
    QString m_op;
    QByteArray m_oldScript, m_newScript, m_newTargetScript;
    QHash<QByteArray, QString> m_nameOf;   // original image bytes → its name
    QHash<QByteArray, QString> m_introOf;  // original image bytes → the intro its rows carry
    QHash<QString, QByteArray> m_downloaded;  // name in the target → the bytes served
    QStringList m_failures;
    int m_kills = 0;

    void prepare(const QString& op) {
        m_op = op;
        m_template = m_root.filePath("template-" + op);
        m_movie = m_root.filePath("run/movie");
        m_target = m_root.filePath("run/target");
        m_state = m_root.filePath("run/state");
        const Movie movie = movieFor(op);
        m_nameOf.clear();
        m_introOf.clear();
        m_downloaded.clear();
        for (int i = 0; i < movie.images; ++i) {
            writeBytes(m_template, imageName(i), imageBytes(i));
            m_nameOf.insert(imageBytes(i), imageName(i));
            m_introOf.insert(imageBytes(i), introOf(i) + (i == 0 ? kTyped : QString()));
        }
        for (int i = 0; i < kStoryPages; ++i) m_downloaded.insert(QStringLiteral("d%1.png").arg(i), storyPicture(i));
        m_oldScript = scriptOf(movie.rows);
        writeBytes(m_template, script::kFileName, m_oldScript);
    }

    void freshRun() {
        QDir(m_root.filePath("run")).removeRecursively();
        copyFolder(m_template, m_movie);
        QDir().mkpath(m_target);
        QDir().mkpath(m_state);
        qputenv("XDG_STATE_HOME", m_state.toUtf8());
    }

    // Runs the child; killed after delayNs from its "starting" when given.
    Run runChild(std::optional<qint64> delayNs, int killAtRename = 0) {
        Run run;
        QProcess child;
        QStringList args{m_op, m_movie, m_target};
        if (killAtRename > 0) args << QString::number(killAtRename);
        child.setProcessChannelMode(QProcess::SeparateChannels);
        child.start(QStringLiteral(KILL_ANYWHERE_CHILD), args);
        if (!child.waitForStarted(10000)) {
            run.errors = "child did not start";
            return run;
        }
        QByteArray out;
        while (!out.contains("starting\n") && child.state() != QProcess::NotRunning)
            if (child.waitForReadyRead(30000)) out += child.readAllStandardOutput();
        run.started = out.contains("starting\n");
        if (run.started && delayNs) {
            QThread::usleep(quint64(*delayNs / 1000));
            ::kill(pid_t(child.processId()), SIGKILL);
        }
        child.waitForFinished(60000);
        out += child.readAllStandardOutput();
        run.errors = child.readAllStandardError();
        const qsizetype done = out.indexOf("done ");
        run.finished = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0 && done >= 0;
        if (done >= 0) {
            const QList<QByteArray> words = out.mid(done + 5).trimmed().split(' ');
            run.renames = words.value(0).toInt();
            run.operationNs = words.value(1).toLongLong();
        }
        return run;
    }

    void failed(const QString& when, const QString& what) {
        m_failures << QStringLiteral("%1 %2: %3").arg(m_op, when, what);
        qWarning("%s", qPrintable(m_failures.constLast()));
    }

    // At once after the kill: nothing to open, nothing recovered.
    void checkAsLeft(const QString& when) {
        const QByteArray script = readBytes(QDir(m_movie).filePath(script::kFileName));
        if (script != m_oldScript && script != m_newScript) failed(when, "the script is neither the old nor the new one");
        const QString targetScriptPath = QDir(m_target).filePath(script::kFileName);
        if (QFile::exists(targetScriptPath) && readBytes(targetScriptPath) != m_newTargetScript)
            failed(when, "the target's script is not the one written whole");
        for (const auto& [path, bytes] : visibleFiles(m_movie).asKeyValueRange()) {
            if (path == script::kFileName) continue;
            if (!m_nameOf.contains(bytes)) failed(when, path + " holds no image whole");
        }
        for (const auto& [path, bytes] : visibleFiles(m_target).asKeyValueRange()) {
            if (path == script::kFileName) continue;
            const bool whole = m_op == "download" ? m_downloaded.value(path) == bytes : m_nameOf.value(bytes) == path;
            if (!whole) failed(when, "target " + path + " holds no image whole under its own name");
        }
    }

    // The next opening, every offer accepted.
    void checkReopened(const QString& when) {
        AcceptingDialogs dialogs;
        auto wnd = std::make_unique<PicMovieWnd>();
        wnd->FilePathList->setPath(m_movie);
        const QStringList rows = wnd->rows();
        wnd.reset();
        if (!dialogs.warnings.isEmpty()) failed(when, "warned at opening: " + dialogs.warnings.join(" / "));
        // Every image once, in the folder or among the deleted.
        QHash<QByteArray, int> seen;
        for (const auto& [path, bytes] : visibleFiles(m_movie).asKeyValueRange())
            if (path != script::kFileName) ++seen[bytes];
        for (auto it = m_nameOf.cbegin(); it != m_nameOf.cend(); ++it)
            if (seen.value(it.key()) != 1)
                failed(when, QStringLiteral("image %1 is there %2 times").arg(it.value()).arg(seen.value(it.key())));
        // Each intro on its own picture; the typed one back.
        bool typedSeen = false;
        for (const QString& row : rows) {
            const QString name = imageNameOfRow(row);
            const QByteArray bytes = readBytes(QDir(m_movie).filePath(name));
            if (!m_introOf.contains(bytes)) {
                failed(when, "row \"" + row + "\" names no image");
                continue;
            }
            const QString intro = m_introOf.value(bytes);
            const QString got = introOfRow(row);
            if (got != intro && !(m_op == "publish" && got == pages::cleanIntro(intro)))
                failed(when, QStringLiteral("row \"%1\" has the picture of \"%2\"").arg(row, intro));
            if (m_nameOf.value(bytes) == imageName(0)) typedSeen = true;
        }
        if (!typedSeen) failed(when, "the page with the typed intro is gone");
        // An episode or a story written whole has every picture it names.
        const QString targetScriptPath = QDir(m_target).filePath(script::kFileName);
        if (QFile::exists(targetScriptPath)) {
            for (const QString& row : script::read(targetScriptPath).rows) {
                const QString name = imageNameOfRow(row);
                if (!QFile::exists(QDir(m_target).filePath(name)))
                    failed(when, "the target's script names the missing " + name);
            }
        }
    }

    void killAnywhere(const QString& op, int randomKills, int renameKills) {
        prepare(op);
        m_failures.clear();
        // A run to its end: what "new" is, and how long the operation takes.
        freshRun();
        m_newScript = m_oldScript;
        m_newTargetScript.clear();
        const Run whole = runChild(std::nullopt);
        QVERIFY2(whole.started && whole.finished, whole.errors.constData());
        m_newScript = readBytes(QDir(m_movie).filePath(script::kFileName));
        m_newTargetScript = readBytes(QDir(m_target).filePath(script::kFileName));
        checkAsLeft("unkilled");
        checkReopened("unkilled");
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join('\n')));
        if (op == "save") QVERIFY(m_newScript != m_oldScript);
        if (op == "copy" || op == "episode" || op == "download") QVERIFY(!visibleFiles(m_target).isEmpty());

        QRandomGenerator random(quint32(qHash(op)));
        const qint64 span = whole.operationNs;
        int hits = 0;
        for (int k = 0; k < randomKills; ++k) {
            freshRun();
            const qint64 delay = qint64(random.bounded(quint64(span) + 1));
            const Run run = runChild(delay);
            QVERIFY2(run.started, run.errors.constData());
            hits += run.finished ? 0 : 1;
            const QString when = QStringLiteral("killed %1 µs after starting").arg(delay / 1000);
            checkAsLeft(when);
            checkReopened(when);
            ++m_kills;
        }
        // Right after renames spread over the run, first and last included.
        const int renames = whole.renames;
        QList<int> points;
        for (int k = 0; k < renameKills && renames > 0; ++k) {
            const int at = renameKills == 1 ? 1 : 1 + int(qint64(renames - 1) * k / (renameKills - 1));
            if (!points.contains(at)) points << at;
        }
        for (const int at : points) {
            freshRun();
            const Run run = runChild(std::nullopt, at);
            QVERIFY2(run.started, run.errors.constData());
            const QString when = QStringLiteral("killed after rename %1 of %2").arg(at).arg(renames);
            if (run.finished) failed(when, "the child was not killed");
            checkAsLeft(when);
            checkReopened(when);
            ++m_kills;
        }
        qInfo("%s: %d random kills (%d before the end), %d rename kills over %d renames; run %.1f ms", qPrintable(op),
              randomKills, hits, int(points.size()), renames, whole.operationNs / 1e6);
        QVERIFY2(m_failures.isEmpty(), qPrintable(QStringLiteral("%1 faults, the first: %2")
                                                     .arg(m_failures.size())
                                                     .arg(m_failures.value(0))));
    }

private slots:
    void initTestCase() { QVERIFY(m_root.isValid()); }
    void cleanupTestCase() { qInfo("%d kills in all", m_kills); }

    void save() { killAnywhere("save", 25, 6); }
    void publish() { killAnywhere("publish", 25, 14); }
    void pageDeletion() { killAnywhere("delete", 20, 14); }
    void batchDeletion() { killAnywhere("batch", 25, 12); }
    void selectionSavedInPlace() { killAnywhere("selection", 25, 12); }
    void saveACopy() { killAnywhere("copy", 25, 8); }
    void episodeGeneration() { killAnywhere("episode", 25, 8); }
    void storyDownload() { killAnywhere("download", 25, 10); }
};

QTEST_MAIN(TestKillAnywhere)
#include "test_kill_anywhere.moc"
