#include "platform/installinfo.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

namespace InstallInfo {

QString value(const QString &name, const QString &fallback)
{
    const QString path =
            QCoreApplication::applicationDirPath() + QStringLiteral("/install.ini");
    if (!QFile::exists(path))
        return fallback;
    const QSettings settings(path, QSettings::IniFormat);
    const QString text = settings.value(name).toString().trimmed();
    return text.isEmpty() ? fallback : text;
}

} // namespace InstallInfo
