#include "library/db/bookformat.h"
#include "tests/support/testenvironment.h"

class TestBookFormat : public QObject
{
    Q_OBJECT

private slots:
    void fromString_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("format");
        QTest::newRow("lower") << "epub" << 0;
        QTest::newRow("upper") << "EPUB" << 0;
        QTest::newRow("mixed") << "Epub" << 0;
        QTest::newRow("7z upper") << "7Z" << 10;
        QTest::newRow("djvu has a row") << "djvu" << 4;
        QTest::newRow("prc") << "PRC" << 5;
        QTest::newRow("empty") << "" << 12;
        QTest::newRow("null") << QString() << 12;
        QTest::newRow("doc") << "doc" << 12;
        QTest::newRow("prefix of djvu") << "djv" << 12;
        QTest::newRow("with dot") << ".epub" << 12;
        QTest::newRow("unknown itself") << "unknown" << 12;
    }

    void fromString()
    {
        QFETCH(QString, name);
        QFETCH(int, format);
        QCOMPARE(BookFormat::fromString(name), format);
    }

    void toString_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("name");
        QTest::newRow("0") << 0 << "epub";
        QTest::newRow("4") << 4 << "djvu";
        QTest::newRow("10") << 10 << "7z";
        QTest::newRow("11 unassigned") << 11 << "unknown";
        QTest::newRow("12 unknown") << 12 << "unknown";
        QTest::newRow("negative") << -1 << "unknown";
        QTest::newRow("large") << 1000 << "unknown";
    }

    void toString()
    {
        QFETCH(int, format);
        QFETCH(QString, name);
        QCOMPARE(BookFormat::toString(format), name);
    }

    void roundTripGivesLowerCaseName()
    {
        const QMap<int, QString> &names = BookFormat::names();
        QCOMPARE(names.size(), 11);
        QCOMPARE(names.firstKey(), 0);
        QCOMPARE(names.lastKey(), BookFormat::LastFormat);
        for (auto it = names.cbegin(); it != names.cend(); ++it) {
            QCOMPARE(it.value(), it.value().toLower());
            QCOMPARE(BookFormat::toString(BookFormat::fromString(it.value().toUpper())),
                     it.value());
        }
    }
};

VL_TEST_GUILESS_MAIN(TestBookFormat)
#include "tst_bookformat.moc"
