#include "webpolicy/localnetworkaccess.h"
#include "reader/viewerpage.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebSettings>

class tst_ViewerPage : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void onlyTheBookIsLoaded();
    void bookScriptsNeverRun();
    void navigationStaysInTheBook();

private:
    bool load(ViewerPage *page, const QString &path, int timeout = 10000);
    void writeFile(const QString &path, const QByteArray &bytes);

    QTemporaryDir m_dir;
    QString m_book;
    QString m_outside;
    QTcpServer m_server;
};

void tst_ViewerPage::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_book = m_dir.filePath("book");
    m_outside = m_dir.filePath("outside");
    QVERIFY(QDir().mkpath(m_book + "/images"));
    QVERIFY(QDir().mkpath(m_outside));
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(m_book + "/images/inside.png"));
    QVERIFY(image.save(m_outside + "/secret.png"));
    QVERIFY(m_server.listen(QHostAddress::LocalHost));
}

void tst_ViewerPage::cleanupTestCase()
{
    m_dir.setAutoRemove(!QTest::currentTestFailed());
}

void tst_ViewerPage::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

bool tst_ViewerPage::load(ViewerPage *page, const QString &path, int timeout)
{
    QSignalSpy finished(page->mainFrame(), &QWebFrame::loadFinished);
    page->mainFrame()->load(QUrl::fromLocalFile(path));
    if (finished.isEmpty() && !finished.wait(timeout))
        return false;
    // Sub-resources may still be on their way; give them a moment.
    QTest::qWait(200);
    return finished.first().first().toBool();
}

void tst_ViewerPage::onlyTheBookIsLoaded()
{
    const QString remote = QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    const QString html
            = QStringLiteral(
                      "<html><head><link rel='stylesheet' href='%1/style.css'></head><body>"
                      "<img id='inside' src='images/inside.png'>"
                      "<img id='outside' src='%2'>"
                      "<img id='climb' src='../outside/secret.png'>"
                      "<img id='remote' src='%1/pixel.png'>"
                      "<iframe src='%1/frame.html'></iframe>"
                      "<object data='%1/movie.swf' type='application/x-shockwave-flash'></object>"
                      "</body></html>")
                      .arg(remote, QUrl::fromLocalFile(m_outside + "/secret.png").toString());
    writeFile(m_book + "/page.html", html.toUtf8());

    ViewerPage page;
    page.setAllowedFolders({ m_book });
    QVERIFY(load(&page, m_book + "/page.html"));

    QCOMPARE(page.evaluate("document.getElementById('inside').naturalWidth").toInt(), 4);
    QCOMPARE(page.evaluate("document.getElementById('outside').naturalWidth").toInt(), 0);
    QCOMPARE(page.evaluate("document.getElementById('climb').naturalWidth").toInt(), 0);
    QCOMPARE(page.evaluate("document.getElementById('remote').naturalWidth").toInt(), 0);
    // The style sheet, the outside picture (asked for once under both names)
    // and the remote picture; the frame and the plugin are never requested.
    QVERIFY(page.localAccess()->refusedCount() >= 3);
    QVERIFY(!m_server.hasPendingConnections());
    QVERIFY(!m_server.waitForNewConnection(100));
    QVERIFY(!page.settings()->testAttribute(QWebSettings::PluginsEnabled));
}

void tst_ViewerPage::bookScriptsNeverRun()
{
    writeFile(m_book + "/scripted.html",
              "<html><head><title>quiet</title>"
              "<script>document.title = 'inline';</script></head>"
              "<body onload=\"document.title = 'onload'\">"
              "<p id='p'>text</p>"
              "<img src='missing.png' onerror=\"document.title = 'onerror'\">"
              "<a href=\"javascript:document.title='link'\">link</a>"
              "</body></html>");
    ViewerPage page;
    page.setAllowedFolders({ m_book });
    QVERIFY(load(&page, m_book + "/scripted.html"));
    QCOMPARE(page.mainFrame()->title(), QString("quiet"));

    // The program's own calls run, and scripting is off again afterwards.
    QCOMPARE(page.evaluate("document.getElementById('p').textContent").toString(), QString("text"));
    QVERIFY(!page.settings()->testAttribute(QWebSettings::JavascriptEnabled));
    QTest::qWait(100);
    QCOMPARE(page.mainFrame()->title(), QString("quiet"));
}

void tst_ViewerPage::navigationStaysInTheBook()
{
    writeFile(m_book + "/start.html", "<html><body><p>start</p></body></html>");
    writeFile(m_outside + "/other.html", "<html><body><p>other</p></body></html>");
    ViewerPage page;
    page.setAllowedFolders({ m_book });
    QVERIFY(load(&page, m_book + "/start.html"));
    QVERIFY(!load(&page, m_outside + "/other.html", 500));
    QCOMPARE(page.evaluate("document.body.textContent").toString(), QString("start"));

    LocalNetworkAccess access;
    access.setAllowedFolders({ m_book });
    QVERIFY(access.isAllowed(QUrl::fromLocalFile(m_book + "/images/inside.png")));
    QVERIFY(access.isAllowed(QUrl("qrc:/engine/engine/script.js")));
    QVERIFY(!access.isAllowed(QUrl::fromLocalFile(m_book + "/../outside/secret.png")));
    QVERIFY(!access.isAllowed(QUrl::fromLocalFile(m_book + "-sibling/x.png")));
    QVERIFY(!access.isAllowed(QUrl("file://server/share/x.png")));
    QVERIFY(!access.isAllowed(QUrl("https://example.org/x.png")));
}

VL_TEST_WIDGETS_MAIN(tst_ViewerPage)
#include "tst_viewerpage.moc"
