#include "reader/note.h"
#include "reader/notetooltip.h"
#include "reader/textviewercontextmenu.h"
#include "tests/support/testenvironment.h"

#include <QImage>
#include <QTest>

// The note balloon as the reader sees it: a comment shown on the note's own
// colour, under the border of each colour profile.
class tst_NoteTooltip : public QObject
{
    Q_OBJECT

private slots:
    void commentIsReadable_data();
    void commentIsReadable();
};

void tst_NoteTooltip::commentIsReadable_data()
{
    QTest::addColumn<QColor>("border");
    QTest::addColumn<QColor>("noteColor");
    const QList<QColor> colors = TextViewerContextMenu::colors();
    const QList<std::pair<const char *, QColor>> borders = {
        { "day and sepia", QColor(QStringLiteral("#ddbd9a")) },
        { "night", QColor(QStringLiteral("#2c4055")) },
    };
    for (const auto &border : borders) {
        for (const QColor &color : colors) {
            QTest::addRow("%s, %s", border.first, qPrintable(color.name()))
                    << border.second << color;
        }
    }
}

void tst_NoteTooltip::commentIsReadable()
{
    QFETCH(QColor, border);
    QFETCH(QColor, noteColor);
    Note note;
    note.id = QStringLiteral("n1");
    note.color = noteColor;
    note.text = QStringLiteral("WWWWWWWW MMMMMMMM WWWWWWWW");

    NoteTooltip balloon;
    balloon.resize(400, 120);
    balloon.setBorderColor(border);
    balloon.setNote(&note);
    balloon.setEditing(0);
    const QImage shot = balloon.grab().toImage();

    // The darkest pixel of the inside is the comment's ink: it has to stand
    // well apart from the note colour it is drawn on.
    int darkest = 255;
    for (int y = 30; y < 90; ++y) {
        for (int x = 30; x < 370; ++x)
            darkest = qMin(darkest, qGray(shot.pixel(x, y)));
    }
    QVERIFY2(qGray(noteColor.rgb()) - darkest > 120,
             qPrintable(QStringLiteral("ink %1 on %2").arg(darkest).arg(qGray(noteColor.rgb()))));
}

VL_TEST_WIDGETS_MAIN(tst_NoteTooltip)
#include "tst_notetooltip.moc"
