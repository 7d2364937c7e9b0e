#include "app/updatechecker.h"
#include "app/version.h"
#include "crashreporter/crashreport.h"
#include "tools/probe/probe.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonObject>
#include <QTimer>

namespace {

// Asks an update server once, as the main window does at start-up, and
// tells what was asked and what came of it.
int updateCheck(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return probe::fail(QStringLiteral("usage: update-check URL [INSTALLED_VERSION]"));
    UpdateChecker checker(QStringLiteral("4"), arguments.value(1, QStringLiteral("5.0.7")));
    checker.setCheckUrl(QUrl(arguments.at(0), QUrl::TolerantMode));
    checker.setTimeout(10000);
    QString offered;
    QObject::connect(&checker, &UpdateChecker::newVersionAvalible,
                     [&offered](const QString &version) { offered = version; });
    QEventLoop loop;
    QObject::connect(&checker, &UpdateChecker::checkFinished, &loop, &QEventLoop::quit);
    QTimer::singleShot(15000, &loop, &QEventLoop::quit);
    checker.checkUpdates();
    loop.exec();
    probe::printJson({ { QStringLiteral("request"), checker.requestUrl().toString() },
                       { QStringLiteral("newVersion"),
                         offered.isNull() ? QJsonValue() : QJsonValue(offered) } });
    return 0;
}

int versionCompare(const QStringList &arguments)
{
    if (arguments.size() != 2)
        return probe::fail(QStringLiteral("usage: version-compare A B"));
    probe::printJson(
            { { QStringLiteral("a"), Version::toString(Version::parseVersion(arguments.at(0))) },
              { QStringLiteral("b"), Version::toString(Version::parseVersion(arguments.at(1))) },
              { QStringLiteral("result"),
                Version::compareVersion(arguments.at(0), arguments.at(1)) } });
    return 0;
}

// What a kept crash report holds and whether it went out.
int crashReport(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return probe::fail(QStringLiteral("usage: crash-report FOLDER"));
    CrashReport report(arguments.at(0));
    QString error;
    if (!report.load(&error))
        return probe::fail(error);
    QJsonArray files;
    for (const CrashReport::File &file : report.files())
        files.append(QJsonObject { { QStringLiteral("name"), file.name },
                                   { QStringLiteral("description"), file.description } });
    QJsonObject properties;
    for (const auto &property : report.properties())
        properties.insert(property.first, property.second);
    probe::printJson({ { QStringLiteral("application"), report.applicationName() },
                       { QStringLiteral("version"), report.applicationVersion() },
                       { QStringLiteral("uploadUrl"), report.uploadUrl().toString() },
                       { QStringLiteral("uploaded"), report.isUploaded() },
                       { QStringLiteral("files"), files },
                       { QStringLiteral("properties"), properties } });
    return 0;
}

} // namespace

VL_PROBE_COMMAND("update-check", "URL [INSTALLED_VERSION]", updateCheck);
VL_PROBE_COMMAND("version-compare", "A B", versionCompare);
VL_PROBE_COMMAND("crash-report", "FOLDER", crashReport);
