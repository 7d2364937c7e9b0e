#include "core/settings.h"

#include "core/settingsfile.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTimer>

namespace {

const QString kViewerGroup = QStringLiteral("viewer.text");
// The stored spelling of the profile keys is "viwer"; files in the wild
// carry it, so it stays.
const QString kProfileKey = QStringLiteral("viwer.text.profile");
const QString kProfileGroup = QStringLiteral("viwer.text.profile_%1");

QColor readColor(const QSettings &settings, const QString &key, const QColor &fallback)
{
    const QVariant value = settings.value(key, fallback);
    if (value.userType() == QMetaType::QColor)
        return value.value<QColor>();
    // Colour names and "#rrggbb" texts convert; anything else is invalid.
    const QColor color(value.toString().trimmed());
    return color;
}

int readInt(const QSettings &settings, const QString &key, int fallback)
{
    return SettingsFile::toInt(settings.value(key, fallback), 0);
}

bool readBool(const QSettings &settings, const QString &key, bool fallback)
{
    return SettingsFile::toBool(settings.value(key, fallback), false);
}

void readFont(const QSettings &settings, const QString &prefix, ProfileFont &font,
              const ProfileFont &fallback)
{
    font.family = settings.value(prefix + QStringLiteral(".family"), fallback.family).toString();
    font.size = readInt(settings, prefix + QStringLiteral(".size"), fallback.size);
    font.color = readColor(settings, prefix + QStringLiteral(".color"), fallback.color);
    font.bold = readBool(settings, prefix + QStringLiteral(".bold"), fallback.bold);
    font.italic = readBool(settings, prefix + QStringLiteral(".italic"), fallback.italic);
}

void writeFont(QSettings &settings, const QString &prefix, const ProfileFont &font)
{
    settings.setValue(prefix + QStringLiteral(".family"), font.family);
    settings.setValue(prefix + QStringLiteral(".size"), font.size);
    settings.setValue(prefix + QStringLiteral(".color"), font.color);
    settings.setValue(prefix + QStringLiteral(".bold"), font.bold);
    settings.setValue(prefix + QStringLiteral(".italic"), font.italic);
}

} // namespace

bool ProfileFont::operator==(const ProfileFont &other) const
{
    return family == other.family && bold == other.bold && italic == other.italic
            && size == other.size && color == other.color;
}

bool TextProfile::operator==(const TextProfile &other) const
{
    return text == other.text && caption == other.caption && bookShadow == other.bookShadow
            && backgroundColor == other.backgroundColor
            && workgroundColor == other.workgroundColor && pagenumColor == other.pagenumColor
            && selectionColor == other.selectionColor;
}

TextProfile ViewerSettings::profile() const
{
    return profiles.value(currentProfile, profiles.value(DayProfile));
}

bool ViewerSettings::operator==(const ViewerSettings &other) const
{
    return spacingLeft == other.spacingLeft && spacingRight == other.spacingRight
            && spacingUp == other.spacingUp && spacingDown == other.spacingDown
            && lineSpacing == other.lineSpacing && paragraphAlignment == other.paragraphAlignment
            && textAlignment == other.textAlignment && showFade == other.showFade
            && useNaviSlider == other.useNaviSlider && currentProfile == other.currentProfile
            && profiles == other.profiles && columnCount == other.columnCount
            && lastUsedDirectory == other.lastUsedDirectory;
}

Settings::Settings()
{
    load();
}

Settings *Settings::instance()
{
    static Settings settings;
    return &settings;
}

ViewerSettings Settings::defaultProfile()
{
    ViewerSettings values;
    for (int id = ViewerSettings::DayProfile; id <= ViewerSettings::SepiaProfile; ++id) {
        TextProfile profile;
        profile.backgroundColor = Qt::white;
        profile.workgroundColor = Qt::white;
        profile.pagenumColor = QColor(0x75, 0x75, 0x75);
        profile.selectionColor = QColor(0xFA, 0xF6, 0xD9);
        profile.bookShadow = false;
        profile.text.family = QStringLiteral("Times New Roman");
        profile.text.size = 14;
        profile.text.color = Qt::black;
        profile.caption = profile.text;
        values.profiles.insert(id, profile);
    }

    TextProfile &day = values.profiles[ViewerSettings::DayProfile];
    day.backgroundColor = QColor(0xF9, 0xF9, 0xF9);
    day.workgroundColor = QColor(0xFF, 0xFF, 0xFF);

    TextProfile &night = values.profiles[ViewerSettings::NightProfile];
    night.text.color = QColor(0x48, 0x66, 0x82);
    night.caption.color = QColor(0xCA, 0xC0, 0x7C);
    night.backgroundColor = QColor(0x01, 0x08, 0x19);
    night.workgroundColor = QColor(0x0F, 0x15, 0x36);

    TextProfile &sepia = values.profiles[ViewerSettings::SepiaProfile];
    sepia.text.color = QColor(0x41, 0x2C, 0x1A);
    sepia.caption.color = QColor(0xB5, 0x93, 0x6C);
    sepia.backgroundColor = QColor(0xF0, 0xE8, 0xD1);
    sepia.workgroundColor = QColor(0x29, 0x15, 0x03);
    sepia.selectionColor = QColor(0x01, 0x08, 0x19, 100);
    return values;
}

QString Settings::profileName(int id)
{
    switch (id) {
    case ViewerSettings::NightProfile:
        return QCoreApplication::translate("SettingsView", "Night");
    case ViewerSettings::SepiaProfile:
        return QCoreApplication::translate("SettingsView", "Sepia");
    default:
        return QCoreApplication::translate("SettingsView", "Day");
    }
}

void Settings::load()
{
    const ViewerSettings defaults = defaultProfile();
    m_values = defaults;
    const auto settings = SettingsFile::create();

    m_values.showFade = readBool(*settings, QStringLiteral("showfade"), defaults.showFade);
    m_values.useNaviSlider =
            readBool(*settings, QStringLiteral("use_navi_slider"), defaults.useNaviSlider);
    m_values.lastUsedDirectory =
            settings->value(QStringLiteral("last_used_directory"), defaults.lastUsedDirectory)
                    .toString();

    settings->beginGroup(kViewerGroup);
    m_values.spacingLeft = readInt(*settings, QStringLiteral("spacing.left"), defaults.spacingLeft);
    m_values.spacingRight =
            readInt(*settings, QStringLiteral("spacing.right"), defaults.spacingRight);
    m_values.spacingUp = readInt(*settings, QStringLiteral("spacing.up"), defaults.spacingUp);
    m_values.spacingDown = readInt(*settings, QStringLiteral("spacing.down"), defaults.spacingDown);
    m_values.lineSpacing = readInt(*settings, QStringLiteral("line_spacing"), defaults.lineSpacing);
    m_values.paragraphAlignment = readInt(*settings, QStringLiteral("paragraph_alignment"),
                                          defaults.paragraphAlignment);
    m_values.textAlignment =
            readInt(*settings, QStringLiteral("text_alignment"), defaults.textAlignment);
    m_values.columnCount = readInt(*settings, QStringLiteral("column_count"), defaults.columnCount);
    settings->endGroup();

    m_values.currentProfile = readInt(*settings, kProfileKey, 0);

    for (int id = ViewerSettings::DayProfile; id <= ViewerSettings::SepiaProfile; ++id) {
        const TextProfile fallback = defaults.profiles.value(id);
        TextProfile profile;
        settings->beginGroup(kProfileGroup.arg(id));
        readFont(*settings, QStringLiteral("profile.text"), profile.text, fallback.text);
        readFont(*settings, QStringLiteral("profile.caption"), profile.caption, fallback.caption);
        profile.bookShadow =
                readBool(*settings, QStringLiteral("profile.book_shadow"), fallback.bookShadow);
        profile.backgroundColor = readColor(*settings, QStringLiteral("profile.background_color"),
                                            fallback.backgroundColor);
        profile.workgroundColor = readColor(*settings, QStringLiteral("profile.workground_color"),
                                            fallback.workgroundColor);
        profile.pagenumColor = readColor(*settings, QStringLiteral("profile.pagenum_color"),
                                         fallback.pagenumColor);
        profile.selectionColor = readColor(*settings, QStringLiteral("profile.selection_color"),
                                           fallback.selectionColor);
        settings->endGroup();
        m_values.profiles.insert(id, profile);
    }
}

void Settings::save()
{
    const auto settings = SettingsFile::create();
    settings->setValue(QStringLiteral("last_used_directory"), m_values.lastUsedDirectory);
    settings->setValue(QStringLiteral("showfade"), m_values.showFade);
    settings->setValue(QStringLiteral("use_navi_slider"), m_values.useNaviSlider);

    settings->beginGroup(kViewerGroup);
    settings->setValue(QStringLiteral("spacing.left"), m_values.spacingLeft);
    settings->setValue(QStringLiteral("spacing.right"), m_values.spacingRight);
    settings->setValue(QStringLiteral("spacing.up"), m_values.spacingUp);
    settings->setValue(QStringLiteral("spacing.down"), m_values.spacingDown);
    settings->setValue(QStringLiteral("line_spacing"), m_values.lineSpacing);
    settings->setValue(QStringLiteral("paragraph_alignment"), m_values.paragraphAlignment);
    settings->setValue(QStringLiteral("text_alignment"), m_values.textAlignment);
    settings->setValue(QStringLiteral("column_count"), m_values.columnCount);
    settings->endGroup();

    settings->setValue(kProfileKey, m_values.currentProfile);

    for (int id = ViewerSettings::DayProfile; id <= ViewerSettings::SepiaProfile; ++id) {
        const TextProfile profile = m_values.profiles.value(id);
        settings->beginGroup(kProfileGroup.arg(id));
        writeFont(*settings, QStringLiteral("profile.text"), profile.text);
        writeFont(*settings, QStringLiteral("profile.caption"), profile.caption);
        settings->setValue(QStringLiteral("profile.book_shadow"), profile.bookShadow);
        settings->setValue(QStringLiteral("profile.background_color"), profile.backgroundColor);
        settings->setValue(QStringLiteral("profile.workground_color"), profile.workgroundColor);
        settings->setValue(QStringLiteral("profile.pagenum_color"), profile.pagenumColor);
        settings->setValue(QStringLiteral("profile.selection_color"), profile.selectionColor);
        settings->endGroup();
    }
    settings->sync();
}

void Settings::setValues(const ViewerSettings &values, bool silent)
{
    m_values = values;
    save();
    if (!silent)
        QTimer::singleShot(0, this, &Settings::riseChanged);
}

void Settings::setLastUsedDirectory(const QString &directory)
{
    ViewerSettings values = m_values;
    values.lastUsedDirectory = directory;
    setValues(values, true);
}

void Settings::resetProfiles()
{
    ViewerSettings values = defaultProfile();
    values.showFade = m_values.showFade;
    m_values = values;
    save();
}

void Settings::riseChanged()
{
    emit changed();
}
