#include "core/settings.h"
#include "core/settingsfile.h"
#include "tests/support/testenvironment.h"

#include <QFile>
#include <QGuiApplication>
#include <QSettings>
#include <QSignalSpy>

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QCoreApplication::setApplicationName(QStringLiteral("vellumin"));
        QCoreApplication::setOrganizationName(QStringLiteral("Morvasco"));
    }

    void cleanup() { QFile::remove(iniPath()); }

    void settingsFileLivesInTheApplicationsOwnFolder()
    {
        const QString path = iniPath();
        QVERIFY2(path.endsWith(QStringLiteral("/Morvasco/vellumin/settings.ini")),
                 qPrintable(path));
        QVERIFY(path.startsWith(QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME"))));
    }

    void defaults()
    {
        Settings *settings = Settings::instance();
        settings->load();
        const ViewerSettings values = settings->values();
        QCOMPARE(values.columnCount, 2);
        QCOMPARE(values.spacingLeft, 30);
        QCOMPARE(values.spacingRight, 30);
        QCOMPARE(values.spacingUp, 30);
        QCOMPARE(values.spacingDown, 30);
        QCOMPARE(values.lineSpacing, 0);
        QCOMPARE(values.paragraphAlignment, 3);
        QCOMPARE(values.textAlignment, 0);
        QVERIFY(values.showFade);
        QVERIFY(values.useNaviSlider);
        QCOMPARE(values.currentProfile, 0);
        QCOMPARE(values.lastUsedDirectory, QString());
        QCOMPARE(values.profiles.keys(), (QList<int>{0, 1, 2}));

        const TextProfile day = values.profiles.value(0);
        QCOMPARE(day.text.family, QStringLiteral("Times New Roman"));
        QCOMPARE(day.text.size, 14);
        QCOMPARE(day.text.color, QColor(Qt::black));
        QCOMPARE(day.backgroundColor, QColor(0xF9, 0xF9, 0xF9));
        QCOMPARE(day.workgroundColor, QColor(Qt::white));
        QCOMPARE(day.pagenumColor, QColor(0x75, 0x75, 0x75));
        QCOMPARE(day.selectionColor, QColor(0xFA, 0xF6, 0xD9));

        const TextProfile night = values.profiles.value(1);
        QCOMPARE(night.text.color, QColor(0x48, 0x66, 0x82));
        QCOMPARE(night.caption.color, QColor(0xCA, 0xC0, 0x7C));
        QCOMPARE(night.backgroundColor, QColor(0x01, 0x08, 0x19));
        QCOMPARE(night.workgroundColor, QColor(0x0F, 0x15, 0x36));

        const TextProfile sepia = values.profiles.value(2);
        QCOMPARE(sepia.text.color, QColor(0x41, 0x2C, 0x1A));
        QCOMPARE(sepia.caption.color, QColor(0xB5, 0x93, 0x6C));
        QCOMPARE(sepia.backgroundColor, QColor(0xF0, 0xE8, 0xD1));
        QCOMPARE(sepia.workgroundColor, QColor(0x29, 0x15, 0x03));
        QCOMPARE(sepia.selectionColor, QColor(0x01, 0x08, 0x19, 100));
    }

    void roundTripAndStoredKeys()
    {
        Settings *settings = Settings::instance();
        ViewerSettings values = settings->values();
        values.spacingLeft = 11;
        values.spacingUp = 12;
        values.lineSpacing = 2;
        values.columnCount = 1;
        values.currentProfile = 2;
        values.showFade = false;
        values.lastUsedDirectory = QStringLiteral("/srv/книги");
        values.profiles[1].text.family = QStringLiteral("DejaVu Serif");
        values.profiles[1].text.bold = true;
        values.profiles[1].pagenumColor = QColor(1, 2, 3);
        settings->setValues(values, true);

        settings->load();
        QCOMPARE(settings->values(), values);

        // The key names are a stored format; files in the wild carry them.
        QSettings file(iniPath(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("viewer.text/spacing.left")).toInt(), 11);
        QCOMPARE(file.value(QStringLiteral("viewer.text/spacing.up")).toInt(), 12);
        QCOMPARE(file.value(QStringLiteral("viewer.text/column_count")).toInt(), 1);
        QCOMPARE(file.value(QStringLiteral("viwer.text.profile")).toInt(), 2);
        QCOMPARE(file.value(QStringLiteral("viwer.text.profile_1/profile.text.family")).toString(),
                 QStringLiteral("DejaVu Serif"));
        QVERIFY(file.contains(QStringLiteral("viwer.text.profile_2/profile.selection_color")));
        QVERIFY(file.contains(QStringLiteral("showfade")));
        QVERIFY(file.contains(QStringLiteral("use_navi_slider")));
    }

    void changedArrivesLaterNeverWhenSilent()
    {
        Settings *settings = Settings::instance();
        QSignalSpy spy(settings, &Settings::changed);

        ViewerSettings values = settings->values();
        values.columnCount = values.columnCount == 1 ? 2 : 1;
        settings->setValues(values, false);
        QCOMPARE(settings->values().columnCount, values.columnCount);
        QCOMPARE(spy.count(), 0); // not from inside the call
        QTRY_COMPARE(spy.count(), 1);

        values.spacingDown = 5;
        settings->setValues(values, true);
        QTest::qWait(50);
        QCOMPARE(spy.count(), 1);
    }

    void resetKeepsOnlyFade()
    {
        Settings *settings = Settings::instance();
        QSignalSpy spy(settings, &Settings::changed);
        ViewerSettings values = settings->values();
        values.showFade = false;
        values.useNaviSlider = false;
        values.lastUsedDirectory = QStringLiteral("/tmp/x");
        values.currentProfile = 1;
        settings->setValues(values, true);

        settings->resetProfiles();
        QVERIFY(!settings->values().showFade);
        QVERIFY(settings->values().useNaviSlider);
        QCOMPARE(settings->values().lastUsedDirectory, QString());
        QCOMPARE(settings->values().currentProfile, 0);
        QTest::qWait(20);
        QCOMPARE(spy.count(), 0);

        settings->load();
        QVERIFY(!settings->values().showFade);
        QVERIFY(settings->values().useNaviSlider);
    }

    void unparseableValues_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("bool text") << "showfade" << "abc";
        QTest::newRow("bool word") << "use_navi_slider" << "yes please";
        QTest::newRow("int text") << "viewer.text/column_count" << "two";
        QTest::newRow("colour text") << "viwer.text.profile_0/profile.background_color"
                                     << "not a colour";
    }

    void unparseableValues()
    {
        QFETCH(QString, key);
        QFETCH(QString, text);
        {
            QSettings file(iniPath(), QSettings::IniFormat);
            file.setValue(key, text);
        }
        Settings *settings = Settings::instance();
        settings->load();
        const ViewerSettings values = settings->values();
        if (key == QLatin1String("showfade"))
            QCOMPARE(values.showFade, false);
        else if (key == QLatin1String("use_navi_slider"))
            QCOMPARE(values.useNaviSlider, false);
        else if (key.endsWith(QLatin1String("column_count")))
            QCOMPARE(values.columnCount, 0);
        else
            QVERIFY(!values.profiles.value(0).backgroundColor.isValid());
    }

    void textColoursAndNumbersConvert()
    {
        {
            QSettings file(iniPath(), QSettings::IniFormat);
            file.setValue(QStringLiteral("viwer.text.profile_0/profile.text.color"),
                          QStringLiteral("#102030"));
            file.setValue(QStringLiteral("viwer.text.profile_0/profile.caption.color"),
                          QStringLiteral("red"));
            file.setValue(QStringLiteral("showfade"), QStringLiteral("false"));
            file.setValue(QStringLiteral("viewer.text/line_spacing"), QStringLiteral(" 1 "));
        }
        Settings *settings = Settings::instance();
        settings->load();
        QCOMPARE(settings->values().profiles.value(0).text.color, QColor(0x10, 0x20, 0x30));
        QCOMPARE(settings->values().profiles.value(0).caption.color, QColor(Qt::red));
        QCOMPARE(settings->values().showFade, false);
        QCOMPARE(settings->values().lineSpacing, 1);
    }

    void lastUsedDirectoryIsNotClobbered()
    {
        // Writing the folder through Settings and then saving an unrelated
        // change must keep the folder.
        Settings *settings = Settings::instance();
        settings->setLastUsedDirectory(QStringLiteral("/home/reader/books"));
        ViewerSettings values = settings->values();
        values.spacingRight = 44;
        settings->setValues(values, true);
        QSettings file(iniPath(), QSettings::IniFormat);
        QCOMPARE(file.value(QStringLiteral("last_used_directory")).toString(),
                 QStringLiteral("/home/reader/books"));
    }

    void explicitConversions_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<int>("asInt");
        QTest::addColumn<bool>("asBool");
        // Fallbacks are 7 and true, so a fallback shows as such.
        QTest::newRow("missing") << QVariant() << 7 << true;
        QTest::newRow("garbage") << QVariant(QStringLiteral("abc")) << 7 << true;
        QTest::newRow("number text") << QVariant(QStringLiteral(" 12 ")) << 12 << true;
        QTest::newRow("zero text") << QVariant(QStringLiteral("0")) << 0 << false;
        QTest::newRow("false text") << QVariant(QStringLiteral("false")) << 7 << false;
        QTest::newRow("true text") << QVariant(QStringLiteral("TRUE")) << 7 << true;
        QTest::newRow("bool value") << QVariant(false) << 0 << false;
        QTest::newRow("int value") << QVariant(3) << 3 << true;
    }

    void explicitConversions()
    {
        QFETCH(QVariant, value);
        QFETCH(int, asInt);
        QFETCH(bool, asBool);
        QCOMPARE(SettingsFile::toInt(value, 7), asInt);
        QCOMPARE(SettingsFile::toBool(value, true), asBool);
    }

private:
    static QString iniPath() { return SettingsFile::filePath(QStringLiteral("settings.ini")); }
};

VL_TEST_GUI_MAIN(TestSettings)
#include "tst_settings.moc"
