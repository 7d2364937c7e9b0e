#include "widgets/button.h"
#include "widgets/buttondescription.h"

#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyleOptionButton>
#include <QTemporaryDir>

namespace {

QImage solid(const QSize &size, const QColor &color)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

// A button painted as a bare icon and text on nothing, so pixels can be
// checked where the layout rules put them.
void makeBare(Button &button)
{
    button.setStyleSheet(QStringLiteral("QPushButton { border: none; background: transparent; "
                                        "padding: 0px; margin: 0px; }"));
}

QImage paint(QWidget &widget)
{
    widget.ensurePolished();
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::white);
    widget.render(&image);
    return image;
}

} // namespace

class TestButton : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void stateOfTheMoment_data();
    void stateOfTheMoment();
    void styleSheetSetsEveryProperty();
    void descriptionKeepsItsOwnPaddings();
    void sizeHint_data();
    void sizeHint();
    void sizeHintFollowsTheIconOfTheMoment();
    void iconPlacement_data();
    void iconPlacement();
    void hoveredButtonWithoutHoverIconDrawsNoIcon();
    void menuIconSitsAtTheRightEdge();
    void descriptionSizeHint();
    void descriptionWithoutIconStaysVisible();

private:
    QTemporaryDir m_dir;
    QString m_red;
    QString m_blue;
};

void TestButton::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_red = m_dir.filePath(QStringLiteral("red.png"));
    m_blue = m_dir.filePath(QStringLiteral("blue.png"));
    QVERIFY(solid(QSize(10, 10), Qt::red).save(m_red));
    QVERIFY(solid(QSize(10, 10), Qt::blue).save(m_blue));
}

void TestButton::stateOfTheMoment_data()
{
    QTest::addColumn<int>("state");
    QTest::addColumn<bool>("withDisabledIcon");
    QTest::addColumn<QString>("icon");
    QTest::addColumn<QString>("menuIcon");
    QTest::addColumn<QColor>("color");

    const int enabled = QStyle::State_Enabled;
    QTest::newRow("normal") << enabled << true << "normal"
                            << "m-normal" << QColor(Qt::black);
    QTest::newRow("hover") << (enabled | QStyle::State_MouseOver) << true << "hover"
                           << "m-hover" << QColor(Qt::red);
    QTest::newRow("pressed beats hover")
            << (enabled | QStyle::State_MouseOver | QStyle::State_Sunken) << true << "pressed"
            << "m-pressed" << QColor(Qt::green);
    QTest::newRow("checked beats pressed")
            << (enabled | QStyle::State_MouseOver | QStyle::State_Sunken | QStyle::State_On) << true
            << "checked"
            << "m-checked" << QColor(Qt::blue);
    QTest::newRow("disabled with disabled icon") << int(QStyle::State_On) << true << "disabled"
                                                 << "m-disabled" << QColor(Qt::gray);
    QTest::newRow("disabled without disabled icon keeps the others")
            << int(QStyle::State_On) << false << "checked"
            << "m-checked" << QColor(Qt::gray);
    QTest::newRow("hover with empty hover icon")
            << (enabled | QStyle::State_MouseOver) << true << ""
            << "" << QColor(Qt::red);
}

void TestButton::stateOfTheMoment()
{
    QFETCH(int, state);
    QFETCH(bool, withDisabledIcon);
    QFETCH(QString, icon);
    QFETCH(QString, menuIcon);
    QFETCH(QColor, color);

    Button button;
    const bool emptyHover = QByteArray(QTest::currentDataTag()).contains("empty hover");
    button.setIconNormal(QStringLiteral("normal"));
    button.setIconHover(emptyHover ? QString() : QStringLiteral("hover"));
    button.setIconPressed(QStringLiteral("pressed"));
    button.setIconChecked(QStringLiteral("checked"));
    button.setIconDisabled(withDisabledIcon ? QStringLiteral("disabled") : QString());
    button.setMenuIconNormal(QStringLiteral("m-normal"));
    button.setMenuIconHover(emptyHover ? QString() : QStringLiteral("m-hover"));
    button.setMenuIconPressed(QStringLiteral("m-pressed"));
    button.setMenuIconChecked(QStringLiteral("m-checked"));
    button.setMenuIconDisabled(withDisabledIcon ? QStringLiteral("m-disabled") : QString());
    button.setColorTextNormal(Qt::black);
    button.setColorTextHover(Qt::red);
    button.setColorTextPressed(Qt::green);
    button.setColorTextChecked(Qt::blue);
    button.setColorTextDisabled(Qt::gray);

    QStyleOptionButton option;
    option.state = QStyle::State(state);
    QCOMPARE(button.iconFor(option), icon);
    QCOMPARE(button.menuIconFor(option), menuIcon);
    QCOMPARE(button.textColorFor(option), color);

    // The disabled text colour is taken even when it was never set.
    Button plain;
    plain.setColorTextNormal(Qt::black);
    QStyleOptionButton disabled;
    disabled.state = QStyle::State_None;
    QVERIFY(!plain.textColorFor(disabled).isValid());
}

void TestButton::styleSheetSetsEveryProperty()
{
    Button button;
    button.setObjectName(QStringLiteral("probe"));
    button.setStyleSheet(QStringLiteral(
            "#probe { qproperty-iconNormal: url(:/a/n.png); qproperty-iconHover: url(:/a/h.png);"
            " qproperty-iconPressed: url(:/a/p.png); qproperty-iconChecked: url(:/a/c.png);"
            " qproperty-iconDisabled: url(:/a/d.png); qproperty-iconAlignment: AlignLeft;"
            " qproperty-colorTextNormal: #010203; qproperty-colorTextHover: #040506;"
            " qproperty-colorTextPressed: #070809; qproperty-colorTextChecked: #0a0b0c;"
            " qproperty-colorTextDisabled: #0d0e0f; qproperty-iconPaddingLeft: 7;"
            " qproperty-iconPaddingRight: 9; qproperty-menuIconNormal: url(:/m/n.png);"
            " qproperty-menuIconHover: url(:/m/h.png); qproperty-menuIconPressed: url(:/m/p.png);"
            " qproperty-menuIconChecked: url(:/m/c.png); qproperty-menuIconDisabled: "
            "url(:/m/d.png);"
            " qproperty-menuIconPaddingRight: 8; qproperty-menuIconSize: 9px 11px;"
            " qproperty-iconSize: 30px 20px; }"));
    button.ensurePolished();

    QCOMPARE(button.iconNormal(), QStringLiteral(":/a/n.png"));
    QCOMPARE(button.iconHover(), QStringLiteral(":/a/h.png"));
    QCOMPARE(button.iconPressed(), QStringLiteral(":/a/p.png"));
    QCOMPARE(button.iconChecked(), QStringLiteral(":/a/c.png"));
    QCOMPARE(button.iconDisabled(), QStringLiteral(":/a/d.png"));
    QCOMPARE(button.iconAlignment(), Qt::Alignment(Qt::AlignLeft));
    QCOMPARE(button.colorTextNormal(), QColor(0x01, 0x02, 0x03));
    QCOMPARE(button.colorTextHover(), QColor(0x04, 0x05, 0x06));
    QCOMPARE(button.colorTextPressed(), QColor(0x07, 0x08, 0x09));
    QCOMPARE(button.colorTextChecked(), QColor(0x0a, 0x0b, 0x0c));
    QCOMPARE(button.colorTextDisabled(), QColor(0x0d, 0x0e, 0x0f));
    QCOMPARE(button.iconPaddingLeft(), 7);
    QCOMPARE(button.iconPaddingRight(), 9);
    QCOMPARE(button.menuIconNormal(), QStringLiteral(":/m/n.png"));
    QCOMPARE(button.menuIconHover(), QStringLiteral(":/m/h.png"));
    QCOMPARE(button.menuIconPressed(), QStringLiteral(":/m/p.png"));
    QCOMPARE(button.menuIconChecked(), QStringLiteral(":/m/c.png"));
    QCOMPARE(button.menuIconDisabled(), QStringLiteral(":/m/d.png"));
    QCOMPARE(button.menuIconPaddingRight(), 8);
    QCOMPARE(button.menuIconSize(), QSize(9, 11));
    QCOMPARE(button.iconSize(), QSize(30, 20));

    // Defaults of a fresh button.
    Button fresh;
    QCOMPARE(fresh.menuIconSize(), QSize(-1, -1));
    QCOMPARE(fresh.iconAlignment(), Qt::Alignment());
    QVERIFY(fresh.testAttribute(Qt::WA_Hover));
}

void TestButton::descriptionKeepsItsOwnPaddings()
{
    ButtonDescription button;
    QCOMPARE(button.textPadding(), 5);
    button.setObjectName(QStringLiteral("probe"));
    button.setStyleSheet(QStringLiteral(
            "#probe { qproperty-iconPaddingLeft: 6; qproperty-iconPaddingRight: 4;"
            " qproperty-description: Continue; qproperty-textPadding: 12;"
            " qproperty-colorDescriptionNormal: #111111; qproperty-colorDescriptionHover: #222222;"
            " qproperty-colorDescriptionPressed: #333333;"
            " qproperty-colorDescriptionChecked: #444444;"
            " qproperty-colorDescriptionDisabled: #555555; }"));
    button.ensurePolished();

    QCOMPARE(button.iconPaddingLeft(), 6);
    QCOMPARE(button.iconPaddingRight(), 4);
    // The inherited values stay untouched.
    QCOMPARE(static_cast<Button &>(button).iconPaddingLeft(), 0);
    QCOMPARE(static_cast<Button &>(button).iconPaddingRight(), 0);
    QCOMPARE(button.description(), QStringLiteral("Continue"));
    QCOMPARE(button.textPadding(), 12);

    QStyleOptionButton option;
    option.state = QStyle::State_Enabled | QStyle::State_MouseOver;
    QCOMPARE(button.descriptionColorFor(option), QColor(0x22, 0x22, 0x22));
    option.state = QStyle::State_On;
    QCOMPARE(button.descriptionColorFor(option), QColor(0x55, 0x55, 0x55));
}

void TestButton::sizeHint_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("withIcon");
    QTest::addColumn<int>("extraWidth");

    // Extra width over a bare button with the same text: 10 + icon width +
    // paddings when there is an icon, nothing otherwise.
    QTest::newRow("text only") << "Library" << false << 0;
    QTest::newRow("text and icon") << "Library" << true << 20 + 3 + 4;
    QTest::newRow("icon without text") << "" << true << 20 + 3 + 4;
}

void TestButton::sizeHint()
{
    QFETCH(QString, text);
    QFETCH(bool, withIcon);
    QFETCH(int, extraWidth);

    Button bare;
    makeBare(bare);
    bare.setText(text);

    Button button;
    makeBare(button);
    button.setText(text);
    button.setIconSize(QSize(20, 24));
    button.setIconPaddingLeft(3);
    button.setIconPaddingRight(4);
    if (withIcon)
        button.setIconNormal(m_red);

    const QSize bareHint = bare.sizeHint();
    const QSize hint = button.sizeHint();
    QCOMPARE(hint.width() - bareHint.width(), extraWidth);
    if (withIcon)
        QVERIFY(hint.height() >= 24);

    // An empty text measures nothing: only the 10 x 10 base (or the icon).
    if (text.isEmpty() && !withIcon) {
        QStyleOptionButton option;
        option.initFrom(&bare);
        QCOMPARE(bareHint,
                 bare.style()
                         ->sizeFromContents(QStyle::CT_PushButton, &option, QSize(10, 10), &bare)
                         .expandedTo(QApplication::globalStrut()));
    }
}

void TestButton::sizeHintFollowsTheIconOfTheMoment()
{
    Button button;
    makeBare(button);
    button.setText(QStringLiteral("Go"));
    button.setIconSize(QSize(20, 20));
    button.setIconNormal(m_red);
    button.setCheckable(true);
    const QSize withIcon = button.sizeHint();
    // Checked without a checked icon: the no-icon layout, so a smaller hint.
    button.setChecked(true);
    QCOMPARE(button.sizeHint().width(), withIcon.width() - 20);
}

void TestButton::iconPlacement_data()
{
    QTest::addColumn<bool>("leftAligned");
    QTest::newRow("centred group") << false;
    QTest::newRow("left") << true;
}

void TestButton::iconPlacement()
{
    QFETCH(bool, leftAligned);

    Button button;
    makeBare(button);
    button.resize(120, 40);
    button.setIconSize(QSize(10, 10));
    button.setIconNormal(m_red);
    button.setIconPaddingLeft(6);
    button.setIconPaddingRight(2);
    if (leftAligned)
        button.setIconAlignment(Qt::AlignLeft);
    const QImage image = paint(button);

    const int top = int(40 / 2.0 - 10 / 2.0);
    int left = 6;
    if (!leftAligned) {
        // Centred group without text: centre x - (icon + paddings + 5) / 2.
        const qreal group = 10 + 6 + 2 + 5;
        left = int((120 - 1) / 2 - group / 2);
    }
    QCOMPARE(image.pixelColor(left, top), QColor(Qt::red));
    QCOMPARE(image.pixelColor(left + 9, top + 9), QColor(Qt::red));
    QVERIFY(image.pixelColor(left - 1, top) != QColor(Qt::red));
    QVERIFY(image.pixelColor(left + 10, top + 10) != QColor(Qt::red));
}

void TestButton::hoveredButtonWithoutHoverIconDrawsNoIcon()
{
    Button button;
    makeBare(button);
    button.resize(60, 30);
    button.setIconSize(QSize(10, 10));
    button.setIconNormal(m_red);
    QImage image = paint(button);
    QVERIFY(image.pixelColor(image.rect().center()).red() == 255);

    button.setAttribute(Qt::WA_UnderMouse, true);
    image = paint(button);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            QVERIFY(image.pixelColor(x, y) != QColor(Qt::red));

    button.setIconHover(m_blue);
    image = paint(button);
    QCOMPARE(image.pixelColor(image.rect().center()), QColor(Qt::blue));
}

void TestButton::menuIconSitsAtTheRightEdge()
{
    Button button;
    makeBare(button);
    button.resize(100, 30);
    button.setMenuIconNormal(m_blue);
    button.setMenuIconSize(QSize(10, 10));
    button.setMenuIconPaddingRight(8);
    const QImage image = paint(button);
    const int left = 99 - 8 - 10;
    const int top = 30 / 2 - 10 / 2;
    QCOMPARE(image.pixelColor(left, top), QColor(Qt::blue));
    QCOMPARE(image.pixelColor(left + 9, top + 9), QColor(Qt::blue));
    QVERIFY(image.pixelColor(left + 10, top) != QColor(Qt::blue));
}

void TestButton::descriptionSizeHint()
{
    ButtonDescription bare;
    makeBare(bare);
    bare.setText(QStringLiteral("A Tale of Two Cities"));

    ButtonDescription button;
    makeBare(button);
    button.setText(QStringLiteral("A Tale of Two Cities"));
    button.setDescription(QStringLiteral("Continue reading"));
    button.setTextPadding(9);
    const int descriptionWidth
            = button.fontMetrics().size(Qt::TextShowMnemonic, button.description()).width();
    QCOMPARE(button.sizeHint().width() - bare.sizeHint().width(), descriptionWidth + 9);
}

void TestButton::descriptionWithoutIconStaysVisible()
{
    ButtonDescription button;
    makeBare(button);
    button.resize(320, 30);
    button.setText(QStringLiteral("Title"));
    button.setDescription(QStringLiteral("Continue reading"));
    button.setColorTextNormal(Qt::blue);
    button.setColorDescriptionNormal(Qt::red);
    const QImage image = paint(button);
    int lastRed = -1;
    int firstBlue = image.width();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor color = image.pixelColor(x, y);
            if (color.red() > 200 && color.green() < 60 && color.blue() < 60)
                lastRed = qMax(lastRed, x);
            if (color.blue() > 200 && color.red() < 60 && color.green() < 60)
                firstBlue = qMin(firstBlue, x);
        }
    }
    QVERIFY(lastRed > 0);
    QVERIFY(firstBlue < image.width());
    QVERIFY(lastRed < firstBlue);
}

VL_TEST_WIDGETS_MAIN(TestButton)
#include "tst_button.moc"
