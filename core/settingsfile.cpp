#include "core/settingsfile.h"

#include <QDir>
#include <QStandardPaths>

namespace SettingsFile {

QString filePath(const QString &name)
{
    return QDir::toNativeSeparators(
            QStringLiteral("%1/%2").arg(
                    QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation), name));
}

std::shared_ptr<QSettings> create()
{
    auto settings = std::make_shared<QSettings>(filePath(QStringLiteral("settings.ini")),
                                                QSettings::IniFormat);
    settings->setIniCodec("UTF-8");
    return settings;
}

bool toBool(const QVariant &value, bool fallback)
{
    if (!value.isValid() || value.isNull())
        return fallback;
    if (value.type() == QVariant::Bool)
        return value.toBool();
    if (value.type() == QVariant::Int || value.type() == QVariant::LongLong
        || value.type() == QVariant::UInt || value.type() == QVariant::ULongLong)
        return value.toLongLong() != 0;
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    bool ok = false;
    const long long number = text.toLongLong(&ok);
    return ok ? number != 0 : fallback;
}

int toInt(const QVariant &value, int fallback)
{
    if (!value.isValid() || value.isNull())
        return fallback;
    if (value.type() == QVariant::Bool)
        return value.toBool() ? 1 : 0;
    bool ok = false;
    const int number = value.toString().trimmed().toInt(&ok);
    return ok ? number : fallback;
}

} // namespace SettingsFile
