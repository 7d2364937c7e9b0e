#include "app/fontsizeedit.h"
#include "app/settingsview.h"
#include "core/paths.h"
#include "core/settings.h"
#include "core/settingsfile.h"
#include "tests/support/testenvironment.h"
#include "widgets/colorpicker.h"
#include "widgets/tabwidget.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>

// The settings page against the real "settings.ini" of the test's home.
class TestSettingsView : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        // A change announced by the previous test arrives now, not later.
        QTest::qWait(1);
        auto settings = SettingsFile::create();
        settings->clear();
        settings->sync();
        Settings::instance()->setValues(Settings::defaultProfile(), true);
    }

    void showsTheStoredValues()
    {
        ViewerSettings values = Settings::defaultProfile();
        values.currentProfile = ViewerSettings::SepiaProfile;
        values.textAlignment = 3;
        values.showFade = false;
        values.useNaviSlider = false;
        values.profiles[0].text.family = QStringLiteral("DejaVu Serif");
        values.profiles[0].text.size = 18;
        values.profiles[2].text.family = QStringLiteral("DejaVu Serif");
        values.profiles[2].text.size = 18;
        Settings::instance()->setValues(values, true);
        SettingsFile::create()->setValue(QStringLiteral("auto_update_enabled"), false);

        SettingsView page;
        page.show();
        QCOMPARE(page.profileCombo()->currentData().toInt(), 2);
        QCOMPARE(page.profileCombo()->currentText(), QStringLiteral("Sepia"));
        QCOMPARE(page.fontCombo()->currentText(), QStringLiteral("DejaVu Serif"));
        QCOMPARE(page.fontSizeEdit()->value(), 18);
        QCOMPARE(page.textColorPicker()->color(), QColor(0x41, 0x2C, 0x1A));
        QCOMPARE(page.backgroundColorPicker()->color(), QColor(0xF0, 0xE8, 0xD1));
        QCOMPARE(page.workgroundColorPicker()->color(), QColor(0x29, 0x15, 0x03));
        QCOMPARE(page.alignmentCombo()->currentIndex(), 3);
        QCOMPARE(page.alignmentCombo()->currentText(), QStringLiteral("Center"));
        QVERIFY(!page.fadeCheckBox()->isChecked());
        QVERIFY(!page.naviSliderCheckBox()->isChecked());
        QVERIFY(!page.updateCheckBox()->isChecked());
        // No folder stored: the import folder.
        QCOMPARE(page.libraryFolder(), Paths::importDir());
    }

    void saveGivesEveryProfileTheFont()
    {
        ViewerSettings values = Settings::defaultProfile();
        values.profiles[1].text.bold = true;
        values.profiles[1].text.italic = true;
        Settings::instance()->setValues(values, true);

        SettingsView page;
        QSignalSpy hidden(&page, &SettingsView::onHideWindow);
        QSignalSpy changed(Settings::instance(), &Settings::changed);
        page.show();
        page.profileCombo()->setCurrentIndex(page.profileCombo()->findData(1));
        page.fontCombo()->setCurrentIndex(
                page.fontCombo()->findText(QStringLiteral("Liberation Sans")));
        page.fontSizeEdit()->setValue(20);
        page.textColorPicker()->changeColor(Qt::red);
        page.alignmentCombo()->setCurrentIndex(4);
        page.fadeCheckBox()->setChecked(false);
        page.updateCheckBox()->setChecked(false);
        page.findChild<QPushButton *>(QStringLiteral("buttonSaveSettings"))->click();

        QCOMPARE(hidden.count(), 1);
        const ViewerSettings saved = Settings::instance()->values();
        QCOMPARE(saved.currentProfile, 1);
        QCOMPARE(saved.textAlignment, 4);
        QVERIFY(!saved.showFade);
        for (int id : { 0, 1, 2 }) {
            QCOMPARE(saved.profiles[id].text.family, QStringLiteral("Liberation Sans"));
            QCOMPARE(saved.profiles[id].text.size, 20);
        }
        QCOMPARE(saved.profiles[1].text.color, QColor(Qt::red));
        QVERIFY(!saved.profiles[1].text.bold);
        QVERIFY(!saved.profiles[1].text.italic);
        // Colours belong to each profile.
        QCOMPARE(saved.profiles[0].text.color, QColor(Qt::black));
        QTRY_COMPARE(changed.count(), 1);

        auto settings = SettingsFile::create();
        QCOMPARE(settings->value(QStringLiteral("auto_update_enabled")).toBool(), false);
        QCOMPARE(settings->value(QStringLiteral("viwer.text.profile")).toInt(), 1);
        QCOMPARE(settings->value(QStringLiteral("viwer.text.profile_2/profile.text.size")).toInt(),
                 20);
    }

    void leavingWithoutSaveDropsEdits_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << QStringLiteral("buttonCancel");
        QTest::newRow("close") << QStringLiteral("buttonCloseSettings");
        QTest::newRow("back") << QStringLiteral("buttonNavigateBack");
        QTest::newRow("escape") << QString();
    }

    void leavingWithoutSaveDropsEdits()
    {
        QFETCH(QString, how);
        SettingsView page;
        QSignalSpy hidden(&page, &SettingsView::onHideWindow);
        page.show();
        page.backgroundColorPicker()->changeColor(Qt::green);
        if (how.isEmpty())
            QTest::keyClick(&page, Qt::Key_Escape);
        else
            page.findChild<QPushButton *>(how)->click();
        QCOMPARE(hidden.count(), 1);
        page.hide();

        QCOMPARE(Settings::instance()->values().profiles[0].backgroundColor,
                 QColor(0xF9, 0xF9, 0xF9));
        page.show();
        QCOMPARE(page.backgroundColorPicker()->color(), QColor(0xF9, 0xF9, 0xF9));
    }

    void switchingProfilesReloadsStoredColours()
    {
        SettingsView page;
        page.show();
        page.backgroundColorPicker()->changeColor(Qt::green);
        page.profileCombo()->setCurrentIndex(1);
        QCOMPARE(page.backgroundColorPicker()->color(), QColor(0x01, 0x08, 0x19));
        page.profileCombo()->setCurrentIndex(0);
        QCOMPARE(page.backgroundColorPicker()->color(), QColor(0xF9, 0xF9, 0xF9));
    }

    void unknownFontShowsTheFirstAndIsReplaced()
    {
        ViewerSettings values = Settings::defaultProfile();
        for (TextProfile &profile : values.profiles)
            profile.text.family = QStringLiteral("Comic Sans");
        Settings::instance()->setValues(values, true);

        SettingsView page;
        page.show();
        // The list holds the families installed here; the missing one shows
        // as the family the system reads it with, and is saved as that.
        const QStringList families = QFontDatabase().families();
        for (int i = 0; i < page.fontCombo()->count(); ++i)
            QVERIFY(families.contains(page.fontCombo()->itemText(i)));
        QVERIFY(page.fontCombo()->findText(QStringLiteral("Comic Sans")) < 0);
        const QString substitute = QFontInfo(QFont(QStringLiteral("Comic Sans"))).family();
        QCOMPARE(page.fontCombo()->currentText(), substitute);
        page.saveSettings();
        QCOMPARE(Settings::instance()->values().profiles[2].text.family, substitute);
    }

    void restoreDefaultsWritesAtOnce()
    {
        ViewerSettings values = Settings::defaultProfile();
        values.showFade = false;
        values.useNaviSlider = false;
        values.columnCount = 1;
        values.profiles[0].backgroundColor = Qt::blue;
        Settings::instance()->setValues(values, true);

        SettingsView page;
        QSignalSpy changed(Settings::instance(), &Settings::changed);
        page.show();
        page.findChild<QPushButton *>(QStringLiteral("buttonRestoreProfiles"))->click();
        QCOMPARE(page.backgroundColorPicker()->color(), QColor(0xF9, 0xF9, 0xF9));
        page.cancel();

        const ViewerSettings stored = Settings::instance()->values();
        QVERIFY(!stored.showFade);
        QVERIFY(stored.useNaviSlider);
        QCOMPARE(stored.columnCount, 2);
        QCOMPARE(SettingsFile::create()
                         ->value(QStringLiteral("viwer.text.profile_0/profile.background_color"))
                         .value<QColor>(),
                 QColor(0xF9, 0xF9, 0xF9));
        QTest::qWait(10);
        QCOMPARE(changed.count(), 0);
    }

    void languageChangeKeepsTheChoices()
    {
        SettingsView page;
        page.show();
        page.alignmentCombo()->setCurrentIndex(3);
        page.profileCombo()->setCurrentIndex(2);
        page.alignmentCombo()->setItemText(3, QString());
        QEvent change(QEvent::LanguageChange);
        QCoreApplication::sendEvent(&page, &change);
        QCOMPARE(page.alignmentCombo()->currentIndex(), 3);
        QCOMPARE(page.alignmentCombo()->currentText(), QStringLiteral("Center"));
        QCOMPARE(page.profileCombo()->currentText(), QStringLiteral("Sepia"));
        QCOMPARE(page.alignmentCombo()->count(), 5);
    }

    void fontSizeField()
    {
        FontSizeEdit edit;
        edit.setValue(40);
        QCOMPARE(edit.value(), 32);
        edit.setValue(2);
        QCOMPARE(edit.value(), 8);
        edit.setValue(14);
        QCOMPARE(edit.text(), QStringLiteral("14pt"));
        QCOMPARE(edit.size(), QSize(60, 37));
    }

    void libraryFolderIsWrittenOnSaveOnly()
    {
        SettingsView page;
        const QString chosen = QDir::tempPath() + QStringLiteral("/shelf");
        QString caption;
        page.setFolderChooser([&](QWidget *, const QString &title, const QString &) {
            caption = title;
            return chosen;
        });
        page.show();
        page.onSelectLibraryFolder();
        QCOMPARE(caption, QStringLiteral("Select library folder"));
        QCOMPARE(page.libraryFolder(), QDir::toNativeSeparators(chosen));
        QCOMPARE(page.libraryFolderLabel()->text(), QDir::toNativeSeparators(chosen));
        QVERIFY(!SettingsFile::create()->contains(QStringLiteral("library_folder")));

        // A cancelled dialog keeps the folder.
        page.setFolderChooser(
                [](QWidget *, const QString &, const QString &) { return QString(); });
        page.onSelectLibraryFolder();
        QCOMPARE(page.libraryFolder(), QDir::toNativeSeparators(chosen));

        page.saveSettings();
        QCOMPARE(SettingsFile::create()->value(QStringLiteral("library_folder")).toString(),
                 QDir::toNativeSeparators(chosen));
    }

    // The list may lack the language in use (no "Language" set, a system
    // locale without a translation): saving some other change must not
    // switch the interface to the first language of the list.
    void checkBoxesStandBesideTheirCaptions_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("box");
        QTest::newRow("fade") << QStringLiteral("Turn page fade ON:") << 0;
        QTest::newRow("navigation") << QStringLiteral("Navigation scrollbar:") << 1;
        QTest::newRow("updates") << QStringLiteral("Check for updates automatically:") << 2;
        QTest::newRow("profile") << QStringLiteral("Profile:") << 3;
    }

    // On a tall window as on a small one, each check box (and the profile
    // list) is on the line of its caption, not somewhere below it.
    void checkBoxesStandBesideTheirCaptions()
    {
        QFETCH(QString, caption);
        QFETCH(int, box);
        SettingsView page;
        page.resize(1100, 880);
        page.show();
        QVERIFY(QTest::qWaitForWindowExposed(&page));
        if (box == 3)
            page.findChild<TabWidget *>()->setCurrentIndex(1);
        const QList<QWidget *> boxes = { page.fadeCheckBox(), page.naviSliderCheckBox(),
                                         page.updateCheckBox(), page.profileCombo() };
        QLabel *label = nullptr;
        for (QLabel *candidate : page.findChildren<QLabel *>()) {
            if (candidate->text() == caption)
                label = candidate;
        }
        QVERIFY(label);
        const int captionMiddle = label->mapTo(&page, label->rect().center()).y();
        const int boxMiddle = boxes[box]->mapTo(&page, boxes[box]->rect().center()).y();
        QVERIFY2(qAbs(captionMiddle - boxMiddle) <= 8,
                 qPrintable(QStringLiteral("caption at %1, box at %2")
                                    .arg(captionMiddle)
                                    .arg(boxMiddle)));
    }

    void languageStaysUnlessPicked_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("pick");
        QTest::addColumn<QVariant>("expected");

        QTest::newRow("unset stays unset") << QString() << false << QVariant();
        QTest::newRow("unlisted stays")
                << QStringLiteral("pt") << false << QVariant(QStringLiteral("pt"));
        QTest::newRow("listed stays")
                << QStringLiteral("fr") << false << QVariant(QStringLiteral("fr"));
        QTest::newRow("picked is written")
                << QStringLiteral("pt") << true << QVariant(QStringLiteral("fr"));
    }

    void languageStaysUnlessPicked()
    {
        QFETCH(QString, stored);
        QFETCH(bool, pick);
        QFETCH(QVariant, expected);

        if (!stored.isEmpty())
            SettingsFile::create()->setValue(QStringLiteral("Language"), stored);
        SettingsView page;
        QComboBox *languages = page.languageCombo();
        languages->clear();
        languages->addItem(QStringLiteral("Deutsch"), QStringLiteral("de"));
        languages->addItem(QStringLiteral("Français"), QStringLiteral("fr"));
        page.show();
        QCOMPARE(languages->currentData().toString(),
                 stored == QStringLiteral("fr") ? QStringLiteral("fr") : QStringLiteral("de"));
        if (pick) {
            languages->setCurrentIndex(1);
            emit languages->activated(1);
        }
        page.fadeCheckBox()->setChecked(false);
        page.saveSettings();
        QCOMPARE(SettingsFile::create()->value(QStringLiteral("Language")), expected);
    }
};

VL_TEST_WIDGETS_MAIN(TestSettingsView)
#include "tst_settingsview.moc"
