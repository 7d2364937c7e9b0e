#include "reader/notesmodel.h"
#include "reader/notesortfiltermodel.h"
#include "tests/support/testenvironment.h"

#include <QTest>

namespace {

Note note(const QString &title, const QString &context, const QString &comment, int colour,
          int page, int minute)
{
    Note n;
    n.id = makeNoteId();
    n.chapterTitle = title;
    n.context = context;
    n.text = comment;
    n.color = QColor(noteColors().at(colour));
    n.page = page;
    n.chapter = QStringLiteral("ch1.xhtml");
    n.startPath = QStringLiteral("/HTML[1]/BODY[1]/P[1]/text()[1]");
    n.date = QDateTime(QDate(2024, 3, 1), QTime(10, minute), Qt::UTC);
    return n;
}

// Titles A, B, A: two groups, notes in list order under them.
QList<Note> sample()
{
    return { note("A", "The colour of the sea", "", 1, 12, 1),
             note("B", "plain words", "a COLOR remark", 3, 3, 2),
             note("A", "more words", "second thoughts", 3, 0, 3) };
}

// The visible rows as "group: context, context; group: ...".
QString shown(const QAbstractItemModel &model)
{
    QStringList groups;
    for (int g = 0; g < model.rowCount(); ++g) {
        const QModelIndex group = model.index(g, 0);
        QStringList notes;
        for (int r = 0; r < model.rowCount(group); ++r)
            notes.append(model.index(r, 1, group).data().toString());
        groups.append(model.index(g, 1).data().toString() + QStringLiteral(": ")
                      + notes.join(QStringLiteral(", ")));
    }
    return groups.join(QStringLiteral("; "));
}

} // namespace

class tst_NotesModel : public QObject
{
    Q_OBJECT

private slots:
    void treeGroupsByChapterTitle();
    void cellsOfNoteAndChapterRows();
    void filters_data();
    void filters();
    void sorting_data();
    void sorting();
    void removedRowLeavesEmptyChapterHidden();
};

void tst_NotesModel::treeGroupsByChapterTitle()
{
    NotesModel model;
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Context"));
    QCOMPARE(model.headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(), QString("Date"));
    model.setNotes(sample());
    QCOMPARE(shown(model), QString("A: The colour of the sea, more words; B: plain words"));
    const QModelIndex group = model.index(0, 0);
    QCOMPARE(model.parent(model.index(1, 3, group)), group);
    QVERIFY(!model.parent(group).isValid());
    QCOMPARE(model.rowCount(model.index(0, 2)), 0);
}

void tst_NotesModel::cellsOfNoteAndChapterRows()
{
    NotesModel model;
    QList<Note> notes = sample();
    // Late at night in UTC is the next day where the clock is ahead.
    notes[0].date = QDateTime(QDate(2023, 12, 31), QTime(23, 30), Qt::UTC);
    model.setNotes(notes);
    const QModelIndex group = model.index(0, 0);
    const QModelIndex first = model.index(0, 0, group);
    const QDateTime local = notes[0].date.toLocalTime();
    QCOMPARE(first.siblingAtColumn(4).data().toString(),
             local.toString("dd.MM.yyyy") + '\r' + local.toString("hh:mm"));
    QCOMPARE(first.siblingAtColumn(3).data().toString(), QString("12"));
    QCOMPARE(model.index(1, 3, group).data().toString(), QString("..."));
    QCOMPARE(first.data(Qt::DisplayRole).value<QColor>(), QColor("#f3a2a2"));
    QCOMPARE(first.data(NotesModel::LocationRole).toString(),
             QString("ch1.xhtml?vorpath=%2FHTML%5B1%5D%2FBODY%5B1%5D%2FP%5B1%5D%2FSPAN%5B1%5D"));
    QCOMPARE(first.data(NotesModel::KindRole).toInt(), 2);
    QCOMPARE(group.siblingAtColumn(6).data().toString(), QString("2"));
    QCOMPARE(group.data(NotesModel::KindRole).toInt(), 1);
    QCOMPARE(model.flags(group), Qt::ItemIsEnabled);
    QCOMPARE(model.flags(first), Qt::ItemIsSelectable | Qt::ItemIsEnabled);
}

void tst_NotesModel::filters_data()
{
    QTest::addColumn<int>("colour");
    QTest::addColumn<int>("comments");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("expected");

    const QString all = "A: The colour of the sea, more words; B: plain words";
    QTest::newRow("none") << 0 << 0 << "" << all;
    QTest::newRow("green only") << 3 << 0 << "" << "A: more words; B: plain words";
    QTest::newRow("red only") << 1 << 0 << "" << "A: The colour of the sea";
    QTest::newRow("violet: nothing") << 5 << 0 << "" << "";
    QTest::newRow("with comments") << 0 << 1 << "" << "A: more words; B: plain words";
    QTest::newRow("without comments") << 0 << 2 << "" << "A: The colour of the sea";
    QTest::newRow("expression in text or comment")
            << 0 << 0 << "colou?r" << "A: The colour of the sea; B: plain words";
    QTest::newRow("invalid expression hides all") << 0 << 0 << "(" << "";
    QTest::newRow("all three") << 3 << 1 << "thought" << "A: more words";
}

void tst_NotesModel::filters()
{
    QFETCH(int, colour);
    QFETCH(int, comments);
    QFETCH(QString, search);
    QFETCH(QString, expected);
    NotesModel model;
    NoteSortFilterModel proxy;
    proxy.setSourceModel(&model);
    model.setNotes(sample());
    model.setColorFilter(noteColors().at(colour));
    model.setCommentFilter(comments);
    proxy.setSearchText(search);
    proxy.invalidate();
    QCOMPARE(shown(proxy), expected);
}

void tst_NotesModel::sorting_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("order");
    QTest::addColumn<QString>("expected");
    QTest::newRow("page: unknown page first")
            << 3 << int(Qt::AscendingOrder) << "A: more words, The colour of the sea; B: plain words";
    QTest::newRow("date, newest first")
            << 4 << int(Qt::DescendingOrder) << "A: more words, The colour of the sea; B: plain words";
    QTest::newRow("context orders the chapters and their notes")
            << 1 << int(Qt::DescendingOrder) << "B: plain words; A: more words, The colour of the sea";
    QTest::newRow("colour column is refused")
            << 0 << int(Qt::DescendingOrder) << "A: The colour of the sea, more words; B: plain words";
}

void tst_NotesModel::sorting()
{
    QFETCH(int, column);
    QFETCH(int, order);
    QFETCH(QString, expected);
    NotesModel model;
    NoteSortFilterModel proxy;
    proxy.setSourceModel(&model);
    model.setNotes(sample());
    proxy.sort(column, Qt::SortOrder(order));
    QCOMPARE(shown(proxy), expected);
}

void tst_NotesModel::removedRowLeavesEmptyChapterHidden()
{
    NotesModel model;
    NoteSortFilterModel proxy;
    proxy.setSourceModel(&model);
    model.setNotes(sample());
    const QModelIndex b = model.index(1, 0);
    QVERIFY(model.removeRow(0, b));
    proxy.invalidate();
    QCOMPARE(shown(proxy), QString("A: The colour of the sea, more words"));
    QVERIFY(!model.removeRow(5, b));
    // The note list itself is the reading controller's to change.
    QCOMPARE(model.notes().size(), 3);
}

VL_TEST_WIDGETS_MAIN(tst_NotesModel)
#include "tst_notesmodel.moc"
