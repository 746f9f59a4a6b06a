#pragma once
// A dialogs double for tests: every box must have been announced with an
// expect...() call; it records what was shown and answers from the queue.
// An unannounced box, or a text that differs from the one announced, is
// recorded as a failure that verify() reports (and the box gets a harmless
// answer so the code under test can finish).

#include "platform/dialogs.h"

#include <QList>
#include <QStringList>

namespace kinoleaf::test {

struct ShownBox {
    enum Kind { Message, YesNo, YesNoCancel, Input } kind;
    QString text;
    QString title;
    MsgIcon icon = MsgIcon::None;
};

class ScriptedDialogs final : public Dialogs {
public:
    ScriptedDialogs();   // installs itself
    ~ScriptedDialogs() override;  // restores the default service

    // Announce the next box. An empty text accepts any text.
    ScriptedDialogs& expectMessage(const QString& text = {});
    ScriptedDialogs& expectYesNo(Answer answer, const QString& text = {});
    ScriptedDialogs& expectYesNoCancel(Answer answer, const QString& text = {});
    ScriptedDialogs& expectInput(std::optional<QString> answer, const QString& prompt = {});

    const QList<ShownBox>& shown() const { return m_shown; }
    QStringList shownTexts() const;
    // Empty when every box was announced, matched, and every announcement used.
    QString problems() const;
    // Forgets shown boxes, announcements and problems.
    void reset();

    void message(const QString& text, MsgIcon icon, const QString& title) override;
    Answer askYesNo(const QString& text, const QString& title) override;
    Answer askYesNoCancel(const QString& text, const QString& title) override;
    std::optional<QString> input(const QString& prompt, const QString& title,
                                 const QString& defaultText) override;

private:
    struct Expected {
        ShownBox::Kind kind;
        QString text;
        Answer answer = Answer::Ok;
        std::optional<QString> inputAnswer;
    };
    const Expected* take(ShownBox::Kind kind, const ShownBox& box);

    QList<Expected> m_queue;
    Expected m_current;
    QList<ShownBox> m_shown;
    QStringList m_problems;
};

// QVERIFY2-friendly check: use as VERIFY_DIALOGS(d) at the end of a test.
#define VERIFY_DIALOGS(d)                                                          \
    do {                                                                           \
        const QString _p = (d).problems();                                         \
        QVERIFY2(_p.isEmpty(), qPrintable(_p));                                    \
    } while (0)

} // namespace kinoleaf::test
