#include "widgets/progressbar.h"
#include "widgets/progressdialog.h"
#include "widgets/windowbar.h"

#include "tests/support/testenvironment.h"
#include "tests/widgets/modal.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

class TestProgressDialog : public QObject
{
    Q_OBJECT

private slots:
    void percent_data();
    void percent();
    void buildsItsParts();
    void workerStartShowsAndEndHides();
    void reportsReachTheScreenOnlyByTheTimer();
    void cancelKeepsTheDialogOpen();
    void backgroundHidesAndAnnounces();
    void escapeCancelsAndHides();
    void filledRect_data();
    void filledRect();
    void labelReadsOverBothParts();
};

void TestProgressDialog::percent_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("expected");
    QTest::newRow("one of three truncates") << 1 << 3 << 33;
    QTest::newRow("two of three truncates") << 2 << 3 << 66;
    QTest::newRow("done") << 5 << 5 << 100;
    QTest::newRow("nothing yet") << 0 << 1 << 0;
    QTest::newRow("total zero") << 3 << 0 << 0;
    QTest::newRow("negative total") << 3 << -4 << 0;
    QTest::newRow("past the total") << 7 << 5 << 100;
    QTest::newRow("negative value") << -1 << 5 << 0;
}

void TestProgressDialog::percent()
{
    QFETCH(int, value);
    QFETCH(int, total);
    QFETCH(int, expected);
    QCOMPARE(ProgressDialog::percent(value, total), expected);

    ProgressDialog dialog;
    dialog.setProgressChanged(value, total);
    dialog.onUpdateView();
    QCOMPARE(dialog.progressBar()->value(), expected);
}

void TestProgressDialog::buildsItsParts()
{
    ProgressDialog dialog;
    QVERIFY(dialog.windowFlags() & Qt::FramelessWindowHint);
    auto *frame = dialog.findChild<QFrame *>(QStringLiteral("progressView"));
    QVERIFY(frame);
    QCOMPARE(frame->minimumSize(), QSize(650, 178));
    QCOMPARE(dialog.cancelButton()->objectName(), QStringLiteral("buttonCancel"));
    QCOMPARE(dialog.cancelButton()->text(), QStringLiteral("CANCEL"));
    QCOMPARE(dialog.backgroundButton()->objectName(), QStringLiteral("buttonBackground"));
    QCOMPARE(dialog.backgroundButton()->text(), QStringLiteral("BACKGROUND"));
    QVERIFY(dialog.backgroundButton()->isHidden());
    dialog.setBackgroundButtonVisible(true);
    QVERIFY(!dialog.backgroundButton()->isHidden());
    dialog.setTitle(QStringLiteral("Add books"));
    QCOMPARE(dialog.windowBar()->title(), QStringLiteral("Add books"));
    QCOMPARE(dialog.progressBar()->minimum(), 0);
    QCOMPARE(dialog.progressBar()->maximum(), 100);
}

void TestProgressDialog::workerStartShowsAndEndHides()
{
    ProgressDialog dialog;
    dialog.setProgressChanged(4, 5);
    dialog.setMessage(QStringLiteral("stale"));
    dialog.onUpdateView();

    bool shownReset = false;
    whenModal([&](QWidget *modal) {
        QCOMPARE(modal, &dialog);
        shownReset = dialog.progressBar()->value() == 0;
        dialog.onUpdateView();
        shownReset = shownReset && dialog.messageLabel()->text().isEmpty();
        // The worker ends: state 0 arrives while the dialog runs.
        dialog.workerStateChanged(0);
    });
    dialog.workerStateChanged(1);
    QVERIFY(shownReset);
    QVERIFY(!dialog.isVisible());

    // A state that is neither start nor end changes nothing.
    dialog.workerStateChanged(2);
    QVERIFY(!dialog.isVisible());
}

void TestProgressDialog::reportsReachTheScreenOnlyByTheTimer()
{
    ProgressDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.setMessage(QStringLiteral("Adding \"Moby Dick.epub\""));
    dialog.setProgressChanged(1, 4);
    // Stored only: the screen changes on the next tick.
    QVERIFY(dialog.messageLabel()->text().isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(dialog.messageLabel()->text(),
                              QStringLiteral("Adding \"Moby Dick.epub\""), 2000);
    QCOMPARE(dialog.progressBar()->value(), 25);

    // Hidden, the timer stops and reports stay stored.
    dialog.hide();
    dialog.setMessage(QStringLiteral("later"));
    QTest::qWait(250);
    QCOMPARE(dialog.messageLabel()->text(), QStringLiteral("Adding \"Moby Dick.epub\""));
}

void TestProgressDialog::cancelKeepsTheDialogOpen()
{
    ProgressDialog dialog;
    QSignalSpy canceled(&dialog, &ProgressDialog::canceled);
    dialog.show();
    dialog.cancelButton()->click();
    dialog.windowBar()->closeWindow();
    QCOMPARE(canceled.count(), 2);
    QVERIFY(dialog.isVisible());
}

void TestProgressDialog::backgroundHidesAndAnnounces()
{
    ProgressDialog dialog;
    dialog.setBackgroundButtonVisible(true);
    QSignalSpy background(&dialog, &ProgressDialog::runBackground);
    QSignalSpy canceled(&dialog, &ProgressDialog::canceled);
    whenModal([&](QWidget *) { dialog.backgroundButton()->click(); });
    dialog.workerStateChanged(1);
    QCOMPARE(background.count(), 1);
    QCOMPARE(canceled.count(), 0);
    QVERIFY(!dialog.isVisible());
    // The worker's later end hides a hidden dialog: harmless.
    dialog.workerStateChanged(0);
    QVERIFY(!dialog.isVisible());
}

void TestProgressDialog::escapeCancelsAndHides()
{
    ProgressDialog dialog;
    QSignalSpy canceled(&dialog, &ProgressDialog::canceled);
    whenModal([&](QWidget *) { QTest::keyClick(&dialog, Qt::Key_Escape); });
    dialog.workerStateChanged(1);
    QCOMPARE(canceled.count(), 1);
    QVERIFY(!dialog.isVisible());
}

void TestProgressDialog::filledRect_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QRect>("expected");
    const QRect area(0, 0, 200, 20);
    QTest::newRow("empty") << 0 << QRect();
    QTest::newRow("half") << 50 << QRect(0, 0, 100, 20);
    QTest::newRow("third") << 33 << QRect(0, 0, 66, 20);
    QTest::newRow("full") << 100 << area;
}

void TestProgressDialog::filledRect()
{
    QFETCH(int, value);
    QFETCH(QRect, expected);
    QCOMPARE(ProgressBar::filledRect(QRect(0, 0, 200, 20), 0, 100, value), expected);
    // An empty range counts as one step rather than dividing by zero.
    QCOMPARE(ProgressBar::filledRect(QRect(0, 0, 200, 20), 5, 5, 5), QRect());
}

void TestProgressDialog::labelReadsOverBothParts()
{
    ProgressBar bar;
    bar.setStyleSheet(QStringLiteral("QProgressBar { border: none; background: #808080; }"
                                     "QProgressBar::chunk { background: #808080; }"));
    QPalette palette = bar.palette();
    palette.setColor(QPalette::Text, Qt::black);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    bar.setPalette(palette);
    QFont font = bar.font();
    font.setPixelSize(30);
    bar.setFont(font);
    bar.setRange(0, 100);
    bar.setValue(50);
    bar.setFormat(QStringLiteral("MMMMMMMM"));
    bar.resize(400, 40);

    QImage image(bar.size(), QImage::Format_ARGB32);
    bar.render(&image);
    int whiteLeft = 0;
    int blackLeft = 0;
    int whiteRight = 0;
    int blackRight = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor color = image.pixelColor(x, y);
            const bool left = x < 200;
            if (color == QColor(Qt::white))
                ++(left ? whiteLeft : whiteRight);
            else if (color == QColor(Qt::black))
                ++(left ? blackLeft : blackRight);
        }
    }
    QVERIFY(whiteLeft > 20);
    QVERIFY(blackRight > 20);
    QCOMPARE(blackLeft, 0);
    QCOMPARE(whiteRight, 0);
}

VL_TEST_WIDGETS_MAIN(TestProgressDialog)
#include "tst_progressdialog.moc"
