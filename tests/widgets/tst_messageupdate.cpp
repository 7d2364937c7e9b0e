#include "widgets/button.h"
#include "widgets/messageupdate.h"
#include "widgets/windowbar.h"

#include "tests/support/testenvironment.h"
#include "tests/widgets/modal.h"

#include <QLabel>
#include <QPushButton>
#include <QUrl>

// The new-version dialog: every way out closes it, and only the two links
// hand an address to the desktop.
class TestMessageUpdate : public QObject
{
    Q_OBJECT

private slots:
    void waysOut_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("opened");
        const QString changelog = QStringLiteral("https://example.test/Vellumin/changelog.html");
        const QString download = QStringLiteral("https://example.test/Download-Vellumin/");
        QTest::newRow("new features") << "link" << changelog;
        QTest::newRow("DOWNLOAD") << "download" << download;
        QTest::newRow("Enter presses DOWNLOAD") << "enter" << download;
        QTest::newRow("CANCEL") << "cancel" << QString();
        QTest::newRow("Escape") << "escape" << QString();
        QTest::newRow("window bar close") << "close" << QString();
    }

    void waysOut()
    {
        QFETCH(QString, how);
        QFETCH(QString, opened);

        MessageUpdate dialog(QStringLiteral("6.0.0"),
                             QStringLiteral("https://example.test/Vellumin/changelog.html"),
                             QStringLiteral("https://example.test/Download-Vellumin/"));
        QStringList urls;
        dialog.setUrlOpener([&urls](const QUrl &url) { urls.append(url.toString()); });
        whenModal([&](QWidget *) {
            if (how == QLatin1String("link"))
                dialog.linkButton()->click();
            else if (how == QLatin1String("download"))
                dialog.downloadButton()->click();
            else if (how == QLatin1String("enter"))
                QTest::keyClick(&dialog, Qt::Key_Return);
            else if (how == QLatin1String("cancel"))
                dialog.cancelButton()->click();
            else if (how == QLatin1String("escape"))
                QTest::keyClick(&dialog, Qt::Key_Escape);
            else
                dialog.windowBar()->findChild<Button *>(QStringLiteral("windowClose"))->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(urls, opened.isEmpty() ? QStringList() : QStringList { opened });
    }

    // The version comes from a server: it is shown as it is, never as markup.
    void versionShownAsText()
    {
        MessageUpdate dialog(QStringLiteral("7.0 <img src=x> & more"), QString(), QString());
        QVERIFY(dialog.messageLabel()->text().contains(
                QStringLiteral("<b>7.0 &lt;img src=x&gt; &amp; more</b>")));
        QCOMPARE(dialog.windowBar()->title(), QStringLiteral("Update available!"));
        QVERIFY(dialog.messageLabel()->wordWrap());
        QVERIFY(dialog.downloadButton()->isDefault());
        QVERIFY(!dialog.cancelButton()->isDefault());
    }

    // An address the desktop cannot open closes the dialog all the same.
    void badAddressStillCloses()
    {
        MessageUpdate dialog(QStringLiteral("6.0"), QStringLiteral("::not an address::"),
                             QString());
        int calls = 0;
        dialog.setUrlOpener([&calls](const QUrl &) { ++calls; });
        whenModal([&](QWidget *) { dialog.linkButton()->click(); });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QCOMPARE(calls, 1);
    }
};

VL_TEST_WIDGETS_MAIN(TestMessageUpdate)
#include "tst_messageupdate.moc"
