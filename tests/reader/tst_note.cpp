#include "reader/note.h"
#include "tests/support/testenvironment.h"

#include <QRegularExpression>
#include <QSet>

class tst_Note : public QObject
{
    Q_OBJECT

private slots:
    void location_data();
    void location();
    void idsAreFreshHexadecimal();
    void palette();
};

void tst_Note::location_data()
{
    QTest::addColumn<QString>("chapter");
    QTest::addColumn<QString>("startPath");
    QTest::addColumn<QString>("expected");

    QTest::newRow("text step cut and replaced by the span")
            << "C:/data/book/ch01.html"
            << "/HTML[1]/BODY[1]/DIV[2]/P[3]/text()"
            << "C:/data/book/ch01.html?vorpath=%2FHTML%5B1%5D%2FBODY%5B1%5D%2FDIV%5B2%5D%2FP%5B3%5D"
               "%2FSPAN%5B1%5D";
    QTest::newRow("numbered text step")
            << "ch.xhtml"
            << "/HTML[1]/BODY[1]/P[1]/text()[2]"
            << "ch.xhtml?vorpath=%2FHTML%5B1%5D%2FBODY%5B1%5D%2FP%5B1%5D%2FSPAN%5B1%5D";
    QTest::newRow("no text step: span before the last step")
            << "ch.xhtml"
            << "/HTML[1]/BODY[1]/P[3]"
            << "ch.xhtml?vorpath=%2FHTML%5B1%5D%2FBODY%5B1%5D%2FSPAN%5B1%5D%2FP%5B3%5D";
    QTest::newRow("no slash at all") << "ch.xhtml"
                                     << "P"
                                     << "ch.xhtml?vorpath=P";
    QTest::newRow("non-ASCII bytes encoded")
            << "ч.xhtml"
            << "/HTML[1]/é"
            << "ч.xhtml?vorpath=%2FHTML%5B1%5D%2FSPAN%5B1%5D%2F%C3%A9";
}

void tst_Note::location()
{
    QFETCH(QString, chapter);
    QFETCH(QString, startPath);
    QFETCH(QString, expected);
    Note note;
    note.chapter = chapter;
    note.startPath = startPath;
    QCOMPARE(noteLocation(note), expected);
}

void tst_Note::idsAreFreshHexadecimal()
{
    const QRegularExpression form(QStringLiteral("^[0-9a-f]{32}$"));
    QSet<QString> seen;
    for (int i = 0; i < 200; ++i) {
        const QString id = makeNoteId();
        QVERIFY2(form.match(id).hasMatch(), qPrintable(id));
        QVERIFY(!seen.contains(id));
        seen.insert(id);
    }
}

void tst_Note::palette()
{
    QCOMPARE(noteColors(),
             QStringList({ "allcolors", "#f3a2a2", "#f3e3a2", "#b1f3a4", "#aed9f1", "#ccb8e4" }));
    QCOMPARE(defaultNoteColor().name(), noteColors().at(2));
}

VL_TEST_GUILESS_MAIN(tst_Note)
#include "tst_note.moc"
