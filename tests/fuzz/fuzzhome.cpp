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
