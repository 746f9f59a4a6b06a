#include "support/scripted_dialogs.h"

namespace kinoleaf::test {
namespace {
const char* kindName(ShownBox::Kind k) {
    switch (k) {
    case ShownBox::Message: return "message";
    case ShownBox::YesNo: return "yes/no";
    case ShownBox::YesNoCancel: return "yes/no/cancel";
    case ShownBox::Input: return "input";
    }
    return "?";
}
} // namespace

ScriptedDialogs::ScriptedDialogs() { setDialogs(this); }
ScriptedDialogs::~ScriptedDialogs() { setDialogs(nullptr); }

ScriptedDialogs& ScriptedDialogs::expectMessage(const QString& text) {
    m_queue.append({ShownBox::Message, text, Answer::Ok, std::nullopt});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::expectYesNo(Answer answer, const QString& text) {
    m_queue.append({ShownBox::YesNo, text, answer, std::nullopt});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::expectYesNoCancel(Answer answer, const QString& text) {
    m_queue.append({ShownBox::YesNoCancel, text, answer, std::nullopt});
    return *this;
}
ScriptedDialogs& ScriptedDialogs::expectInput(std::optional<QString> answer, const QString& prompt) {
    m_queue.append({ShownBox::Input, prompt, Answer::Ok, std::move(answer)});
    return *this;
}

QStringList ScriptedDialogs::shownTexts() const {
    QStringList out;
    for (const auto& b : m_shown) out << b.text;
    return out;
}

QString ScriptedDialogs::problems() const {
    QStringList all = m_problems;
    for (const auto& e : m_queue)
        all << QStringLiteral("announced %1 box never shown: \"%2\"").arg(kindName(e.kind), e.text);
    return all.join(QLatin1Char('\n'));
}

void ScriptedDialogs::reset() {
    m_queue.clear();
    m_shown.clear();
    m_problems.clear();
}

const ScriptedDialogs::Expected* ScriptedDialogs::take(ShownBox::Kind kind, const ShownBox& box) {
    m_shown.append(box);
    if (m_queue.isEmpty()) {
        m_problems << QStringLiteral("unexpected %1 box: \"%2\"").arg(kindName(kind), box.text);
        return nullptr;
    }
    m_current = m_queue.takeFirst();
    if (m_current.kind != kind) {
        m_problems << QStringLiteral("expected a %1 box, got a %2 box: \"%3\"")
                          .arg(kindName(m_current.kind), kindName(kind), box.text);
        return nullptr;
    }
    if (!m_current.text.isEmpty() && m_current.text != box.text) {
        m_problems << QStringLiteral("expected box text \"%1\", got \"%2\"").arg(m_current.text, box.text);
    }
    return &m_current;
}

void ScriptedDialogs::message(const QString& text, MsgIcon icon, const QString& title) {
    take(ShownBox::Message, {ShownBox::Message, text, titleOr(title), icon});
}

Answer ScriptedDialogs::askYesNo(const QString& text, const QString& title) {
    const Expected* e = take(ShownBox::YesNo, {ShownBox::YesNo, text, titleOr(title), MsgIcon::Question});
    return e ? e->answer : Answer::No;
}

Answer ScriptedDialogs::askYesNoCancel(const QString& text, const QString& title) {
    const Expected* e =
        take(ShownBox::YesNoCancel, {ShownBox::YesNoCancel, text, titleOr(title), MsgIcon::Question});
    return e ? e->answer : Answer::Cancel;
}

std::optional<QString> ScriptedDialogs::input(const QString& prompt, const QString& title,
                                              const QString&) {
    const Expected* e = take(ShownBox::Input, {ShownBox::Input, prompt, titleOr(title), MsgIcon::None});
    return e ? e->inputAnswer : std::nullopt;
}

} // namespace kinoleaf::test
