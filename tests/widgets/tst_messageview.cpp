#include "widgets/button.h"
#include "widgets/messageview.h"
#include "widgets/windowbar.h"

#include "tests/support/testenvironment.h"
#include "tests/widgets/modal.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

class TestMessageView : public QObject
{
    Q_OBJECT

private slots:
    void closing_data();
    void closing();
    void closingKeepsAnEarlierRole();
    void buildsItsParts();
    void centresOnTheParentWindow();
    void longMessageWraps();
};

void TestMessageView::closing_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<int>("role");
    QTest::newRow("escape") << "escape" << int(QDialogButtonBox::RejectRole);
    QTest::newRow("window bar close") << "close" << int(QDialogButtonBox::RejectRole);
    QTest::newRow("enter clicks OK") << "enter" << int(QDialogButtonBox::AcceptRole);
    QTest::newRow("OK") << "ok" << int(QDialogButtonBox::AcceptRole);
    QTest::newRow("cancel button") << "cancel" << int(QDialogButtonBox::RejectRole);
    QTest::newRow("destructive button") << "destructive" << int(QDialogButtonBox::DestructiveRole);
}

void TestMessageView::closing()
{
    QFETCH(QString, how);
    QFETCH(int, role);

    MessageView box(QStringLiteral("Delete"), QStringLiteral("Delete the book?"), nullptr);
    auto *cancel = new QPushButton(QStringLiteral("CANCEL"));
    cancel->setObjectName(QStringLiteral("buttonCancel"));
    box.addButton(cancel, QDialogButtonBox::RejectRole);
    auto *destroy = new QPushButton(QStringLiteral("DELETE"));
    box.addButton(destroy, QDialogButtonBox::DestructiveRole);

    whenModal([&](QWidget *) {
        if (how == QLatin1String("escape"))
            QTest::keyClick(&box, Qt::Key_Escape);
        else if (how == QLatin1String("enter"))
            QTest::keyClick(&box, Qt::Key_Return);
        else if (how == QLatin1String("close"))
            box.windowBar()->findChild<Button *>(QStringLiteral("windowClose"))->click();
        else if (how == QLatin1String("ok"))
            box.okButton()->click();
        else if (how == QLatin1String("cancel"))
            cancel->click();
        else
            destroy->click();
    });
    box.exec();
    QVERIFY(!box.isVisible());
    QCOMPARE(box.clickedRole(), role);
}

void TestMessageView::closingKeepsAnEarlierRole()
{
    MessageView box(QStringLiteral("t"), QStringLiteral("m"), nullptr);
    auto *destroy = new QPushButton(QStringLiteral("DELETE"));
    box.addButton(destroy, QDialogButtonBox::DestructiveRole);
    whenModal([destroy](QWidget *) { destroy->click(); });
    box.exec();
    whenModal([&box](QWidget *) { QTest::keyClick(&box, Qt::Key_Escape); });
    QCOMPARE(box.exec(), 1);
    QCOMPARE(box.clickedRole(), int(QDialogButtonBox::DestructiveRole));
}

void TestMessageView::buildsItsParts()
{
    MessageView box(QStringLiteral("Vellumin"), QStringLiteral("Done."), nullptr);
    QCOMPARE(box.clickedRole(), int(QDialogButtonBox::RejectRole));
    QVERIFY(box.windowFlags() & Qt::FramelessWindowHint);
    QVERIFY(box.windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(box.frame()->objectName(), QStringLiteral("messageBox"));
    QCOMPARE(box.frame()->minimumSize(), QSize(450, 190));
    QCOMPARE(box.okButton()->objectName(), QStringLiteral("buttonOk"));
    QCOMPARE(box.okButton()->text(), QStringLiteral("OK"));
    QCOMPARE(box.okButton()->size(), QSize(100, 42));
    QVERIFY(box.okButton()->isDefault());
    QCOMPARE(box.windowBar()->title(), QStringLiteral("Vellumin"));
    QCOMPARE(box.message(), QStringLiteral("Done."));
    QVERIFY(box.testAttribute(Qt::WA_TranslucentBackground));
    QVERIFY(box.frame()->graphicsEffect());

    QWidget parent;
    MessageView *small = MessageView::create(QStringLiteral("t"), QStringLiteral("m"), &parent);
    QCOMPARE(small->parentWidget(), &parent);
    QCOMPARE(small->frame()->minimumSize(), QSize(426, 173));
}

void TestMessageView::centresOnTheParentWindow()
{
    QWidget window;
    window.setGeometry(100, 80, 640, 420);
    auto *layout = new QVBoxLayout(&window);
    auto *outer = new QFrame(&window);
    layout->addWidget(outer);
    auto *inner = new QFrame(outer);
    inner->setGeometry(10, 10, 50, 50);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    MessageView box(QStringLiteral("t"), QStringLiteral("m"), inner);
    QPoint seen;
    whenModal([&](QWidget *) {
        seen = box.pos();
        box.hide();
    });
    box.exec();
    const QPoint expected
            = window.frameGeometry().topLeft() + window.rect().center() - box.rect().center();
    QCOMPARE(seen, expected);
}

void TestMessageView::longMessageWraps()
{
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QStringLiteral("word ");
    MessageView box(QStringLiteral("t"), text, nullptr);
    auto *label = box.frame()->findChild<QLabel *>();
    QVERIFY(label);
    QVERIFY(label->wordWrap());
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QVERIFY(box.frame()->width() >= 450);
    QVERIFY(box.frame()->height() >= 190);
    QVERIFY(label->height() > label->fontMetrics().lineSpacing());
    QVERIFY(label->width() <= box.frame()->width());
}

VL_TEST_WIDGETS_MAIN(TestMessageView)
#include "tst_messageview.moc"
