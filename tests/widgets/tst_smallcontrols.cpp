#include "widgets/colorpicker.h"
#include "widgets/comboboxitemdelegate.h"
#include "widgets/elidedlabel.h"
#include "widgets/elidedtext.h"
#include "widgets/shapebutton.h"

#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QColorDialog>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTimer>

namespace {

// Answers the next modal colour dialog once it is up: with `color`, or
// cancelled when `color` is invalid.
void answerColorDialog(const QColor &color)
{
    QTimer::singleShot(10, [color]() {
        auto *dialog = qobject_cast<QColorDialog *>(QApplication::activeModalWidget());
        if (!dialog) {
            answerColorDialog(color);
            return;
        }
        if (color.isValid()) {
            dialog->setCurrentColor(color);
            dialog->accept();
        } else {
            dialog->reject();
        }
    });
}

// Records what the item painter hands the style.
class RecordingStyle : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override
    {
        if (element == CE_ItemViewItem) {
            const auto *item = qstyleoption_cast<const QStyleOptionViewItem *>(option);
            text = item->text;
            state = item->state;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    mutable QString text;
    mutable QStyle::State state;
};

QImage render(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

} // namespace

class TestSmallControls : public QObject
{
    Q_OBJECT

private slots:
    void colorPickerTakesAConfirmedColor();
    void colorPickerIgnoresACancelledDialog();
    void changeColorAlwaysAnnounces();
    void shapeButtonDrawsACentredCircle();
    void comboDelegateShowsTheFirstColumn();
    void elidedLabelAnnouncesChanges();
    void elidedLabelExactFitIsNotElided();
    void elidedLinesStayWithinTheWidth_data();
    void elidedLinesStayWithinTheWidth();
};

void TestSmallControls::colorPickerTakesAConfirmedColor()
{
    ColorPicker picker(Qt::white);
    QCOMPARE(picker.size(), QSize(37, 37));
    QSignalSpy changed(&picker, &ColorPicker::colorChanged);
    answerColorDialog(QColor(0x41, 0x2C, 0x1A));
    picker.click();
    QCOMPARE(picker.color(), QColor(0x41, 0x2C, 0x1A));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.first().first().value<QColor>(), QColor(0x41, 0x2C, 0x1A));
}

void TestSmallControls::colorPickerIgnoresACancelledDialog()
{
    ColorPicker picker(QColor(0x48, 0x66, 0x82));
    QSignalSpy changed(&picker, &ColorPicker::colorChanged);
    answerColorDialog(QColor());
    picker.chooseColor();
    QCOMPARE(picker.color(), QColor(0x48, 0x66, 0x82));
    QCOMPARE(changed.count(), 0);
}

void TestSmallControls::changeColorAlwaysAnnounces()
{
    ColorPicker picker(Qt::black);
    QSignalSpy changed(&picker, &ColorPicker::colorChanged);
    picker.changeColor(Qt::black);
    picker.changeColor(Qt::red);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(picker.color(), QColor(Qt::red));

    // The swatch shows the colour inside its grey frame.
    const QImage image = render(picker);
    QCOMPARE(image.pixelColor(18, 18), QColor(Qt::red));
}

void TestSmallControls::shapeButtonDrawsACentredCircle()
{
    ShapeButton button(Qt::blue);
    button.resize(20, 30);
    QCOMPARE(button.color(), QColor(Qt::blue));
    QImage image = render(button);
    // Radius 20 / 2 - 1 = 9 around (9, 14).
    QCOMPARE(image.pixelColor(9, 14), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(9, 7), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(9, 21), QColor(Qt::blue));
    QVERIFY(image.pixelColor(9, 3) != QColor(Qt::blue));
    QVERIFY(image.pixelColor(9, 26) != QColor(Qt::blue));
    QVERIFY(image.pixelColor(0, 0) != QColor(Qt::blue));

    button.setColor(Qt::green);
    image = render(button);
    QCOMPARE(image.pixelColor(9, 14), QColor(Qt::green));
}

void TestSmallControls::comboDelegateShowsTheFirstColumn()
{
    QStandardItemModel model(1, 2);
    model.setItem(0, 0, new QStandardItem(QStringLiteral("Night")));
    model.setItem(0, 1, new QStandardItem(QStringLiteral("1")));

    RecordingStyle style;
    QWidget list;
    list.setStyle(&style);
    ComboBoxItemDelegate delegate;

    QStyleOptionViewItem option;
    option.initFrom(&list);
    option.widget = &list;
    option.rect = QRect(0, 0, 100, 20);
    option.state |= QStyle::State_HasFocus;
    QImage image(100, 20, QImage::Format_ARGB32);
    QPainter painter(&image);
    delegate.paint(&painter, option, model.index(0, 1));

    QCOMPARE(style.text, QStringLiteral("Night"));
    QVERIFY(!(style.state & QStyle::State_HasFocus));
}

void TestSmallControls::elidedLabelAnnouncesChanges()
{
    ElidedLabel label(QStringLiteral("A long description that needs several lines when the "
                                     "label is narrow, and only one when it is wide enough."));
    QSignalSpy changed(&label, &ElidedLabel::elisionChanged);
    const int line = label.fontMetrics().lineSpacing();

    label.resize(2000, line * 3);
    render(label);
    QCOMPARE(changed.count(), 0);
    QVERIFY(!label.isElided());

    label.resize(120, line * 2);
    render(label);
    render(label);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.last().first().toBool(), true);
    QVERIFY(label.isElided());

    label.resize(2000, line * 3);
    render(label);
    QCOMPARE(changed.count(), 2);
    QCOMPARE(changed.last().first().toBool(), false);
    QVERIFY(!label.isElided());
}

void TestSmallControls::elidedLabelExactFitIsNotElided()
{
    // One line of room and a text that ends on that line: drawn through the
    // eliding branch, but nothing is cut.
    ElidedLabel label(QStringLiteral("Short"));
    QSignalSpy changed(&label, &ElidedLabel::elisionChanged);
    label.resize(300, label.fontMetrics().lineSpacing());
    render(label);
    QVERIFY(!label.isElided());
    QCOMPARE(changed.count(), 0);

    label.setText(QStringLiteral("Short, and then many more words than one line of it holds"));
    label.resize(80, label.height());
    render(label);
    QVERIFY(label.isElided());
}

void TestSmallControls::elidedLinesStayWithinTheWidth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maxLines");
    QTest::newRow("address") << "Live Systems Project <debian-live@lists.debian.org>" << 4;
    QTest::newRow("one long word") << "Donaudampfschifffahrtsgesellschaftskapitän" << 3;
    QTest::newRow("long word, one line") << "Donaudampfschifffahrtsgesellschaftskapitän" << 1;
}

// A word wider than the room (a mail address under a cover's title) is
// broken across lines, never drawn past both edges of a centred line.
void TestSmallControls::elidedLinesStayWithinTheWidth()
{
    QFETCH(QString, text);
    QFETCH(int, maxLines);
    const QFont font;
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("Project <debian"));
    const QStringList lines = elidedLines(text, font, width, maxLines);
    QVERIFY(!lines.isEmpty());
    QVERIFY(lines.size() <= maxLines);
    for (const QString &line : lines)
        QVERIFY2(metrics.horizontalAdvance(line) <= width, qPrintable(line));
}

VL_TEST_WIDGETS_MAIN(TestSmallControls)
#include "tst_smallcontrols.moc"
