#include "document/scriptstripper.h"
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
            << QByteArray("a < b <script>x</script>") << QByteArray("a &lt; b ");
    // Where the HTML reading ends a stretch sooner than the XML one, what
    // follows is markup to the web page and is stripped.
    QTest::newRow("comment ended at once")
            << QByteArray("<!--><script>x()</script>-->") << QByteArray("<!-->-->");
    QTest::newRow("comment ended by dashes and bang")
            << QByteArray("<!-- a --!><img src=a onerror=x()>")
            << QByteArray("<!-- a --!><img src=a>");
    QTest::newRow("cdata is a bogus comment to html")
            << QByteArray("<![CDATA[><script>x()</script>]]>") << QByteArray("<![CDATA[>]]>");
    QTest::newRow("quote inside an attribute name")
            << QByteArray("<div x\"><script>x()</script>\">") << QByteArray("<div x\">\">");
    QTest::newRow("attribute without a value")
            << QByteArray("<p onclick x><p y onclick><p z onclick  class='c'>")
            << QByteArray("<p x><p y><p z  class='c'>");
    QTest::newRow("quote after a lone equals sign")
            << QByteArray("<a =\"><img src=a onerror=x()>\">")
            << QByteArray("<a =\"><img src=a>\">");
    QTest::newRow("quote in a doctype")
            << QByteArray("<!DOCTYPE x \"><script>x()</script>\">")
            << QByteArray("<!DOCTYPE x \">\">");
    QTest::newRow("raw text ends at its end tag")
            << QByteArray("<title>a<b title=\"</title><script>x()</script>\"></title>")
            << QByteArray("<title>a<b title=\"</title>\"></title>");
    QTest::newRow("removal joins nothing into a tag")
            << QByteArray("<<script>x</script>script>y()</script>")
            << QByteArray("&lt;script>y()");
    QTest::newRow("underscore opens no tag for html")
            << QByteArray("<_x a=\"<script>x()</script>\">") << QByteArray("&lt;_x a=\"\">");
    QTest::newRow("inline frame documents")
            << QByteArray("<iframe srcdoc=\"&lt;script&gt;x()&lt;/script&gt;\" "
                          "src=\"data:text/html,<script>x()</script>\"></iframe>"
                          "<object data=\"DATA:image/svg+xml,x\"></object><img src=\"data:x\"/>")
            << QByteArray("<iframe></iframe><object></object><img src=\"data:x\"/>");
    QTest::newRow("refresh")
            << QByteArray("<meta http-equiv=\"Refresh\" content=\"0;url=http://x/\"/>")
            << QByteArray("<meta content=\"0;url=http://x/\"/>");
    QTest::newRow("reference without semicolon")
            << QByteArray("<a href=\"java&#115cript:x()\">a</a><a href=\"&#0000106avascript:x()\">b</a>")
            << QByteArray("<a>a</a><a>b</a>");
    QTest::newRow("animated handlers and links")
            << QByteArray("<set attributeName=\"onmouseover\" to=\"x()\"/>"
                          "<animate attributeName=\"href\" values=\"#a;javascript:x()\"/>")
            << QByteArray("<set to=\"x()\"/><animate attributeName=\"href\"/>");
    QTest::newRow("entities that bring markup or files")
            << QByteArray("<!DOCTYPE html [<!ENTITY s \"&#60;script&#62;x()&#60;/script&#62;\">"
                          "<!ENTITY nb \"&#160;\"><!ENTITY f SYSTEM \"file:///etc/passwd\">"
                          "<!ENTITY % p \"x\">%p;<!ATTLIST p onclick CDATA \"x()\">]>"
                          "<p>&s;&nb;&f;</p>")
            << QByteArray("<!DOCTYPE html [<!ENTITY nb \"&#160;\">]><p>&s;&nb;&f;</p>");
    QTest::newRow("plain entities kept")
            << QByteArray("<!DOCTYPE html [\n<!ENTITY nb \"&#160;\">\n]><p>&nb;</p>")
            << QByteArray();
    QTest::newRow("self-closing script keeps what follows")
            << QByteArray("<script src=\"a.js\"/><p>t</p>") << QByteArray("<p>t</p>");
}

void TestScriptStripper::strip()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    bool changed = true;
    const QByteArray result = ScriptStripper::strip(input, &changed);
    QCOMPARE(changed, !output.isNull());
    QCOMPARE(result, output.isNull() ? input : output);
}

void TestScriptStripper::utf16()
{
    QTextCodec *codec = QTextCodec::codecForName("UTF-16");
    const QByteArray input = codec->fromUnicode(QStringLiteral("<p onclick=\"x\">Текст</p>"));
    bool changed = false;
    const QByteArray result = ScriptStripper::strip(input, &changed);
    QVERIFY(changed);
    QCOMPARE(codec->toUnicode(result), QStringLiteral("<p>Текст</p>"));
}

VL_TEST_GUILESS_MAIN(TestScriptStripper)
#include "tst_scriptstripper.moc"
