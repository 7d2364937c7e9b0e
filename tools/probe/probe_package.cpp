// "export OUT": writes the user's library into a package through the export
// worker; "import PACKAGE": reads one into the library through the import
// worker, into the "library_folder" setting (the Import folder by default).
// Both print each signal the worker sends as one line and end with one JSON
// line.

#include "tools/probe/probe.h"

#include "core/paths.h"
#include "core/settingsfile.h"
#include "library/db/bookprovider.h"
#include "library/workers/exportworker.h"
#include "library/workers/importworker.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonObject>
#include <QVariant>

namespace {

struct Outcome
{
    // What complete() carried, as text.
    QString result;
    // The error's text; "" when the run completed.
    QString error;
    qint64 ms = 0;
};

// Prints every signal of the run as a line, runs the worker until its
// thread ends and says how it ended.
template<typename Worker> Outcome runWorker(Worker &worker)
{
    Outcome outcome;
    QEventLoop loop;
    QObject::connect(&worker, &Worker::stateChanged, &loop, [](WorkerStates state) {
        probe::printLine(QStringLiteral("stateChanged %1").arg(int(state)));
    });
    QObject::connect(&worker, &Worker::started, &loop,
                     [] { probe::printLine(QStringLiteral("started")); });
    QObject::connect(&worker, &Worker::progressChanged, &loop, [](int value, int total) {
        probe::printLine(QStringLiteral("progressChanged %1 %2").arg(value).arg(total));
    });
    QObject::connect(&worker, &Worker::progressMessage, &loop, [](const QString &message) {
        probe::printLine(QStringLiteral("progressMessage %1").arg(message));
    });
    QObject::connect(&worker, &Worker::complete, &loop, [&outcome](const auto &result) {
        outcome.result = QVariant::fromValue(result).toString();
        probe::printLine(QStringLiteral("complete %1").arg(outcome.result));
    });
    QObject::connect(&worker, &Worker::failed, &loop, [&outcome](auto code) {
        outcome.error = Worker::errorString(code);
        probe::printLine(QStringLiteral("failed %1 %2").arg(int(code)).arg(outcome.error));
    });
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    worker.start();
    loop.exec();
    worker.wait();
    outcome.ms = timer.elapsed();
    return outcome;
}

int exportLibrary(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return probe::fail(QStringLiteral("usage: export OUT"));
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection())
        return probe::fail(provider->lastError());

    ExportWorker worker(arguments.first());
    const Outcome outcome = runWorker(worker);
    if (!outcome.error.isEmpty())
        return probe::fail(outcome.error);
    probe::printJson(QJsonObject { { QStringLiteral("file"), outcome.result },
                                   { QStringLiteral("bytes"), QFileInfo(outcome.result).size() },
                                   { QStringLiteral("books"), provider->bookCount() },
                                   { QStringLiteral("ms"), outcome.ms } });
    return 0;
}

int importPackage(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return probe::fail(QStringLiteral("usage: import PACKAGE"));
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection())
        return probe::fail(provider->lastError());

    const QString folder = SettingsFile::create()
                                   ->value(QStringLiteral("library_folder"), Paths::importDir())
                                   .toString();
    ImportWorker worker(arguments.first(), folder);
    const Outcome outcome = runWorker(worker);
    if (!outcome.error.isEmpty())
        return probe::fail(outcome.error);
    probe::printJson(QJsonObject { { QStringLiteral("imported"), outcome.result.toInt() },
                                   { QStringLiteral("folder"), folder },
                                   { QStringLiteral("ms"), outcome.ms } });
    return 0;
}

} // namespace

VL_PROBE_COMMAND("export", "OUT (writes the library into a package through the export worker)",
                 exportLibrary);
VL_PROBE_COMMAND("import", "PACKAGE (reads a package into the library through the import worker)",
                 importPackage);
