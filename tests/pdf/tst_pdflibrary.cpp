// The PDF library as the program reaches it: the stand-in library's exports
// against the entry-point table, the loader's outcomes when the file or a
// name is missing, and the binding's conversions and locking.

#include "pdf/ondarelpdflibrarydll1016.h"
#include "pdf/ondarelpdflibrarydll1016qt.h"
#include "tests/pdf/pdffixture.h"
#include "tests/support/testenvironment.h"

#include "core/logger.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

QString libraryFile(const QString &name)
{
    return TestEnvironment::binDir() + QLatin1Char('/') + name;
}

QString standInLibrary()
{
    return libraryFile(QStringLiteral("OndarelPDFLibraryDLL1016.dll"));
}

// The names of the table, with "DPL" in front, in its order.
QStringList tableNames()
{
    QFile file(QStringLiteral(VL_SOURCE_DIR "/platform/pdflibrary/entrypoints.table"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    static const QRegularExpression declaration(QStringLiteral("^\\w+\\s+(\\w+)\\("));
    QStringList names;
    for (const QString &line : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = declaration.match(line);
        if (match.hasMatch())
            names << QStringLiteral("DPL") + match.captured(1);
    }
    return names;
}

int entryIndex(const char *name)
{
    for (int i = 0; i < OndarelPDFLibraryDLL1016::entryCount; ++i) {
        if (qstrcmp(OndarelPDFLibraryDLL1016::entryNames[i], name) == 0)
            return i;
    }
    return -1;
}

} // namespace

class TestPdfLibrary : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QStandardPaths::setTestModeEnabled(true);
        QVERIFY(m_folder.isValid());
        m_pdf = m_folder.filePath(QStringLiteral("three.pdf"));
        QVERIFY(pdffixture::writeTextPdf(m_pdf, 3, QStringLiteral("Three pages")));
    }

    void cleanupTestCase() { m_folder.setAutoRemove(!QTest::currentTestFailed()); }

    void loaderLooksUpTheTable()
    {
        const QStringList names = tableNames();
        QCOMPARE(names.size(), OndarelPDFLibraryDLL1016::entryCount);
        for (int i = 0; i < names.size(); ++i)
            QCOMPARE(QString::fromLatin1(OndarelPDFLibraryDLL1016::entryNames[i]), names.at(i));
        QCOMPARE(names.first(), QStringLiteral("DPLSetProgressCallback"));
        QCOMPARE(names.indexOf(QStringLiteral("DPLCreateLibrary")), 85);
    }

    // The binding's members in the meta-object: the load state first, then
    // one per forwarded entry point in table order, with the library's own
    // parameter names.
    void bindingMetaObject()
    {
        const QMetaObject &meta = OndarelPDFLibraryDLLQt1016::staticMetaObject;
        QCOMPARE(QString::fromLatin1(meta.className()),
                 QStringLiteral("OndarelPDFLibraryDLLQt1016"));
        const int first = meta.methodOffset();
        QStringList forwarded = tableNames();
        for (const char *own :
             { "DPLAddToBuffer", "DPLAnsiStringResultLength", "DPLCreateBuffer", "DPLCreateLibrary",
               "DPLReleaseBuffer", "DPLReleaseLibrary", "DPLStringResultLength" })
            QVERIFY(forwarded.removeOne(QString::fromLatin1(own)));
        QCOMPARE(meta.methodCount() - first, forwarded.size() + 1);
        QCOMPARE(meta.method(first).name(), QByteArray("LibraryLoaded"));
        for (int i = 0; i < forwarded.size(); ++i)
            QCOMPARE(QString::fromLatin1(meta.method(first + 1 + i).name()),
                     forwarded.at(i).mid(3));

        auto parameters = [&](const char *name) {
            const int index = meta.indexOfMethod(meta.normalizedSignature(name));
            return index < 0 ? QList<QByteArray>() : meta.method(index).parameterNames();
        };
        QCOMPARE(parameters("AddArcToPath(double,double,double)"),
                 QList<QByteArray>({ "CenterX", "CenterY", "TotalAngle" }));
        QCOMPARE(parameters("AddLinkToEmbeddedFile(double,double,double,double,int,QString,QString,"
                            "int,int)")
                         .last(),
                 QByteArray("Transpareny"));
        QCOMPARE(parameters("RenderPageToDC(double,int,gdi::HDC)"),
                 QList<QByteArray>({ "DPI", "Page", "DC" }));
    }

    void libraryExportsEveryName()
    {
        OndarelPDFLibraryDLL1016 loader(standInLibrary().toStdWString());
        QVERIFY2(loader.LibraryLoaded(), loader.loadError().c_str());
        QVERIFY(loader.instanceId() > 0);
        for (int i = 0; i < OndarelPDFLibraryDLL1016::entryCount; ++i)
            QVERIFY2(loader.entryAddress(i), OndarelPDFLibraryDLL1016::entryNames[i]);

        QProcess nm;
        nm.start(QStringLiteral("nm"),
                 { QStringLiteral("-D"), QStringLiteral("--defined-only"), standInLibrary() });
        if (!nm.waitForFinished(30000) || nm.exitStatus() != QProcess::NormalExit)
            QSKIP("nm is not available to count the exports");
        QStringList exported;
        for (const QString &line : QString::fromLatin1(nm.readAllStandardOutput()).split('\n')) {
            const QStringList fields = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (fields.size() == 3 && fields.at(1) == QLatin1String("T"))
                exported << fields.at(2);
        }
        exported.sort();
        QStringList expected = tableNames();
        expected.sort();
        QCOMPARE(exported, expected);
    }

    void missingLibrary_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("no such file") << QStringLiteral("missing");
        QTest::newRow("not a library") << QStringLiteral("text");
        QTest::newRow("a folder") << QStringLiteral("folder");
        QTest::newRow("bare name") << QStringLiteral("bare");
    }

    // Every member answers without calling anything, and the log says why
    // once per file, not once per call or per document.
    void missingLibrary()
    {
        QFETCH(QString, kind);
        QString path = m_folder.filePath(kind + QStringLiteral(".dll"));
        if (kind == QLatin1String("text")) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("not a library\n");
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
        } else if (kind == QLatin1String("bare")) {
            // Only the file named is loaded, never one found on a search path.
            path = QStringLiteral("libc.so.6");
        }

        const QString logFile = Logger::instance()->logFileName();
        QFile::remove(logFile);
        for (int round = 0; round < 2; ++round) {
            OndarelPDFLibraryDLLQt1016 binding(path);
            QVERIFY(!binding.LibraryLoaded());
            QCOMPARE(binding.LoadFromFile(m_pdf, QString()), 0);
            QCOMPARE(binding.PageCount(), 0);
            QCOMPARE(binding.GetPageBox(2, 2), 0.0);
            QCOMPARE(binding.GetInformation(2), QString());
            QCOMPARE(binding.GetPrinterDevModeToString(QStringLiteral("printer")), QString());
            QCOMPARE(binding.SetPrinterDevModeFromString(QStringLiteral("x")), 0);
            QCOMPARE(binding.RenderPageToDC(72.0, 1, nullptr), 0);
            QCOMPARE(binding.GetCanvasDC(10, 10), gdi::HDC(nullptr));
        }
        OndarelPDFLibraryDLL1016 loader(path.toStdWString());
        QCOMPARE(loader.instanceId(), 0);
        QVERIFY(!loader.loadError().empty());

        QFile log(logFile);
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(log.readAll());
        QCOMPARE(text.count(QStringLiteral("PDF library ") + path), 1);
    }

    // A library without one of the names still loads and makes its
    // instance; the missing entry answers empty, the others work.
    void libraryLackingOneName()
    {
        const QString path = libraryFile(QStringLiteral("PdfLibraryLackingOutlineTitle.dll"));
        QVERIFY(QFile::exists(path));
        OndarelPDFLibraryDLL1016 loader(path.toStdWString());
        QVERIFY(!loader.LibraryLoaded());
        QVERIFY(loader.instanceId() > 0);
        QVERIFY(!loader.entryAddress(entryIndex("DPLOutlineTitle")));
        QVERIFY(loader.entryAddress(entryIndex("DPLOutlineCount")));
        QVERIFY(QString::fromStdString(loader.loadError())
                        .contains(QStringLiteral("DPLOutlineTitle")));

        OndarelPDFLibraryDLLQt1016 binding(&loader);
        QVERIFY(!binding.LibraryLoaded());
        QCOMPARE(binding.LoadFromFile(m_pdf, QString()), 1);
        QCOMPARE(binding.PageCount(), 3);
        QCOMPARE(binding.OutlineTitle(1), QString());
    }

    void unimplementedEntriesSayNotSupported()
    {
        OndarelPDFLibraryDLLQt1016 binding(standInLibrary());
        QVERIFY(binding.LibraryLoaded());
        QCOMPARE(binding.AddArcToPath(1.0, 2.0, 90.0), 0);
        QCOMPARE(binding.LastErrorCode(), 900);
        QCOMPARE(binding.GetBaseURL(), QString());
        QCOMPARE(binding.SaveToString(), QString());
        QCOMPARE(binding.GetPrintPreviewBitmapToString(QStringLiteral("p"), 1, 1, 0, 10, 0),
                 QString());
        QCOMPARE(binding.LastErrorCode(), 900);
        QCOMPARE(binding.DrawTableRows(1, 0.0, 0.0, 10.0, 1, 2), 0.0);
    }

    void textCrossesTheBoundary_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << QStringLiteral("/books/a.pdf") << QStringLiteral("/books/a.pdf");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("outside the basic plane")
                << QStringLiteral("\U0001D11E Noten \u00e9t\u00e9 \u4e66")
                << QStringLiteral("\U0001D11E Noten \u00e9t\u00e9 \u4e66");
        QTest::newRow("wide argument cut at NUL")
                << QString::fromUtf16(u"ab\0cd", 5) << QStringLiteral("ab");
    }

    void textCrossesTheBoundary()
    {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        OndarelPDFLibraryDLLQt1016 binding(standInLibrary());
        QCOMPARE(binding.AddToFileList(QStringLiteral("list"), text), 1);
        QCOMPARE(binding.FileListCount(QStringLiteral("list")), 1);
        const QString back = binding.FileListItem(QStringLiteral("list"), 0);
        QCOMPARE(back, expected);
        QCOMPARE(back.size(), expected.size());
        QCOMPARE(binding.FileListItem(QStringLiteral("list"), 1), QString());
    }

    // The settings text goes out and back through the byte-string
    // conversions without changing, whatever the printer is called.
    void printerSettingsRoundTrip()
    {
        OndarelPDFLibraryDLLQt1016 binding(standInLibrary());
        const QString printer = QStringLiteral("Caf\u00e9 \u2615 Drucker/\u2116 1, \"A4\"");
        const QString settings = binding.GetPrinterDevModeToString(printer);
        QVERIFY(!settings.isEmpty());
        for (const QChar c : settings)
            QVERIFY2(c.unicode() < 0x7f, qPrintable(settings));
        QCOMPARE(binding.SetPrinterDevModeFromString(settings), 1);
        QCOMPARE(binding.GetPrinterDevModeToString(printer), settings);

        // What this library never produced is refused, and the settings
        // handed in before stay.
        QCOMPARE(binding.SetPrinterDevModeFromString(QStringLiteral("\u00ff\u00fe binary")), 0);
        QCOMPARE(binding.SetPrinterDevModeFromString(QString()), 0);
        QCOMPARE(binding.GetPrinterDevModeToString(printer), settings);
    }

    // Two threads on one binding: each text result is read with the length
    // of its own call, never the other thread's.
    void callsFromTwoThreadsAreSerialised()
    {
        OndarelPDFLibraryDLLQt1016 binding(standInLibrary());
        const QString shortName = QStringLiteral("s");
        const QString longName = QString(300, QLatin1Char('L'));
        binding.AddToFileList(QStringLiteral("short"), shortName);
        binding.AddToFileList(QStringLiteral("long"), longName);
        std::atomic<int> wrong { 0 };
        auto hammer = [&](const QString &list, const QString &expected) {
            for (int i = 0; i < 3000; ++i) {
                if (binding.FileListItem(list, 0) != expected)
                    ++wrong;
            }
        };
        std::unique_ptr<QThread> one(QThread::create(hammer, QStringLiteral("short"), shortName));
        std::unique_ptr<QThread> two(QThread::create(hammer, QStringLiteral("long"), longName));
        one->start();
        two->start();
        QVERIFY(one->wait(60000));
        QVERIFY(two->wait(60000));
        QCOMPARE(wrong.load(), 0);
    }

    void bindingsHaveInstancesOfTheirOwn()
    {
        OndarelPDFLibraryDLL1016 shared(standInLibrary().toStdWString());
        auto first = std::make_unique<OndarelPDFLibraryDLLQt1016>(standInLibrary());
        OndarelPDFLibraryDLLQt1016 second(standInLibrary());
        QCOMPARE(first->LoadFromFile(m_pdf, QString()), 1);
        QCOMPARE(second.PageCount(), 0);
        QCOMPARE(second.LoadFromFile(m_pdf, QString()), 1);
        QCOMPARE(first->SelectPage(3), 1);
        QCOMPARE(second.SelectedPage(), 1);
        first.reset();
        QCOMPARE(second.PageCount(), 3);

        // A binding over a loader it does not own leaves the loader usable.
        {
            OndarelPDFLibraryDLLQt1016 borrowed(&shared);
            QCOMPARE(borrowed.LoadFromFile(m_pdf, QString()), 1);
        }
        OndarelPDFLibraryDLLQt1016 again(&shared);
        QCOMPARE(again.PageCount(), 3);
    }

private:
    QTemporaryDir m_folder;
    QString m_pdf;
};

VL_TEST_GUI_MAIN(TestPdfLibrary)

#include "tst_pdflibrary.moc"
