#include "reader/notesexport.h"
#include "tests/support/testenvironment.h"

#include <QRegularExpression>
#include <QTest>

class tst_NotesExport : public QObject
{
    Q_OBJECT

private slots:
    void sortedAndGroupedByPageAndChapter();
    void bookAndReaderTextIsEscaped_data();
    void bookAndReaderTextIsEscaped();
    void noNotesGivesTheHeaderOnly();
};

namespace {

Note note(const QString &title, int page, const QString &context)
{
    Note n;
    n.chapterTitle = title;
    n.page = page;
    n.context = context;
    n.color = QColor(243, 227, 162);
    n.date = QDateTime(QDate(2024, 5, 6), QTime(7, 8), Qt::UTC);
    return n;
}

// The chapter rows and noted texts in the order the page shows them.
QStringList order(const QString &html)
{
    QStringList found;
    static const QRegularExpression cell(
            "width:90%;\" class=\"cell\">([^<]*)</div>.*?Notes: (\\d+)|notecontext hyphens\">([^<]*)<");
    auto it = cell.globalMatch(html);
    while (it.hasNext()) {
        const auto match = it.next();
        found.append(match.captured(1).isEmpty() && match.captured(2).isEmpty()
                             ? match.captured(3)
                             : QString("[%1 %2]").arg(match.captured(1), match.captured(2)));
    }
    return found;
}

} // namespace

void tst_NotesExport::sortedAndGroupedByPageAndChapter()
{
    const QString html = notesHtml({ note("B", 12, "x"), note("A", 3, "y"), note("A", 12, "z"),
                                     note("A", 20, "w") },
                                   "Title", "Author", 40);
    // Page, then title: 3 A, 12 A, 12 B, 20 A; the B between the A notes
    // makes two groups named A.
    QCOMPARE(order(html), QStringList({ "Context", "[A 2]", "y", "z", "[B 1]", "x", "[A 1]", "w" }));
    QVERIFY(html.contains("<div class=\"cell pagedate\">3/40</div>"));
    const QDateTime local = QDateTime(QDate(2024, 5, 6), QTime(7, 8), Qt::UTC).toLocalTime();
    QVERIFY(html.contains(local.toString("dd.MM.yyyy") + '\r' + local.toString("hh:mm")));
    QVERIFY(html.startsWith("<!DOCTYPE html><html lang=\"en\""));
    QVERIFY(html.contains("<h1>Title</h1><h2>Author</h2>"));
}

void tst_NotesExport::bookAndReaderTextIsEscaped_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("comment markup") << "comment" << "<script>alert(1)</script>";
    QTest::newRow("comment placeholder") << "comment" << "%1 and %6";
    QTest::newRow("noted text") << "context" << "<img src=x onerror=alert(1)>";
    QTest::newRow("chapter title") << "title" << "</div><b>bold</b>";
    QTest::newRow("book title") << "book" << "<i>Book</i> & co";
}

void tst_NotesExport::bookAndReaderTextIsEscaped()
{
    QFETCH(QString, field);
    QFETCH(QString, text);
    Note n = note("Chapter", 2, "words");
    if (field == "comment")
        n.text = text;
    else if (field == "context")
        n.context = text;
    else if (field == "title")
        n.chapterTitle = text;
    const QString html = notesHtml({ n }, field == "book" ? text : "Book", "Author", 10);
    QVERIFY(html.contains(text.toHtmlEscaped()));
    if (text.contains('<'))
        QVERIFY(!html.contains(text));
    // Placeholders in the reader's text stay text.
    QVERIFY(html.contains("2/10"));
    QVERIFY(html.contains("background-color: #f3e3a2;"));
}

void tst_NotesExport::noNotesGivesTheHeaderOnly()
{
    const QString html = notesHtml({}, "Book", "Author", 0);
    QCOMPARE(order(html), QStringList({ "Context" }));
    QVERIFY(html.contains(">Note<") && html.contains(">Page<") && html.contains(">Date<"));
}

VL_TEST_GUILESS_MAIN(tst_NotesExport)
#include "tst_notesexport.moc"
