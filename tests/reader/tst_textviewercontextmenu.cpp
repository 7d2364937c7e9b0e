#include "reader/custommenuitemaction.h"
#include "reader/textviewercontextmenu.h"
#include "tests/support/testenvironment.h"
#include "widgets/shapebutton.h"

#include <QSignalSpy>

class tst_TextViewerContextMenu : public QObject
{
    Q_OBJECT

private slots:
    void entriesPerMode_data();
    void entriesPerMode();
    void entriesEmitTheirKeys_data();
    void entriesEmitTheirKeys();
    void controlThenLetterTriggersEntry();
    void swatchEmitsItsColourAndCloses();

private:
    static QStringList visibleTexts(const QMenu *menu);
};

QStringList tst_TextViewerContextMenu::visibleTexts(const QMenu *menu)
{
    QStringList texts;
    for (const QAction *action : menu->actions()) {
        if (action->isSeparator())
            texts.append(QStringLiteral("-"));
        else if (action->menu())
            texts.append(action->text() + QLatin1Char('>')
                         + visibleTexts(action->menu()).join('|'));
        else if (qobject_cast<const QWidgetAction *>(action))
            texts.append(QStringLiteral("colours"));
        else
            texts.append(action->text());
    }
    return texts;
}

void tst_TextViewerContextMenu::entriesPerMode_data()
{
    QTest::addColumn<bool>("noteMode");
    QTest::addColumn<QStringList>("texts");
    QTest::newRow("selection") << false
                               << QStringList { "Copy\tCtrl+C",
                                                "Add note\tCtrl+N",
                                                "-",
                                                "colours",
                                                "-",
                                                "Translate\tCtrl+T",
                                                "Search>Search on Google|Search on Wikipedia" };
    QTest::newRow("note") << true << QStringList { "Remove note\tCtrl+N", "-", "colours" };
}

void tst_TextViewerContextMenu::entriesPerMode()
{
    QFETCH(bool, noteMode);
    QFETCH(QStringList, texts);
    TextViewerContextMenu menu(noteMode);
    QCOMPARE(visibleTexts(&menu), texts);
    QCOMPARE(menu.copyAction() == nullptr, noteMode);
    QCOMPARE(menu.translateAction() == nullptr, noteMode);
    QCOMPARE(menu.googleAction() == nullptr, noteMode);
    // The shortcuts are shown only: none of them is a shortcut of a window.
    for (const QAction *action : menu.actions())
        QVERIFY(action->shortcut().isEmpty());
}

void tst_TextViewerContextMenu::entriesEmitTheirKeys_data()
{
    QTest::addColumn<bool>("noteMode");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QKeySequence>("keys");
    QTest::newRow("copy") << false << "copy" << QKeySequence(Qt::CTRL + Qt::Key_C);
    QTest::newRow("add note") << false << "note" << QKeySequence(Qt::CTRL + Qt::Key_N);
    QTest::newRow("remove note") << true << "note" << QKeySequence(Qt::CTRL + Qt::Key_N);
    QTest::newRow("translate") << false << "translate" << QKeySequence(Qt::CTRL + Qt::Key_T);
}

void tst_TextViewerContextMenu::entriesEmitTheirKeys()
{
    QFETCH(bool, noteMode);
    QFETCH(QString, entry);
    QFETCH(QKeySequence, keys);
    TextViewerContextMenu menu(noteMode);
    QSignalSpy pressed(&menu, &TextViewerContextMenu::keySequencePressed);
    QAction *action = entry == QLatin1String("copy") ? menu.copyAction()
            : entry == QLatin1String("note")         ? menu.noteAction()
                                                     : menu.translateAction();
    menu.popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));
    action->trigger();
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.first().first().value<QKeySequence>(), keys);
    QVERIFY(!menu.isVisible());
}

void tst_TextViewerContextMenu::controlThenLetterTriggersEntry()
{
    TextViewerContextMenu menu(false);
    QSignalSpy pressed(&menu, &TextViewerContextMenu::keySequencePressed);
    QSignalSpy noted(menu.noteAction(), &QAction::triggered);
    menu.popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));

    // The letter alone, without the Control key's own press before it,
    // triggers nothing.
    QKeyEvent letter(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier, QStringLiteral("n"));
    QApplication::sendEvent(&menu, &letter);
    QVERIFY(noted.isEmpty());

    // The test presses Control first, then N.
    QTest::keyClick(&menu, Qt::Key_N, Qt::ControlModifier);
    QCOMPARE(noted.count(), 1);
    QCOMPARE(pressed.count(), 1);
    QCOMPARE(pressed.first().first().value<QKeySequence>(), QKeySequence(Qt::CTRL + Qt::Key_N));
    QVERIFY(!menu.isVisible());
}

void tst_TextViewerContextMenu::swatchEmitsItsColourAndCloses()
{
    TextViewerContextMenu menu(true);
    QSignalSpy coloured(menu.colorAction(), &CustomMenuItemAction::colorButtonClicked);
    QSignalSpy triggered(menu.colorAction(), &QAction::triggered);
    menu.popup(QPoint(10, 10));
    QVERIFY(QTest::qWaitForWindowExposed(&menu));

    const QList<ShapeButton *> swatches = menu.findChildren<ShapeButton *>();
    QCOMPARE(swatches.size(), 5);
    QList<QColor> colours;
    for (const ShapeButton *swatch : swatches)
        colours.append(swatch->color());
    QCOMPARE(colours, TextViewerContextMenu::colors());

    QTest::mouseClick(swatches.at(3), Qt::LeftButton);
    QCOMPARE(coloured.count(), 1);
    QCOMPARE(coloured.first().first().value<QColor>(), QColor(174, 217, 241));
    QCOMPARE(triggered.count(), 1);
    QTRY_VERIFY(!menu.isVisible());
}

VL_TEST_WIDGETS_MAIN(tst_TextViewerContextMenu)
#include "tst_textviewercontextmenu.moc"
