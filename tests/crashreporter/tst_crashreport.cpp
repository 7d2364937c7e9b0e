#include "crashreporter/crashreport.h"
#include "crashreporter/crashreportdialog.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

// What a report gathers from the crashed program's files, how it is kept
// on disk, and the dialog that shows it before anything is sent.
class TestCrashReport : public QObject
{
    Q_OBJECT

private slots:
    void lastBook_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("attached");
        QTest::newRow("exactly 10 MiB") << qint64(10485760) << true;
        QTest::newRow("one byte more") << qint64(10485761) << false;
        QTest::newRow("small") << qint64(10) << true;
    }

    // A last book up to 10 MiB goes in; a larger one only by its path.
    void lastBook()
    {
        QFETCH(qint64, size);
        QFETCH(bool, attached);

        QTemporaryDir sources;
        QVERIFY(QDir(sources.path()).mkdir(QStringLiteral("books")));
        const QString book = sources.filePath(QStringLiteral("books/settings.ini"));
        QFile file(book);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(size));
        file.close();
        const QString settings = writeSettings(sources, book);

        QTemporaryDir folder;
        CrashReport report(folder.path());
        report.collect(sources.path(), settings, {});
        QCOMPARE(descriptions(report).contains(QStringLiteral("Last open book")), attached);
        QCOMPARE(report.value(QStringLiteral("Last open book file name")),
                 attached ? QString() : book);
        if (attached) {
            // The book's name clashed with the settings copy: both kept.
            QCOMPARE(names(report), (QStringList { "settings.ini", "(1)settings.ini" }));
            QCOMPARE(QFileInfo(report.filePath(QStringLiteral("(1)settings.ini"))).size(), size);
        }
    }

    void collectsLogSettingsBacktraceAndScreens()
    {
        QTemporaryDir sources;
        writeFile(sources.filePath(QStringLiteral("log_2024_01_01.txt")), "old day");
        QTest::qWait(20);
        writeFile(sources.filePath(QStringLiteral("log_2024_01_02.txt")), "crash day");
        const QString settings = writeSettings(sources, QStringLiteral("/no/such/book.epub"));
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("backtrace.txt")), "Signal 11\n");

        CrashReport report(folder.path());
        report.setApplication(QStringLiteral("Reader"), QStringLiteral("5.0.7"));
        report.setCrash(11, 4242);
        report.collect(sources.path(), settings, QGuiApplication::screens());
        QCOMPARE(descriptions(report),
                 (QStringList { "Backtrace", "Log file", "Configuration File" }));
        QCOMPARE(names(report),
                 (QStringList { "backtrace.txt", "log_2024_01_02.txt", "settings.ini" }));
        QCOMPARE(read(report.filePath(QStringLiteral("log_2024_01_02.txt"))),
                 QByteArray("crash day"));
        // A book that is gone adds nothing.
        QCOMPARE(report.value(QStringLiteral("Last open book file name")), QString());
        const QList<QScreen *> screens = QGuiApplication::screens();
        QCOMPARE(report.value(QStringLiteral("Screen count")), QString::number(screens.size()));
        const QRect first = screens.first()->geometry();
        QCOMPARE(report.value(QStringLiteral("Screen 0")),
                 QStringLiteral("%1x%2").arg(first.width()).arg(first.height()));

        // Saved and read back alike.
        report.setDescription(QStringLiteral("Turned a page."));
        QString error;
        QVERIFY2(report.save(&error), qPrintable(error));
        CrashReport again(folder.path());
        QVERIFY2(again.load(&error), qPrintable(error));
        QCOMPARE(again.crashId(), report.crashId());
        QCOMPARE(names(again), names(report));
        QCOMPARE(again.properties(), report.properties());
        QCOMPARE(again.description(), QStringLiteral("Turned a page."));
        QCOMPARE(again.applicationName(), QStringLiteral("Reader"));
        QVERIFY(!again.isUploaded());
        QVERIFY(again.markUploaded(&error));
        QVERIFY(again.isUploaded());
    }

    void listScreens()
    {
        // Two screens of different sizes give one value each, in order.
        QTemporaryDir folder;
        CrashReport report(folder.path());
        report.collect(folder.path(), folder.filePath(QStringLiteral("none.ini")),
                       QGuiApplication::screens() + QGuiApplication::screens());
        QCOMPARE(report.value(QStringLiteral("Screen count")),
                 QString::number(2 * QGuiApplication::screens().size()));
        QVERIFY(!report.value(QStringLiteral("Screen 1")).isEmpty());
        QVERIFY(report.files().isEmpty());
    }

    // A tampered report names only files of its own folder.
    void loadKeepsToTheFolder()
    {
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("kept.txt")), "x");
        writeFile(folder.filePath(QStringLiteral("report.json")),
                  R"({"files":[{"name":"../../etc/passwd","description":"a"},
                               {"name":"/etc/passwd","description":"b"},
                               {"name":"missing.txt","description":"c"},
                               {"name":"kept.txt","description":"d"}]})");
        CrashReport report(folder.path());
        QString error;
        QVERIFY(report.load(&error));
        QCOMPARE(names(report), QStringList { "kept.txt" });

        writeFile(folder.filePath(QStringLiteral("report.json")), "not json");
        QVERIFY(!report.load(&error));
        QVERIFY(!error.isEmpty());
    }

    void dialogShowsWhatGoesOut_data()
    {
        QTest::addColumn<bool>("send");
        QTest::newRow("send") << true;
        QTest::newRow("don't send") << false;
    }

    void dialogShowsWhatGoesOut()
    {
        QFETCH(bool, send);
        QTemporaryDir folder;
        writeFile(folder.filePath(QStringLiteral("backtrace.txt")), "Signal 11\n");
        CrashReport report(folder.path());
        report.collect(folder.path(), QString(), QGuiApplication::screens());

        CrashReportDialog dialog(report);
        QTreeWidget *contents = dialog.contents();
        QCOMPARE(contents->topLevelItemCount(), 1 + 1 + QGuiApplication::screens().size());
        QCOMPARE(contents->topLevelItem(0)->text(0), QStringLiteral("Backtrace"));
        QVERIFY(contents->topLevelItem(0)->text(1).startsWith(QStringLiteral("backtrace.txt")));
        QCOMPARE(contents->topLevelItem(1)->text(0), QStringLiteral("Screen count"));
        // Enter does not send: the safe answer is the default.
        QVERIFY(dialog.keepButton()->isDefault());

        QTimer::singleShot(0, &dialog, [&] {
            QTest::keyClicks(dialog.descriptionEdit(), QStringLiteral("Opened a book."));
            (send ? dialog.sendButton() : dialog.keepButton())->click();
        });
        QCOMPARE(dialog.exec(), send ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(dialog.description(), QStringLiteral("Opened a book."));
    }

private:
    static void writeFile(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    static QByteArray read(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static QString writeSettings(const QTemporaryDir &folder, const QString &book)
    {
        const QString path = folder.filePath(QStringLiteral("settings.ini"));
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue(QStringLiteral("last_open_book"), book);
        settings.sync();
        return path;
    }

    static QStringList names(const CrashReport &report)
    {
        QStringList names;
        for (const CrashReport::File &file : report.files())
            names.append(file.name);
        return names;
    }

    static QStringList descriptions(const CrashReport &report)
    {
        QStringList descriptions;
        for (const CrashReport::File &file : report.files())
            descriptions.append(file.description);
        return descriptions;
    }
};

VL_TEST_WIDGETS_MAIN(TestCrashReport)
#include "tst_crashreport.moc"
