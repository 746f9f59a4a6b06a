// The program as a user starts it from a terminal.

#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QtTest>

class TestApp : public QObject {
    Q_OBJECT
private slots:
    // Without a graphical session: one line that says so and how to run it
    // under Xvfb, instead of Qt's abort.
    void withoutADisplay() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(KINOLEAF_PROGRAM), {});
        QVERIFY(program.waitForFinished(30000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 1);
        const QString said = QString::fromLocal8Bit(program.readAllStandardError()).trimmed();
        QVERIFY2(!said.contains(u'\n') && said.startsWith(QStringLiteral("Kinoleaf 需要图形界面")) &&
                     said.contains(QStringLiteral("xvfb-run -a ")),
                 qPrintable(said));
    }

    // --help and --version answer in a terminal, also without a display.
    void helpAndVersion() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QLatin1String(name));
        for (const char* option : {"--version", "-v"}) {
            const auto [rc, out, err] = run(env, {QLatin1String(option)});
            QCOMPARE(rc, 0);
            QCOMPARE(out, QStringLiteral("Kinoleaf " KINOLEAF_VERSION "\n"));
        }
        const auto [rc, out, err] = run(env, {QStringLiteral("--help")});
        QCOMPARE(rc, 0);
        for (const char* part : {"--no-remember", "--version", "文件夹", "打开影片文件夹"})
            QVERIFY2(out.contains(QString::fromUtf8(part)), qPrintable(out));
    }

    // A wrong command line says what is wrong and where the usage is, and
    // opens no window.
    void wrongCommandLine() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        const QTemporaryDir config;
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        const auto [rc, out, err] = run(env, {QStringLiteral("--frobnicate")});
        QCOMPARE(rc, 2);
        QVERIFY2(err.contains(QStringLiteral("frobnicate")) && err.contains(QStringLiteral("--help")), qPrintable(err));
    }

private:
    struct Ran {
        int rc;
        QString out, err;
    };
    static Ran run(const QProcessEnvironment& env, const QStringList& arguments) {
        QProcess program;
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(KINOLEAF_PROGRAM), arguments);
        if (!program.waitForFinished(30000)) return {-1, {}, QStringLiteral("still running")};
        return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
                QString::fromLocal8Bit(program.readAllStandardOutput()),
                QString::fromLocal8Bit(program.readAllStandardError())};
    }
};

QTEST_GUILESS_MAIN(TestApp)
#include "test_app.moc"
