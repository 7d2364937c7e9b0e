#include "standalone/gfx/cinputbox.h"
#include "standalone/gfx/ctransparentstatic.h"
#include "standalone/gfx/drawcontext.h"
#include "standalone/gfx/messageoverlay.h"
#include "standalone/web/chtmlctrl.h"
#include "standalone/web/clinklabel.h"
#include "tests/standalone/divadtestsupport.h"
#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWebElement>
#include <QWebFrame>
#include <QWebPage>

using namespace divad;

// The reader's own controls: the input box, the link label, the web
// control with its "app:" links, the transparent label and the message
// overlay.
class TestDivadControls : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<divadtest::DataFolder> m_home;
    std::unique_ptr<divadtest::ScriptedPrompter> m_prompts;

    // Runs action on the input box once it is up.
    static void whenBoxShows(std::function<void(QWidget *box)> action)
    {
        auto *poll = new QTimer;
        poll->setInterval(10);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, action] {
            if (QWidget *box = CInputBox::RunningBox()) {
                if (box->isVisible()) {
                    poll->stop();
                    poll->deleteLater();
                    action(box);
                }
            }
        });
        poll->start();
    }

private slots:
    void init()
    {
        m_home = std::make_unique<divadtest::DataFolder>();
        m_prompts = std::make_unique<divadtest::ScriptedPrompter>();
    }

    void cleanup()
    {
        CHtmlCtrl::SetExitHandler(nullptr);
        m_prompts.reset();
        m_home.reset();
    }

    void inputBox_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("Enter in the field") << QStringLiteral("enter") << true;
        QTest::newRow("OK") << QStringLiteral("ok") << true;
        QTest::newRow("Escape") << QStringLiteral("escape") << false;
        QTest::newRow("Cancel") << QStringLiteral("cancel") << false;
    }

    void inputBox()
    {
        QFETCH(QString, how);
        QFETCH(bool, confirmed);
        QWidget owner;
        owner.show();
        QString prompt;
        bool ownerEnabled = true;
        whenBoxShows([&](QWidget *box) {
            prompt = box->findChild<QLabel *>(QStringLiteral("prompt"))->text();
            ownerEnabled = owner.isEnabled();
            auto *input = box->findChild<QLineEdit *>(QStringLiteral("input"));
            input->insert(QStringLiteral("第七页"));
            if (how == QLatin1String("enter"))
                QTest::keyClick(input, Qt::Key_Return);
            else if (how == QLatin1String("escape"))
                QTest::keyClick(input, Qt::Key_Escape);
            else
                box->findChild<QPushButton *>(how)->click();
        });
        CInputBox box(&owner);
        QCOMPARE(box.Show(QStringLiteral("divad - 添加书签"), QStringLiteral("请输入书签注释")),
                 confirmed);
        QCOMPARE(prompt, QStringLiteral(" 请输入书签注释"));
        QVERIFY(!ownerEnabled);
        QVERIFY(owner.isEnabled());
        QCOMPARE(box.Text(), confirmed ? QStringLiteral("第七页") : QString());
        QVERIFY(!CInputBox::RunningBox());
    }

    void inputBoxTabsAround()
    {
        QStringList focus;
        whenBoxShows([&](QWidget *box) {
            for (int i = 0; i < 4; ++i) {
                focus << QApplication::focusWidget()->objectName();
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            }
            // An empty answer is an answer.
            QTest::keyClick(box->findChild<QLineEdit *>(QStringLiteral("input")), Qt::Key_Enter);
        });
        CInputBox box(nullptr);
        QVERIFY(box.Show(QStringLiteral("t"), QStringLiteral("p")));
        QCOMPARE(focus, (QStringList { QStringLiteral("input"), QStringLiteral("ok"),
                                       QStringLiteral("cancel"), QStringLiteral("input") }));
        QCOMPARE(box.Text(), QString());
    }

    void linkLabelTakesItsAddress()
    {
        CLinkLabel fromText;
        fromText.setText(QStringLiteral("http://127.0.0.1:9/a b.htm"));
        fromText.Attach();
        QCOMPARE(fromText.Url(), QStringLiteral("http://127.0.0.1:9/a b.htm"));
        QCOMPARE(fromText.toolTip(), fromText.Url());

        CLinkLabel fromUrl;
        fromUrl.SetUrl(QStringLiteral("http://127.0.0.1:9/"));
        fromUrl.Attach();
        QCOMPARE(fromUrl.text(), QStringLiteral("http://127.0.0.1:9/"));
        // Fitted to its text as the underlined font measures it.
        QFont underlined = fromUrl.font();
        underlined.setUnderline(true);
        QCOMPARE(fromUrl.width(),
                 QFontMetrics(underlined).size(Qt::TextSingleLine, fromUrl.text()).width());
        QCOMPARE(fromUrl.CurrentColour(), QColor(0, 0, 238));
    }

    void openUrl_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("spaces") << QStringLiteral("http://127.0.0.1:9/a b.htm")
                                << QStringLiteral("http://127.0.0.1:9/a%20b.htm");
        QTest::newRow("query and fragment stay")
                << QStringLiteral("http://127.0.0.1:9/f?kw=a&b=c+d#top")
                << QStringLiteral("http://127.0.0.1:9/f?kw=a&b=c+d#top");
        QTest::newRow("a stray percent")
                << QStringLiteral("http://127.0.0.1:9/100%") << QStringLiteral("http://127.0.0.1:9/100%25");
        QTest::newRow("quotes and a shell's favourites")
                << QStringLiteral("http://127.0.0.1:9/\"x\";$(y)`z`")
                << QStringLiteral("http://127.0.0.1:9/%22x%22;$(y)%60z%60");
    }

    void openUrl()
    {
        QFETCH(QString, address);
        QFETCH(QString, encoded);
        QCOMPARE(CLinkLabel::OpenUrl(address), 33);
        QCOMPARE(m_prompts->shellRequests.size(), 1);
        QCOMPARE(m_prompts->shellRequests.first().verb, ShellVerb::OpenUrl);
        QCOMPARE(m_prompts->shellRequests.first().target, encoded);

        // When the desktop cannot, the user's browser command gets the
        // address as an argument of its own.
        m_prompts->shellRequests.clear();
        m_prompts->shellResult = false;
        qputenv("BROWSER", "my-browser --new-window \"%s\"");
        QCOMPARE(CLinkLabel::OpenUrl(address), 2);
        QCOMPARE(m_prompts->shellRequests.size(), 2);
        QCOMPARE(m_prompts->shellRequests.at(1).verb, ShellVerb::StartProgram);
        QCOMPARE(m_prompts->shellRequests.at(1).target, QStringLiteral("my-browser"));
        QCOMPARE(m_prompts->shellRequests.at(1).arguments,
                 (QStringList { QStringLiteral("--new-window"), encoded }));
        qunsetenv("BROWSER");
        QCOMPARE(CLinkLabel::OpenUrl(address), 31);
    }

    void browserCommand_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("quoted placeholder") << QStringLiteral("firefox \"%s\"")
                                            << QStringList { "firefox", "ADDR" };
        QTest::newRow("bare placeholder") << QStringLiteral("x-www-browser %s")
                                          << QStringList { "x-www-browser", "ADDR" };
        QTest::newRow("the old kind") << QStringLiteral("\"/opt/web browser\" -nohome \"%1\"")
                                      << QStringList { "/opt/web browser", "-nohome", "ADDR" };
        QTest::newRow("no placeholder") << QStringLiteral("sensible-browser")
                                        << QStringList { "sensible-browser", "ADDR" };
        QTest::newRow("a list: the first") << QStringLiteral("w3m %s:lynx")
                                           << QStringList { "w3m", "ADDR" };
        QTest::newRow("nothing") << QString() << QStringList();
    }

    void browserCommand()
    {
        QFETCH(QString, command);
        QTEST(CLinkLabel::BrowserArguments(command, QStringLiteral("ADDR")), "arguments");
    }

    void openErrors_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::newRow("sharing violation") << 26 << QStringLiteral("A sharing violation occurred. ");
        QTest::newRow("no association") << 31
                                        << QStringLiteral("There is no application associated\n"
                                                          "with the given filename extension.");
        QTest::newRow("unknown") << 4 << QStringLiteral("Unknown Error (4) occurred.");
    }

    void openErrors()
    {
        QFETCH(int, code);
        QFETCH(QString, text);
        CLinkLabel::ReportOpenError(code);
        QCOMPARE(m_prompts->messages.value(0), QStringLiteral("Unable to open hyperlink:\n\n") + text);
    }

    void linkClickAndHover()
    {
        QWidget dialog;
        CLinkLabel link(&dialog);
        link.setText(QStringLiteral("官方网站"));
        link.SetUrl(QStringLiteral("http://127.0.0.1:9/"));
        link.Attach();
        link.SetColours(QColor(0, 0, 255), QColor(0, 0, 255), QColor(255, 0, 0));
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        QTest::mouseMove(&link, QPoint(3, 3));
        QVERIFY(link.OverControl());
        QVERIFY(link.font().underline());
        QCOMPARE(link.CurrentColour(), QColor(255, 0, 0));
        QCursor::setPos(dialog.mapToGlobal(QPoint(dialog.width() - 1, dialog.height() - 1)));
        QTRY_VERIFY_WITH_TIMEOUT(!link.OverControl(), 1000);
        QVERIFY(!link.font().underline());

        QTest::mouseClick(&link, Qt::LeftButton, Qt::NoModifier, QPoint(3, 3));
        QVERIFY(link.Visited());
        QCOMPARE(m_prompts->shellRequests.size(), 1);

        // A link that cannot be opened says why.
        m_prompts->shellResult = false;
        qunsetenv("BROWSER");
        CLinkLabel broken(&dialog);
        broken.setText(QStringLiteral("x"));
        broken.Attach();
        broken.show();
        QTest::mouseClick(&broken, Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
        QVERIFY(!broken.Visited());
        QVERIFY(m_prompts->messages.value(0).startsWith(QStringLiteral("Unable to open hyperlink:")));
    }

    void appLinks_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("page");
        QTest::addColumn<bool>("navigates");
        QTest::addColumn<bool>("ends");
        const QString own = QStringLiteral("http://127.0.0.1:9/cn/zuvudoza/bar.htm");
        const QString foreign = QStringLiteral("http://elsewhere.example.net/page.htm");
        QTest::newRow("app:ok ends") << QStringLiteral("app:ok") << own << false << true;
        QTest::newRow("APP:OK is a command, not the word") << QStringLiteral("APP:OK") << own
                                                           << false << false;
        QTest::newRow("app:book holds the word") << QStringLiteral("app:book") << own << false
                                                 << true;
        QTest::newRow("application.htm is a page") << QStringLiteral("application.htm") << own
                                                   << true << false;
        QTest::newRow("a foreign page cannot end the reader")
                << QStringLiteral("app:ok") << foreign << false << false;
        QTest::newRow("nor a page with no address") << QStringLiteral("app:ok") << QString()
                                                    << false << false;
    }

    void appLinks()
    {
        QFETCH(QString, target);
        QFETCH(QString, page);
        QFETCH(bool, ends);
        int exits = 0;
        CHtmlCtrl::SetExitHandler([&exits] { ++exits; });
        CHtmlCtrl web;
        QTEST(web.OnBeforeNavigate2(QUrl(target), QUrl(page)), "navigates");
        QCOMPARE(exits, ends ? 1 : 0);
    }

    void appLinkInAPage()
    {
        int exits = 0;
        CHtmlCtrl::SetExitHandler([&exits] { ++exits; });
        CHtmlCtrl web;
        const QString html = QStringLiteral(
                "<html><body><a id='quit' href='app:ok'>quit</a></body></html>");
        web.setHtml(html, QUrl(QStringLiteral("http://127.0.0.1:9/cn/zuvudoza/bar.htm")));
        QTRY_VERIFY(!web.page()->mainFrame()->findFirstElement(QStringLiteral("#quit")).isNull());
        web.page()->mainFrame()->evaluateJavaScript(QStringLiteral("document.getElementById('quit').click();"));
        QTRY_COMPARE(exits, 1);
        // The page stays where it was.
        QCOMPARE(web.page()->mainFrame()->url(), QUrl(QStringLiteral("http://127.0.0.1:9/cn/zuvudoza/bar.htm")));

        web.setHtml(html, QUrl(QStringLiteral("http://elsewhere.example.net/")));
        QTRY_VERIFY(!web.page()->mainFrame()->findFirstElement(QStringLiteral("#quit")).isNull());
        web.page()->mainFrame()->evaluateJavaScript(QStringLiteral("document.getElementById('quit').click();"));
        QTest::qWait(100);
        QCOMPARE(exits, 1);
    }

    void loadProgress_data()
    {
        QTest::addColumn<double>("progress");
        QTest::addColumn<double>("maximum");
        QTest::addColumn<double>("stored");
        QTest::newRow("50 of 200") << 50.0 << 200.0 << 25.0;
        QTest::newRow("no maximum") << 5.0 << 0.0 << 0.0;
        QTest::newRow("done") << 100.0 << 100.0 << 100.0;
    }

    void loadProgress()
    {
        QFETCH(double, progress);
        QFETCH(double, maximum);
        CHtmlCtrl web;
        web.OnProgressChange(progress, maximum);
        QTEST(web.LoadProgress(), "stored");
    }

    void placeholder()
    {
        QWidget dialog;
        auto *place = new QLabel(&dialog);
        place->setObjectName(QStringLiteral("static1017"));
        place->setGeometry(10, 20, 150, 300);
        auto *web = new CHtmlCtrl(&dialog);
        QVERIFY(web->CreateFromPlaceholder(QStringLiteral("static1017"), &dialog));
        QCOMPARE(web->geometry(), QRect(10, 20, 150, 300));
        QVERIFY(!dialog.findChild<QLabel *>(QStringLiteral("static1017")));
        CHtmlCtrl other;
        QVERIFY(!other.CreateFromPlaceholder(QStringLiteral("static9999"), &dialog));
    }

    void transparentLabel()
    {
        CTransparentStatic label;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        label.setFont(font);
        const int lineHeight = QFontMetrics(font).lineSpacing();
        label.resize(120, lineHeight * 2 + lineHeight / 2);
        label.setText(QStringLiteral("one two three four five six seven eight nine ten eleven"));
        const QStringList lines = label.VisibleLines();
        // Two whole lines fit; the third would be cut, so it is not shown.
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.first().startsWith(QStringLiteral("one ")));
        QVERIFY(!lines.first().contains(QStringLiteral("eleven")));
        for (const QString &line : lines)
            QVERIFY(QFontMetrics(font).horizontalAdvance(line.trimmed()) <= 120);
        label.resize(120, lineHeight * 20);
        QVERIFY(label.VisibleLines().join(QString()).contains(QStringLiteral("eleven")));
    }

    void overlay_data()
    {
        QTest::addColumn<quint32>("start");
        QTest::addColumn<quint32>("elapsed");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("4,999 ms") << 1000u << 4999u << true;
        QTest::newRow("5,000 ms") << 1000u << 5000u << true;
        QTest::newRow("5,001 ms") << 1000u << 5001u << false;
        QTest::newRow("across the clock's wrap") << 0xFFFFF000u << 4000u << true;
    }

    void overlay()
    {
        QFETCH(quint32, start);
        QFETCH(quint32, elapsed);
        QFETCH(bool, drawn);
        QImage image(400, 200, QImage::Format_RGB32);
        image.fill(Qt::black);
        {
            DrawContext dc(&image);
            MessageOverlay overlay;
            overlay.ShowAt(QStringLiteral("正在载入第2卷 ..."), 5000, start);
            overlay.DrawAt(&dc, 25, 350, 60, 80, start + elapsed);
            QCOMPARE(overlay.Duration() > 0, drawn);
        }
        QCOMPARE(image.pixelColor(30, 130) == QColor(Qt::white), drawn);
    }
};

VL_TEST_WIDGETS_MAIN(TestDivadControls)
#include "tst_divadcontrols.moc"
