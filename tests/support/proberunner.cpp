#include "tests/support/proberunner.h"

#include "tests/support/testenvironment.h"

#include <QJsonDocument>
#include <QProcess>

namespace TestSupport {

QString probeProgram()
{
    return TestEnvironment::binDir() + QStringLiteral("/vellumin-probe");
}

QJsonObject runProbe(const QStringList &arguments, int *exitCode)
{
    QProcess process;
    process.start(probeProgram(), arguments);
    if (!process.waitForFinished(60000))
        return QJsonObject();
    *exitCode = process.exitCode();
    const QList<QByteArray> lines = process.readAllStandardOutput().trimmed().split('\n');
    return QJsonDocument::fromJson(lines.last()).object();
}

} // namespace TestSupport
