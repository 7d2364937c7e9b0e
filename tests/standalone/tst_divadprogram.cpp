#include "standalone/util/ansi.h"
#include "tests/standalone/divadtestsupport.h"
#include "tests/support/testenvironment.h"

#include <QCryptographicHash>
#include <QImage>
#include <QProcess>

// The divad program as a user starts it: the first start with its help
// book, a novel drawn legibly in every skin, and an orderly end on a
// termination request.
class TestDivadProgram : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<divadtest::DataFolder> m_home;

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DIVAD_HOME"), m_home->path());
        env.insert(QStringLiteral("DIVAD_NO_SOUND"), QStringLiteral("1"));
        env.insert(QStringLiteral("DIVAD_WEB_BASE"), QStringLiteral("http://127.0.0.1:9"));
        return env;
    }

    int run(const QStringList &arguments, QString *errors = nullptr)
    {
        QProcess divad;
        divad.setProcessEnvironment(environment());
        divad.start(TestEnvironment::binDir() + QStringLiteral("/divad"), arguments);
        if (!divad.waitForFinished(30000)) {
            divad.kill();
            divad.waitForFinished();
            return -1;
        }
        if (errors)
            *errors = QString::fromUtf8(divad.readAllStandardError());
        return divad.exitStatus() == QProcess::NormalExit ? divad.exitCode() : -1;
    }

    // Dark pixels in a band of the left and of the right page.
    static void countInk(const QImage &shot, int *left, int *right)
    {
        *left = *right = 0;
        const int top = shot.height() / 8;
        const int bottom = shot.height() * 7 / 8;
        for (int y = top; y < bottom; y += 2) {
            for (int x = shot.width() / 10; x < shot.width() * 9 / 10; x += 2) {
                if (qGray(shot.pixel(x, y)) < 90)
                    ++(x < shot.width() / 2 ? *left : *right);
            }
        }
    }

private slots:
    void init() { m_home = std::make_unique<divadtest::DataFolder>(); }
    void cleanup() { m_home.reset(); }

    void everySkinIsLegible_data()
    {
        QTest::addColumn<int>("skin");
        for (int skin = 0; skin <= 8; ++skin)
            QTest::addRow("skin %d", skin) << skin;
    }

    void everySkinIsLegible()
    {
        QFETCH(int, skin);
        static QSet<QByteArray> looks;
        const QString book = divadtest::writeFile(m_home->file(QStringLiteral("novel.txt")),
                                                  divadtest::novelText(60000));
        m_home->writeSetting(QStringLiteral("global"), QStringLiteral("skin"), QString::number(skin));
        if (skin == 8) {
            QImage own(300, 200, QImage::Format_RGB888);
            own.fill(QColor(236, 244, 226));
            const QString bmp = m_home->file(QStringLiteral("own.bmp"));
            QVERIFY(own.save(bmp, "BMP"));
            m_home->writeSetting(QStringLiteral("global"), QStringLiteral("skinfile"), bmp);
        }
        const QString shotPath = m_home->file(QStringLiteral("shot.png"));
        QString errors;
        QCOMPARE(run({ QStringLiteral("--open"), book, QStringLiteral("--screenshot"), shotPath },
                     &errors),
                 0);
        QVERIFY2(!errors.contains(QStringLiteral("divad:")), qPrintable(errors));
        const QImage shot(shotPath);
        QVERIFY(!shot.isNull());
        // The designed 924 x 647, or 70 % of it on a small screen.
        QVERIFY(shot.size() == QSize(924, 647) || shot.size() == QSize(646, 452));
        int left = 0, right = 0;
        countInk(shot, &left, &right);
        QVERIFY2(left > 400 && right > 400, qPrintable(QStringLiteral("ink %1 / %2").arg(left).arg(right)));
        // Each skin looks like itself.
        const QByteArray look = QCryptographicHash::hash(
                QByteArray(reinterpret_cast<const char *>(shot.constBits()), int(shot.sizeInBytes())),
                QCryptographicHash::Sha1);
        QVERIFY(!looks.contains(look));
        looks.insert(look);
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("lastreadfile")), book);
    }

    void firstStartShowsTheHelpBook()
    {
        const QString shotPath = m_home->file(QStringLiteral("help.png"));
        QCOMPARE(run({ QStringLiteral("--screenshot"), shotPath }), 0);
        QFile help(m_home->file(QStringLiteral("divad.txt")));
        QVERIFY(help.open(QIODevice::ReadOnly));
        QVERIFY(help.readAll().startsWith("\xEF\xBB\xBF"));
        QVERIFY(QFileInfo(m_home->file(QStringLiteral("skins"))).isDir());
        int left = 0, right = 0;
        countInk(QImage(shotPath), &left, &right);
        QVERIFY(left > 200 && right > 200);
        // The help book is no book read.
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("lastreadfile")), QString());
    }

    void terminationSavesEverything()
    {
        const QString book = divadtest::writeFile(m_home->file(QStringLiteral("novel.txt")),
                                                  divadtest::novelText(60000));
        QProcess divad;
        divad.setProcessEnvironment(environment());
        divad.start(TestEnvironment::binDir() + QStringLiteral("/divad"),
                    { QStringLiteral("--open"), book });
        QVERIFY(divad.waitForStarted());
        // The book's record is written as soon as the book is open.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(m_home->file(QStringLiteral("bookinfo.bin"))),
                                 20000);
        QTest::qWait(300);
        divad.terminate();
        QVERIFY(divad.waitForFinished(20000));
        QCOMPARE(divad.exitStatus(), QProcess::NormalExit);
        QCOMPARE(divad.exitCode(), 0);
        QCOMPARE(m_home->readSetting(QStringLiteral("global"), QStringLiteral("lastreadfile")), book);
        QVERIFY(!m_home->readSetting(QStringLiteral("global"), QStringLiteral("fontheight")).isEmpty());
    }

    void unknownArguments()
    {
        QString errors;
        QCOMPARE(run({ QStringLiteral("--bogus") }, &errors), 2);
        QVERIFY(errors.contains(QStringLiteral("usage")));
    }
};

VL_TEST_GUILESS_MAIN(TestDivadProgram)
#include "tst_divadprogram.moc"
