#include "app/updatechecker.h"
#include "app/version.h"
#include "tests/support/localhttpserver.h"
#include "tests/support/testenvironment.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QUrlQuery>

using Headers = QList<QPair<QByteArray, QByteArray>>;

// Version texts compared part by part, and the update check against a
// server of the test's own, friendly and hostile.
class TestUpdateChecker : public QObject
{
    Q_OBJECT

private slots:
    void compareVersion_data()
    {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("result");
        QTest::newRow("newer minor") << "5.1"
                                     << "5.0.7" << 1;
        QTest::newRow("equal") << "5.0.7"
                               << "5.0.7" << 0;
        QTest::newRow("numbers, not text") << "5.0.7"
                                           << "5.0.10" << -1;
        QTest::newRow("missing parts are 0") << "5"
                                             << "5.0.0" << 0;
        QTest::newRow("unreadable part stops the reading") << "5.x.9"
                                                           << "5.0.1" << -1;
        QTest::newRow("no leading number") << "abc"
                                           << "0.0.0" << 0;
        QTest::newRow("empty") << ""
                               << "1.0.0" << -1;
        QTest::newRow("fourth part ignored") << "5.0.7.9"
                                             << "5.0.7" << 0;
        QTest::newRow("empty piece") << "5..7"
                                     << "5.0.0" << 0;
        QTest::newRow("major wins") << "10.0"
                                    << "9.99.99" << 1;
        QTest::newRow("overflowing part") << "5.99999999999"
                                          << "5.0" << 0;
    }

    void compareVersion()
    {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, result);
        QCOMPARE(Version::compareVersion(a, b), result);
        QCOMPARE(Version::compareVersion(b, a), -result);
    }

    void parseVersionAlwaysHasThreeParts()
    {
        QMap<int, int> parts;
        QVERIFY(!Version::parseUrl(QStringLiteral("x.1"), parts));
        QVERIFY(parts.isEmpty());
        QCOMPARE(Version::toString(Version::parseVersion(QStringLiteral("7.2"))),
                 QStringLiteral("7.2.0"));
        QCOMPARE(Version::parseVersion(QString()).keys(), (QList<int> { 0, 1, 2 }));
    }

    void requestAddress()
    {
        LocalHttpServer server;
        QVERIFY(server.listen());
        UpdateChecker checker(QStringLiteral("4"), QStringLiteral("5.0.7"));
        checker.setCheckUrl(QUrl(server.url(QStringLiteral("/check.php"))));
        QSignalSpy finished(&checker, &UpdateChecker::checkFinished);
        checker.checkUpdates();
        QVERIFY(finished.wait(10000));
        QCOMPARE(server.requests().size(), 1);

        const LocalHttpServer::Request request = server.requests().first();
        QCOMPARE(request.method, QByteArray("GET"));
        const QUrl url(QString::fromLatin1(request.target));
        QCOMPARE(url.path(), QStringLiteral("/check.php"));
        const QUrlQuery query(url);
        QCOMPARE(query.queryItemValue(QStringLiteral("ver")), QStringLiteral("5.0.7"));
        QCOMPARE(query.queryItemValue(QStringLiteral("pid")), QStringLiteral("4"));
        const QString machine = query.queryItemValue(QStringLiteral("mh"));
        const QRegularExpression digest(QStringLiteral("^[0-9a-f]{32}$"));
        QVERIFY(digest.match(machine).hasMatch());
        QCOMPARE(machine, UpdateChecker::machineDigest(UpdateChecker::machineIdentifier()));
        QCOMPARE(query.queryItemValue(QStringLiteral("h")),
                 UpdateChecker::requestDigest(QStringLiteral("4"), machine));
        // Two machines with one identifier give one digest; others differ.
        QCOMPARE(UpdateChecker::machineDigest(QStringLiteral("m")),
                 UpdateChecker::machineDigest(QStringLiteral("m")));
        QVERIFY(UpdateChecker::machineDigest(QStringLiteral("m"))
                != UpdateChecker::machineDigest(QStringLiteral("n")));
        QCOMPARE(UpdateChecker::md5Hex(QStringLiteral("abc")),
                 QStringLiteral("900150983cd24fb0d6963f7d28e17f72"));
    }

    void answers_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("announced");

        QTest::newRow("newer") << 200 << QByteArray("6.0.0") << "6.0.0";
        QTest::newRow("newer, line break kept") << 200 << QByteArray("6.0.0\n") << "6.0.0\n";
        QTest::newRow("newer patch") << 200 << QByteArray("5.0.10") << "5.0.10";
        QTest::newRow("equal") << 200 << QByteArray("5.0.7") << "";
        QTest::newRow("older") << 200 << QByteArray("5.0.6") << "";
        QTest::newRow("empty body") << 200 << QByteArray() << "";
        QTest::newRow("error page") << 200 << QByteArray("<html><body>9.0</body></html>") << "";
        QTest::newRow("number then markup") << 200 << QByteArray("9.0.0<script>x()</script>") << "";
        QTest::newRow("number then words") << 200 << QByteArray("7 is out") << "";
        QTest::newRow("not a version") << 200 << QByteArray("abc") << "";
        QTest::newRow("binary") << 200 << QByteArray("\xff\xfe\x00\x39", 4) << "";
        QTest::newRow("server error") << 500 << QByteArray("9.0.0") << "";
        QTest::newRow("not found") << 404 << QByteArray("9.0.0") << "";
        QTest::newRow("huge body") << 200 << QByteArray(8 << 20, '9') << "";
    }

    // Whatever the server answers, the check ends, and only a plain newer
    // version is announced.
    void answers()
    {
        QFETCH(int, status);
        QFETCH(QByteArray, body);
        QFETCH(QString, announced);

        LocalHttpServer server;
        QVERIFY(server.listen());
        server.setReply(status, body);
        const QStringList heard = check(server.url(QStringLiteral("/check")));
        QCOMPARE(heard, announced.isEmpty() ? QStringList() : QStringList { announced });
    }

    void redirectElsewhereIsNotFollowed()
    {
        LocalHttpServer elsewhere;
        QVERIFY(elsewhere.listen());
        elsewhere.setReply(200, "9.0.0");
        LocalHttpServer server;
        QVERIFY(server.listen());
        server.setReply(302, QByteArray(),
                        Headers { { "Location", elsewhere.url(QStringLiteral("/")).toLatin1() } });
        QCOMPARE(check(server.url(QStringLiteral("/check"))), QStringList());
        QCOMPARE(server.requests().size(), 1);
        QCOMPARE(elsewhere.requests().size(), 0);
    }

    void silentServerTimesOut()
    {
        LocalHttpServer server;
        QVERIFY(server.listen());
        server.setHang(true);
        QCOMPARE(check(server.url(QStringLiteral("/check")), 300), QStringList());
        QCOMPARE(server.requests().size(), 1);
    }

    void nobodyListening()
    {
        QCOMPARE(check(QStringLiteral("http://127.0.0.1:9/check")), QStringList());
    }

private:
    // The versions one check announced; fails the test when it never ends.
    static QStringList check(const QString &address, int timeoutMs = 10000)
    {
        UpdateChecker checker(QStringLiteral("4"), QStringLiteral("5.0.7"));
        checker.setCheckUrl(QUrl(address));
        checker.setTimeout(timeoutMs);
        QSignalSpy announced(&checker, &UpdateChecker::newVersionAvalible);
        QSignalSpy finished(&checker, &UpdateChecker::checkFinished);
        checker.checkUpdates();
        if (!finished.wait(15000)) {
            QTest::qFail("the check never ended", __FILE__, __LINE__);
            return { QStringLiteral("<no end>") };
        }
        QStringList versions;
        for (const QList<QVariant> &arguments : announced)
            versions.append(arguments.first().toString());
        return versions;
    }
};

VL_TEST_GUILESS_MAIN(TestUpdateChecker)
#include "tst_updatechecker.moc"
