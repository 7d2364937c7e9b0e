#include "widgets/button.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"
#include "widgets/handoverdialogs.h"
#include "widgets/messagepassword.h"
#include "widgets/messageview.h"
#include "widgets/windowbar.h"

#include "tests/support/testenvironment.h"
#include "tests/widgets/loaderthread.h"
#include "tests/widgets/modal.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QThread>

#include <functional>

class TestMessagePassword : public QObject
{
    Q_OBJECT

private slots:
    void buildsItsParts();
    void answerReachesTheLoader_data();
    void answerReachesTheLoader();
    void withoutSkipOnlyOkIsOffered();
    void wrongPasswordAsksAgain();
};

void TestMessagePassword::buildsItsParts()
{
    MessagePassword dialog;
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    auto *frame = dialog.findChild<QFrame *>(QStringLiteral("messagePassword"));
    QVERIFY(frame);
    QCOMPARE(frame->minimumSize(), QSize(380, 190));
    QCOMPARE(dialog.windowBar()->title(), QStringLiteral("Enter password"));
    QCOMPARE(dialog.okButton()->objectName(), QStringLiteral("buttonOk"));
    QCOMPARE(dialog.okButton()->size(), QSize(100, 42));
    QVERIFY(dialog.okButton()->isDefault());
    QCOMPARE(dialog.skipButton()->objectName(), QStringLiteral("buttonSkip"));
    QCOMPARE(dialog.skipButton()->text(), QStringLiteral("SKIP"));
    QCOMPARE(dialog.skipAllButton()->objectName(), QStringLiteral("buttonSkip"));
    QCOMPARE(dialog.skipAllButton()->text(), QStringLiteral("SKIP ALL"));
    QVERIFY(dialog.skipButton()->isHidden());
    QVERIFY(dialog.skipAllButton()->isHidden());
    QCOMPARE(dialog.passwordEdit()->echoMode(), QLineEdit::Password);
    QVERIFY(!dialog.windowIcon().isNull());
    bool hasLabel = false;
    for (const QLabel *label : dialog.findChildren<QLabel *>())
        hasLabel = hasLabel || label->text() == QLatin1String("Password:");
    QVERIFY(hasLabel);
}

void TestMessagePassword::answerReachesTheLoader_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<bool>("skip");
    QTest::addColumn<bool>("skipAll");
    QTest::addColumn<QString>("password");
    QTest::newRow("ok") << "ok" << true << false << false << "open sesame";
    QTest::newRow("skip") << "skip" << true << true << false << "";
    QTest::newRow("skip all") << "skipall" << true << false << true << "";
    QTest::newRow("window bar close") << "close" << false << false << false << "";
}

void TestMessagePassword::answerReachesTheLoader()
{
    QFETCH(QString, how);
    QFETCH(bool, accepted);
    QFETCH(bool, skip);
    QFETCH(bool, skipAll);
    QFETCH(QString, password);

    InputPasswordController controller;
    connect(&controller, &InputPasswordController::onRequest, this, [&controller](bool checkSkip) {
        answerPasswordRequest(&controller, checkSkip, nullptr);
    });

    bool skipOffered = false;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<MessagePassword *>(modal);
        QVERIFY(dialog);
        skipOffered = dialog->skipButton()->isVisible() && dialog->skipAllButton()->isVisible();
        if (how == QLatin1String("ok")) {
            QTest::keyClicks(dialog->passwordEdit(), password);
            dialog->okButton()->click();
        } else if (how == QLatin1String("skip")) {
            dialog->skipButton()->click();
        } else if (how == QLatin1String("skipall")) {
            dialog->skipAllButton()->click();
        } else {
            dialog->windowBar()->findChild<Button *>(QStringLiteral("windowClose"))->click();
        }
    });

    PasswordAnswer answer;
    LoaderThread loader([&]() { answer = controller.ask(true); });
    loader.start();
    QTRY_VERIFY_WITH_TIMEOUT(loader.isFinished(), 10000);

    QVERIFY(skipOffered);
    QCOMPARE(answer.accepted, accepted);
    QCOMPARE(answer.skip, skip);
    QCOMPARE(answer.skipAll, skipAll);
    QCOMPARE(answer.password, password);
}

void TestMessagePassword::withoutSkipOnlyOkIsOffered()
{
    InputPasswordController controller;
    connect(&controller, &InputPasswordController::onRequest, this, [&controller](bool checkSkip) {
        answerPasswordRequest(&controller, checkSkip, nullptr);
    });
    bool skipHidden = false;
    whenModal([&](QWidget *modal) {
        auto *dialog = qobject_cast<MessagePassword *>(modal);
        skipHidden = dialog->skipButton()->isHidden() && dialog->skipAllButton()->isHidden()
                && dialog->okButton()->isVisible();
        dialog->okButton()->click();
    });
    // Asked on the GUI thread itself: answered in place, no waiting.
    const PasswordAnswer answer = controller.ask(false);
    QVERIFY(answer.accepted);
    QVERIFY(skipHidden);
}

void TestMessagePassword::wrongPasswordAsksAgain()
{
    InputPasswordController passwords;
    MessageBoxController messages;
    connect(&passwords, &InputPasswordController::onRequest, this, [&passwords](bool checkSkip) {
        answerPasswordRequest(&passwords, checkSkip, nullptr);
    });
    connect(&messages, &MessageBoxController::showMessage, this,
            [&messages](const QString &title, const QString &message) {
                answerMessageRequest(&messages, title, message, nullptr);
            });

    QStringList seen;
    // First prompt: a wrong password; then the message; then a fresh prompt
    // with an empty field, answered right.
    whenModal([&](QWidget *first) {
        auto *dialog = qobject_cast<MessagePassword *>(first);
        QTest::keyClicks(dialog->passwordEdit(), QStringLiteral("wrong"));
        dialog->okButton()->click();
        whenModal([&](QWidget *second) {
            auto *box = qobject_cast<MessageView *>(second);
            QVERIFY(box);
            seen << box->windowBar()->title() << box->message();
            box->okButton()->click();
            whenModal([&](QWidget *third) {
                auto *again = qobject_cast<MessagePassword *>(third);
                QVERIFY(again);
                seen << QStringLiteral("field:") + again->getPasssword();
                QTest::keyClicks(again->passwordEdit(), QStringLiteral("right"));
                again->okButton()->click();
            });
        });
    });

    int prompts = 0;
    QString opened;
    LoaderThread loader([&]() {
        forever
        {
            ++prompts;
            const PasswordAnswer answer = passwords.ask(false);
            if (!answer.accepted)
                return;
            if (answer.password == QLatin1String("right")) {
                opened = answer.password;
                return;
            }
            messages.showAndWait(QStringLiteral("Can not open file"),
                                 QStringLiteral("The password is incorrect"));
        }
    });
    loader.start();
    QTRY_VERIFY_WITH_TIMEOUT(loader.isFinished(), 10000);

    QCOMPARE(prompts, 2);
    QCOMPARE(opened, QStringLiteral("right"));
    QCOMPARE(
            seen,
            QStringList({ QStringLiteral("Can not open file"),
                          QStringLiteral("The password is incorrect"), QStringLiteral("field:") }));
}

VL_TEST_WIDGETS_MAIN(TestMessagePassword)
#include "tst_messagepassword.moc"
