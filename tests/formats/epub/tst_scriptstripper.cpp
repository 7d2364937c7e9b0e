#include "formats/epub/scriptstripper.h"
#include "tests/support/testenvironment.h"

#include <QTextCodec>

class TestScriptStripper : public QObject
{
    Q_OBJECT
private slots:
    void strip_data();
    void strip();
    void utf16();
};

void TestScriptStripper::strip_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("nothing to do")
            << QByteArray("<?xml version=\"1.0\"?>\n<!DOCTYPE html>\n<p class='a'>x &amp; y</p>")
            << QByteArray();
    QTest::newRow("script element")
            << QByteArray("<p>a</p><script type=\"a\">if (a<b) x();</script><p>b</p>")
            << QByteArray("<p>a</p><p>b</p>");
    QTest::newRow("self-closing script")
            << QByteArray("<head><script src=\"x.js\"/></head>") << QByteArray("<head></head>");
    QTest::newRow("prefixed and upper case")
            << QByteArray("<h:SCRIPT>x()</h:Script ><p/>") << QByteArray("<p/>");
    QTest::newRow("script text mentioning its end")
            << QByteArray("<script>document.write('</scr' + 'ipt>')</script>ok")
            << QByteArray("ok");
    QTest::newRow("unclosed script") << QByteArray("<p>a</p><script>x()") << QByteArray("<p>a</p>");
    QTest::newRow("event attributes")
            << QByteArray("<body onload=\"x()\" class=\"c\"><img ONERROR='y()' src=\"a.png\"/>"
                          "<p onclick=z()>t</p></body>")
            << QByteArray("<body class=\"c\"><img src=\"a.png\"/><p>t</p></body>");
    QTest::newRow("javascript links")
            << QByteArray("<a href=\"javascript:go()\">a</a><a href=' JavaScript:go()'>b</a>"
                          "<a xlink:href=\"java&#x73;cript:go()\">c</a>"
                          "<a href=\"jav&#9;ascript&colon;go()\">d</a>"
                          "<iframe src=\"vbscript:msgbox\"></iframe><a href=\"ch2.xhtml\">e</a>")
            << QByteArray("<a>a</a><a>b</a><a>c</a><a>d</a><iframe></iframe>"
                          "<a href=\"ch2.xhtml\">e</a>");
    QTest::newRow("quoted greater-than") << QByteArray("<p title=\"a>b\" onclick=\"x>y\">t</p>")
                                         << QByteArray("<p title=\"a>b\">t</p>");
    QTest::newRow("comments and cdata kept")
            << QByteArray("<!-- <script>x</script> --><![CDATA[<script>]]><p onclick=\"x\">t</p>")
            << QByteArray("<!-- <script>x</script> --><![CDATA[<script>]]><p>t</p>");
    QTest::newRow("utf-8 text kept")
            << QByteArray("<p onclick=\"x\">Текст – ok</p>") << QByteArray("<p>Текст – ok</p>");
    QTest::newRow("stray less-than")
            << QByteArray("a < b <script>x</script>") << QByteArray("a < b ");
}

void TestScriptStripper::strip()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    bool changed = true;
    const QByteArray result = epub::ScriptStripper::strip(input, &changed);
    QCOMPARE(changed, !output.isNull());
    QCOMPARE(result, output.isNull() ? input : output);
}

void TestScriptStripper::utf16()
{
    QTextCodec *codec = QTextCodec::codecForName("UTF-16");
    const QByteArray input = codec->fromUnicode(QStringLiteral("<p onclick=\"x\">Текст</p>"));
    bool changed = false;
    const QByteArray result = epub::ScriptStripper::strip(input, &changed);
    QVERIFY(changed);
    QCOMPARE(codec->toUnicode(result), QStringLiteral("<p>Текст</p>"));
}

VL_TEST_GUILESS_MAIN(TestScriptStripper)
#include "tst_scriptstripper.moc"
