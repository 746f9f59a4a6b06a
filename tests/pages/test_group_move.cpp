// Moving a group of pages, and which pages take their image with them in a
// batch deletion, over plain rows.

#include "pages/batch_delete.h"
#include "pages/group_move.h"

#include <QtTest>

using namespace kinoleaf::pages;

namespace {
QStringList letters(const QString& s) { return s.split(u' ', Qt::SkipEmptyParts); }
} // namespace

class TestGroupMove : public QObject {
    Q_OBJECT
private slots:
    void move_data() {
        QTest::addColumn<QList<int>>("selected");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("after");  // "" when refused
        QTest::addColumn<int>("first");
        QTest::newRow("B D after A") << QList<int>{1, 3} << 0 << "A B D C E" << 1;
        QTest::newRow("A B after D") << QList<int>{0, 1} << 3 << "C D A B E" << 2;
        QTest::newRow("A after the last") << QList<int>{0} << 4 << "B C D E A" << 4;
        QTest::newRow("around the chosen") << QList<int>{4, 0} << 2 << "B C A E D" << 2;
        QTest::newRow("nothing selected") << QList<int>{} << 1 << "A B C D E" << 2;
        QTest::newRow("repeats, out of range") << QList<int>{3, 3, 7, -2} << 0 << "A D B C E" << 1;
        QTest::newRow("the chosen one selected") << QList<int>{1, 3} << 3 << "" << 0;
    }
    void move() {
        QFETCH(QList<int>, selected);
        QFETCH(int, chosen);
        QFETCH(QString, after);
        QFETCH(int, first);
        const std::optional<GroupMove> moved = moveGroup(letters("A B C D E"), selected, chosen);
        QCOMPARE(moved.has_value(), !after.isEmpty());
        if (!moved) return;
        QCOMPARE(moved->rows, letters(after));
        QCOMPARE(moved->first, first);
    }

    void imagesGoing() {
        const QStringList main{"a.jpg :1", "b.jpg", "a.jpg :3", "c.jpg :4", "A.jpg"};
        // names compare exactly; a colon without the space belongs to the name
        QCOMPARE(rowsWhoseImageGoes(main, {"a.jpg:3", "B.jpg", "A.jpg :x"}), (QList<int>{0, 1, 2, 3}));
        QCOMPARE(rowsWithout(letters("A B C D E"), {3, 1, 9, -1, 1}), letters("A C E"));
    }
};

QTEST_APPLESS_MAIN(TestGroupMove)
#include "test_group_move.moc"
