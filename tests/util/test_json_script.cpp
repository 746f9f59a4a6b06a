#include "support/scripted_dialogs.h"
#include "util/json.h"
#include "util/json_script.h"

#include <QtTest>

using kinoleaf::cJSONScript;
using kinoleaf::MsgIcon;
using kinoleaf::test::ScriptedDialogs;

namespace {
QString nestedLists(int depth, const QString& inner) {
    return QString(depth, QLatin1Char('[')) + inner + QString(depth, QLatin1Char(']'));
}
} // namespace

class TestJsonScript : public QObject {
    Q_OBJECT
private slots:
    void plainValues() {
        ScriptedDialogs d;
        cJSONScript s;
        QCOMPARE(s.Eval(QStringLiteral("[]")), QString());
        QCOMPARE(s.Eval(QStringLiteral("[null, 'a', ['b', 'c']]")), QStringLiteral("nullabc"));
        QCOMPARE(s.Eval(QStringLiteral("[[1.5, 2.50, -3], true, false, 7]")), QStringLiteral("1.52.5-3truefalse7"));
        VERIFY_DIALOGS(d);
    }

    void numbersIgnoreTheLocale() {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        cJSONScript s;
        QCOMPARE(s.Eval(QStringLiteral("[['x', 1.5]]")), QStringLiteral("x1.5"));
        QLocale::setDefault(saved);
    }

    void parserErrorBox() {
        ScriptedDialogs d;
        d.expectMessage(QStringLiteral("Invalid JSON"));
        d.expectMessage(QStringLiteral("Missing ']': ['a'\r\n"));
        d.expectMessage(QStringLiteral("Missing ']': ['a',\r\n"));
        cJSONScript s;
        QCOMPARE(s.Eval(QStringLiteral("nothing")), QString());
        QCOMPARE(s.Eval(QStringLiteral("['a'")), QString());
        // cut off after a comma: reported, nothing runs
        QCOMPARE(s.Eval(QStringLiteral("['a',")), QString());
        VERIFY_DIALOGS(d);
        QCOMPARE(d.shown().at(0).title, QStringLiteral("Parser Error"));
        QCOMPARE(d.shown().at(0).icon, MsgIcon::Exclamation);
    }

    void variables() {
        ScriptedDialogs d;
        cJSONScript s;
        QCOMPARE(s.Eval(QStringLiteral("['Hello, ', {'get': {'name': 'user', 'default': 'guest'}}]")),
                 QStringLiteral("Hello, guest"));
        QCOMPARE(s.Eval(QStringLiteral("[{'set': {'name': 'a', 'value': '1'}}, {'if': {'value1': "
                                       "{'get': {'name': 'a'}}, 'value2': '1', 'type': 'eq', "
                                       "'true': 'yes', 'false': 'no'}}]")),
                 QStringLiteral("yes"));
        // Variables live as long as the evaluator; a later set replaces.
        QCOMPARE(s.Eval(QStringLiteral("[{'get': {'name': 'a'}}, {'set': {'name': 'a', 'value': 'two'}},"
                                       " {'get': {'name': 'a'}}, {'get': {'name': 'A', 'default': '-'}}]")),
                 QStringLiteral("1two-"));
        // A numeric name is kept and found by its text.
        QCOMPARE(s.Eval(QStringLiteral("[{'set': {'name': 5, 'value': 'five'}}, {'get': {'name': '5'}},"
                                       " {'get': {'name': 5.0}}]")),
                 QStringLiteral("fivefive"));
        VERIFY_DIALOGS(d);
    }

    void conditions_data() {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<QString>("result");
        QTest::newRow("eq ignores case") << "EQ" << "Abc" << "aBC" << "T";
        QTest::newRow("eq differs") << "eq" << "a" << "b" << "F";
        QTest::newRow("gt by code") << "gt" << "b" << "a" << "T";
        QTest::newRow("gt is case-sensitive") << "gt" << "B" << "a" << "F";
        QTest::newRow("lt") << "lt" << "10" << "9" << "T";
        QTest::newRow("gte equal") << "gte" << "x" << "x" << "T";
        QTest::newRow("lte") << "lte" << "y" << "x" << "F";
        QTest::newRow("unknown type") << "ne" << "x" << "y" << "F";
    }
    void conditions() {
        QFETCH(QString, type);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(QString, result);
        cJSONScript s;
        const QString script = QStringLiteral("[{'if': {'value1': '%1', 'value2': '%2', 'type': '%3', "
                                              "'true': 'T', 'false': 'F'}}]")
                                   .arg(a, b, type);
        QCOMPARE(s.Eval(script), result);
    }

    void switchCommand() {
        cJSONScript s;
        const QString items = QStringLiteral("'items': [{'case': 'a', 'return': '1'}, 'skipped', "
                                             "{'case': 'B', 'return': '2'}, {'case': 'b', 'return': '3'}]");
        QCOMPARE(s.Eval(QStringLiteral("[{'switch': {'case': 'b', 'default': 'd', %1}}]").arg(items)),
                 QStringLiteral("2"));
        QCOMPARE(s.Eval(QStringLiteral("[{'Switch': {'case': 'z', 'default': 'd', %1}}]").arg(items)),
                 QStringLiteral("d"));
        QCOMPARE(s.Eval(QStringLiteral("[{'switch': {'case': 'a'}}]")), QString());
    }

    void dialogCommands() {
        ScriptedDialogs d;
        d.expectMessage(QStringLiteral("hi"));
        d.expectInput(QStringLiteral("typed"), QStringLiteral("Name?"));
        d.expectInput(std::nullopt, QStringLiteral("Again?"));
        cJSONScript s;
        QCOMPARE(s.Eval(QStringLiteral("[{'ALERT': {'message': 'hi', 'title': 'T'}}, "
                                       "{'Input': {'prompt': 'Name?', 'title': 'Ask', 'default': 'x'}}, '|', "
                                       "{'input': {'prompt': 'Again?'}}, '|']")),
                 QStringLiteral("typed||"));
        VERIFY_DIALOGS(d);
        QCOMPARE(d.shown().at(0).title, QStringLiteral("T"));
        QCOMPARE(d.shown().at(0).icon, MsgIcon::Information);
        QCOMPARE(d.shown().at(1).title, QStringLiteral("Ask"));
    }

    void otherCommands() {
        ScriptedDialogs d;
        cJSONScript s;
        QCOMPARE(s.Eval(QStringLiteral("[{'price': {'id': '7', 'n': '2'}}]")), QStringLiteral("<%PRICE(7,2)%>"));
        QCOMPARE(s.Eval(QStringLiteral("[{'tag': 'x'}, {'n': 1.5}, {'b': false}, {'z': null}, {'l': [1]}]")),
                 QStringLiteral("<%TAG(x)%><%N(1.5)%><%B(false)%><%Z(null)%><%L()%>"));
        QCOMPARE(s.Eval(QStringLiteral("[{'return': 'r', 'RETURN': 'R'}]")), QStringLiteral("rR"));
        // Known commands need a dictionary of parameters.
        QCOMPARE(s.Eval(QStringLiteral("[{'alert': 'text'}, {'get': 3}, 'ok']")), QStringLiteral("ok"));
        // A root object is one command.
        QCOMPARE(s.Eval(QStringLiteral("{'set': {'name': 'v', 'value': 'w'}, 'get': {'name': 'v'}}")),
                 QStringLiteral("w"));
        VERIFY_DIALOGS(d);
    }

    void nestingLimit() {
        cJSONScript s;
        QCOMPARE(s.Eval(nestedLists(41, QStringLiteral("'deep'"))), QStringLiteral("deep"));
        QCOMPARE(s.Eval(nestedLists(42, QStringLiteral("'deep'"))), QStringLiteral("ERROR: Nesting level exceeded."));
        QCOMPARE(s.Eval(QStringLiteral("['a', %1, 'b']").arg(nestedLists(45, QStringLiteral("1")))),
                 QStringLiteral("aERROR: Nesting level exceeded.b"));
        // The depth is restored: the same evaluator still works at full depth.
        QCOMPARE(s.Eval(nestedLists(41, QStringLiteral("2"))), QStringLiteral("2"));
    }
};

QTEST_GUILESS_MAIN(TestJsonScript)
#include "test_json_script.moc"
