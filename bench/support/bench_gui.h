#pragma once
// What the benchmarks of windows share: boxes answered without a person,
// and figures of one piece of work on the window thread.

#include "bench_support.h"
#include "model/script_file.h"
#include "platform/dialogs.h"

#include <QDir>

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <functional>
#include <optional>
#include <vector>

namespace kinoleaf::bench {

// Every message kept, every question answered the same way.
class AnsweringDialogs final : public Dialogs {
public:
    explicit AnsweringDialogs(Answer answer = Answer::No) : m_answer(answer) {}
    QStringList messages;
    void message(const QString& text, MsgIcon, const QString&) override { messages << text; }
    Answer askYesNo(const QString&, const QString&) override { return m_answer; }
    Answer askYesNoCancel(const QString&, const QString&) override { return m_answer; }
    std::optional<QString> input(const QString&, const QString&, const QString&) override { return std::nullopt; }

private:
    Answer m_answer;
};

// CPU (this thread) and wall time of each run of a piece of work, what was
// pending before it handled first.
struct Figures {
    std::vector<double> cpu, wall;
    void measure(const std::function<void()>& work) {
        QCoreApplication::processEvents();
        const double c0 = threadCpuMs();
        QElapsedTimer t;
        t.start();
        work();
        wall.push_back(msSince(t));
        cpu.push_back(threadCpuMs() - c0);
    }
    void print(const char* what) const {
        std::printf("%s:\n  CPU  %s ms\n  wall %s ms\n", what, qPrintable(figures(cpu, 2)),
                    qPrintable(figures(wall, 2)));
    }
};

// A movie of count rows with intros of a typical length and no pictures,
// its script written in folder; false when it could not be written.
inline bool writeScriptOnlyMovie(const QString& folder, int count) {
    QDir().mkpath(folder);
    QStringList rows;
    for (int i = 0; i < count; ++i)
        rows << QStringLiteral("%1.jpg :第%2页，主角走进了雨里，回头看了一眼。").arg(i, 6, 10, QLatin1Char('0')).arg(i + 1);
    return script::write(QDir(folder).filePath(script::kFileName), rows).ok;
}

} // namespace kinoleaf::bench
