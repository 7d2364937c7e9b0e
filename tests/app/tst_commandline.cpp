#include "app/commandline.h"
#include "tests/support/testenvironment.h"

#include <QDir>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void plainMessage()
    {
        // Ordinary absolute paths keep the plain wire form.
        QCOMPARE(CommandLine::buildMessage({QStringLiteral("/usr/bin/vellumin"),
                                            QStringLiteral("/books/a b.epub")}),
                 QStringLiteral("/usr/bin/vellumin|/books/a b.epub|"));
        QCOMPARE(CommandLine::buildMessage({QStringLiteral("/usr/bin/vellumin")}),
                 QStringLiteral("/usr/bin/vellumin|"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("program only") << QStringList{"/opt/v/vellumin"};
        QTest::newRow("pipe in path") << QStringList{"/opt/v/vellumin", "/books/a|b.fb2"};
        QTest::newRow("percent in path")
                << QStringList{"/opt/v/vellumin", "/books/100%25 and %7C.epub"};
        QTest::newRow("several") << QStringList{"/opt/v/vellumin", "/a.epub", "/b|c.pdf", "/d%"};
        QTest::newRow("non-ascii") << QStringList{"/opt/v/vellumin", "/книги/Мир.epub"};
    }

    void roundTrip()
    {
        QFETCH(QStringList, arguments);
        QCOMPARE(CommandLine::parseMessage(CommandLine::buildMessage(arguments)), arguments);
    }

    void relativePathsBecomeAbsolute()
    {
        const QStringList parsed = CommandLine::parseMessage(CommandLine::buildMessage(
                {QStringLiteral("vellumin"), QStringLiteral("sub/book.epub")}));
        QCOMPARE(parsed.size(), 2);
        QCOMPARE(parsed.at(1), QDir::current().absoluteFilePath(QStringLiteral("sub/book.epub")));
    }

    void baseWidth_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<int>("width");
        QTest::newRow("1366x768") << QSize(1366, 768) << 728;
        QTest::newRow("1280x720") << QSize(1280, 720) << 720;
        QTest::newRow("1024x600") << QSize(1024, 600) << 720;
        QTest::newRow("1920x1080") << QSize(1920, 1080) << 900;
        QTest::newRow("800x750") << QSize(800, 750) << 750;
        QTest::newRow("759 edge") << QSize(1000, 759) << 759;
        QTest::newRow("760 edge") << QSize(1000, 760) << 720;
        QTest::newRow("899 edge") << QSize(1000, 899) << 859;
        QTest::newRow("900 edge") << QSize(1000, 900) << 900;
    }

    void baseWidth()
    {
        QFETCH(QSize, screen);
        QFETCH(int, width);
        QCOMPARE(CommandLine::mainWindowBaseWidth(QRect(QPoint(0, 0), screen)), width);
    }
};

VL_TEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
