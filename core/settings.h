#pragma once

#include <QColor>
#include <QMap>
#include <QObject>
#include <QString>

class QSettings;

struct ProfileFont
{
    QString family;
    bool bold = false;
    bool italic = false;
    int size = 14;
    QColor color;

    bool operator==(const ProfileFont &other) const;
    bool operator!=(const ProfileFont &other) const { return !(*this == other); }
};

struct TextProfile
{
    ProfileFont text;
    ProfileFont caption;
    bool bookShadow = false;
    QColor backgroundColor;
    QColor workgroundColor;
    QColor pagenumColor;
    QColor selectionColor;

    bool operator==(const TextProfile &other) const;
    bool operator!=(const TextProfile &other) const { return !(*this == other); }
};

// The reading preferences, handed out by copy and taken back whole.
struct ViewerSettings
{
    enum ProfileId { DayProfile = 0, NightProfile = 1, SepiaProfile = 2 };

    int spacingLeft = 30;
    int spacingRight = 30;
    int spacingUp = 30;
    int spacingDown = 30;
    int lineSpacing = 0;          // 0 "100%", 1 "150%", 2 "200%"
    int paragraphAlignment = 3;   // 0 left, 1 right, 2 centred, 3 justified
    int textAlignment = 0;        // 0 Original, 1 Left, 2 Right, 3 Center, 4 Justify
    bool showFade = true;
    bool useNaviSlider = true;
    int currentProfile = 0;
    QMap<int, TextProfile> profiles;
    int columnCount = 2;
    QString lastUsedDirectory;

    // The active profile (the Day profile when the id is unknown).
    TextProfile profile() const;

    bool operator==(const ViewerSettings &other) const;
    bool operator!=(const ViewerSettings &other) const { return !(*this == other); }
};

// The one holder of the reading preferences, stored in "settings.ini".
// Lives on the GUI thread. changed() is always delivered later from the
// event loop, never from inside the call that changed the values.
class Settings : public QObject
{
    Q_OBJECT
public:
    static Settings *instance();

    ViewerSettings values() const { return m_values; }

    // Replaces the whole record and writes every key. Unless silent,
    // changed() follows on the next turn of the event loop.
    void setValues(const ViewerSettings &values, bool silent = false);

    // The folder last used in a file dialog. Every writer goes through here
    // so the held record never writes back a stale value.
    QString lastUsedDirectory() const { return m_values.lastUsedDirectory; }
    void setLastUsedDirectory(const QString &directory);

    // All defaults: scalar fields and the three profiles.
    static ViewerSettings defaultProfile();
    // The translated display name of a profile id ("Day", "Night", "Sepia").
    static QString profileName(int id);

    void load();
    void save();

signals:
    void changed();

public slots:
    // Every field back to its default but showFade; writes, emits nothing.
    void resetProfiles();
    void riseChanged();

private:
    Settings();
    Q_DISABLE_COPY_MOVE(Settings)

    ViewerSettings m_values;
};
