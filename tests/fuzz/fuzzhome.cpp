#include "tests/fuzz/fuzzhome.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace {

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

} // namespace

QString useTemporaryHome(const QString &applicationName)
{
    static QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));
    QCoreApplication::setApplicationName(applicationName);
    qInstallMessageHandler(dropMessage);
    return home.path();
}

bool writeInput(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    return true;
}
