#include "tests/support/testenvironment.h"

#include "library/view/listformats.h"
#include "widgets/button.h"

#include <QButtonGroup>
#include <QTranslator>

namespace {

// Answers "Formats" with another word, as a loaded translation would.
class FormatsTranslator : public QTranslator
{
public:
    QString translate(const char *context, const char *sourceText, const char *, int) const override
    {
        if (QLatin1String(context) == QLatin1String("ListFormats")
            && QLatin1String(sourceText) == QLatin1String("Formats"))
            return QStringLiteral("Formate");
        return QString();
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestListFormats : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void buttonsJoinTheGroup();
    void formatCounts();
    void expandAndCollapse();
    void formatExcludesGeneralCategory();
    void resetLeavesNothingChecked();
    void languageChange();

private:
    QWidget *m_window = nullptr;
    QButtonGroup *m_group = nullptr;
    Button *m_general = nullptr;
    ListFormats *m_list = nullptr;
};

void TestListFormats::init()
{
    m_window = new QWidget;
    m_group = new QButtonGroup(m_window);
    m_general = new Button(m_window);
    m_general->setCheckable(true);
    m_group->addButton(m_general, 2);
    m_list = new ListFormats(m_group, m_window);
    m_window->show();
}

void TestListFormats::cleanup()
{
    delete m_window;
}

void TestListFormats::buttonsJoinTheGroup()
{
    QCOMPARE(m_group->buttons().size(), 12);
    const QStringList names
            = { "epub", "mobi", "fb2", "pdf", "djvu", "prc", "cbz", "cbr", "txt", "zip", "7z" };
    for (int format = 0; format < names.size(); ++format) {
        Button *button = m_list->formatButton(format);
        QVERIFY(button);
        QCOMPARE(m_group->id(button), 1000 + format);
        QCOMPARE(button->text(), names.at(format));
        QCOMPARE(button->objectName(), QStringLiteral("buttonFormat"));
        QVERIFY(button->isCheckable());
    }
    QCOMPARE(m_list->headerButton()->text(), QStringLiteral("Formats"));
    QVERIFY(!m_list->isExpanded());
    QCOMPARE(m_list->sizePolicy().verticalPolicy(), QSizePolicy::Fixed);
}

void TestListFormats::formatCounts()
{
    m_list->setFormatCounts(FormatCounts());
    QVERIFY(m_list->isHidden());

    FormatCounts counts;
    counts.insert(0, qMakePair(0, 12));
    counts.insert(3, qMakePair(3, 3));
    m_list->setFormatCounts(counts);
    QVERIFY(!m_list->isHidden());
    QCOMPARE(m_list->formatButton(0)->text(), QStringLiteral("epub (12)"));
    QCOMPARE(m_list->formatButton(3)->text(), QStringLiteral("pdf (3)"));
    for (int format = 0; format <= 10; ++format)
        QCOMPARE(m_list->formatButton(format)->isHidden(), format != 0 && format != 3);

    // The last PDF went to the trash.
    counts.remove(3);
    m_list->setFormatCounts(counts);
    QVERIFY(m_list->formatButton(3)->isHidden());
    QVERIFY(!m_list->formatButton(0)->isHidden());
}

void TestListFormats::expandAndCollapse()
{
    Button *header = m_list->headerButton();
    QTest::mouseClick(header, Qt::LeftButton);
    QVERIFY(m_list->isExpanded());
    QCOMPARE(header->objectName(), QStringLiteral("buttonFormatsExpanded"));
    QTest::mouseClick(header, Qt::LeftButton);
    QVERIFY(!m_list->isExpanded());
    QCOMPARE(header->objectName(), QStringLiteral("buttonFormats"));

    m_list->expand();
    m_list->expand();
    QCOMPARE(header->objectName(), QStringLiteral("buttonFormatsExpanded"));
    m_list->collapse();
    QCOMPARE(header->objectName(), QStringLiteral("buttonFormats"));
}

void TestListFormats::formatExcludesGeneralCategory()
{
    m_general->click();
    QVERIFY(m_general->isChecked());
    m_list->expand();
    QSignalSpy clicked(m_group, &QButtonGroup::idClicked);
    QTest::mouseClick(m_list->formatButton(6), Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
    QCOMPARE(clicked.first().first().toInt(), 1006);
    QCOMPARE(m_group->checkedId(), 1006);
    QVERIFY(!m_general->isChecked());
}

void TestListFormats::resetLeavesNothingChecked()
{
    m_list->formatButton(3)->click();
    QCOMPARE(m_group->checkedId(), 1003);
    m_list->reset();
    QCOMPARE(m_group->checkedButton(), nullptr);
    QVERIFY(m_group->exclusive());
    m_list->reset();
    QCOMPARE(m_group->checkedButton(), nullptr);
    // Still exclusive: one click checks one button again.
    m_general->click();
    m_list->formatButton(1)->click();
    QVERIFY(!m_general->isChecked());
}

void TestListFormats::languageChange()
{
    FormatsTranslator translator;
    QVERIFY(QCoreApplication::installTranslator(&translator));
    QCoreApplication::processEvents();
    QCOMPARE(m_list->headerButton()->text(), QStringLiteral("Formate"));
    QCOMPARE(m_list->formatButton(0)->text(), QStringLiteral("epub"));
    QCoreApplication::removeTranslator(&translator);
    QCoreApplication::processEvents();
    QCOMPARE(m_list->headerButton()->text(), QStringLiteral("Formats"));
}

VL_TEST_WIDGETS_MAIN(TestListFormats)
#include "tst_listformats.moc"
