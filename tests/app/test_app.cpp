// The program as a user starts it from a terminal.

#include <QProcess>
#include <QProcessEnvironment>
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
};

QTEST_GUILESS_MAIN(TestApp)
#include "test_app.moc"
