#include "tests/support/testenvironment.h"
#include "webpolicy/bookfile.h"
#include "webpolicy/bookpage.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebFrame>

// Book files as real books have them: XHTML that is well-formed, and XHTML
// with a raw "<name@host>" in its text, which the XML reader refuses.
class TestBookFile : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;

    QString write(const QString &name, const QByteArray &content)
    {
        QFile file(m_dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(content);
        return file.fileName();
    }

    static QByteArray xhtml(const QByteArray &body)
    {
        return "<?xml version='1.0' encoding='utf-8'?>\n"
               "<!DOCTYPE html PUBLIC '-//W3C//DTD XHTML 1.1//EN' "
               "'http://www.w3.org/TR/xhtml11/DTD/xhtml11.dtd'>\n"
               "<html xmlns='http://www.w3.org/1999/xhtml'><head><title>t</title></head><body>"
                + body + "</body></html>\n";
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void malformedXhtmlIsReadAsHtml_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("malformed");
        QTest::newRow("raw address") << "metadata.xhtml"
                                     << xhtml("<p>Author: Live Project <debian-live@lists.debian.org>"
                                              "</p><p id='after'>after</p>")
                                     << true;
        QTest::newRow("unclosed tag")
                << "open.xhtml" << xhtml("<p>one<br></p><p id='after'>after</p>") << true;
        QTest::newRow("well-formed with entities")
                << "fine.xhtml" << xhtml("<p>a&nbsp;b&mdash;c<br/></p><p id='after'>after</p>")
                << false;
        QTest::newRow("html is never checked")
                << "page.html" << QByteArray("<p>one<br><p id='after'>after") << false;
    }

    void malformedXhtmlIsReadAsHtml()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, malformed);
        const QString path = write(name, content);
        QCOMPARE(BookFile::isMalformedXhtml(path), malformed);

        BookPage page;
        page.setContentFolder(m_dir.path());
        QSignalSpy loaded(page.mainFrame(), &QWebFrame::loadFinished);
        BookFile::load(page.mainFrame(), path);
        if (loaded.isEmpty())
            QVERIFY(loaded.wait(10000));
        QVERIFY(loaded.first().first().toBool());
        // The whole text is there, with no error box of the XML reader.
        QCOMPARE(page.evaluate(QStringLiteral("document.getElementsByTagName('parsererror')"
                                              ".length"))
                         .toInt(),
                 0);
        QCOMPARE(page.evaluate(QStringLiteral("document.getElementById('after').textContent"))
                         .toString(),
                 QStringLiteral("after"));
        QCOMPARE(page.mainFrame()->url(), QUrl::fromLocalFile(path));
    }
};

VL_TEST_WIDGETS_MAIN(TestBookFile)
#include "tst_bookfile.moc"
