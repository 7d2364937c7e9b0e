// "add PATH...": adds files and folders to the user's library through the
// add-books worker on its own thread, prints each signal it sends as one
// line and ends with {"added": N, "failed": M}.

#include "tools/probe/probe.h"

#include "library/db/bookprovider.h"
#include "library/workers/addbooksworker.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QJsonObject>

namespace {

QString stateName(WorkerStates state)
{
    switch (state) {
    case WorkerStates::Idle:
        return QStringLiteral("Idle");
    case WorkerStates::Scanning:
        return QStringLiteral("Scanning");
    case WorkerStates::Adding:
        return QStringLiteral("Adding");
    }
    return QString::number(int(state));
}

int addBooks(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return probe::fail(QStringLiteral("usage: add PATH..."));
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection())
        return probe::fail(provider->lastError());

    QList<QFileInfo> inputs;
    for (const QString &argument : arguments)
        inputs << QFileInfo(argument);

    const int before = provider->bookCountAll();
    int total = 0;
    AddBooksWorker worker(inputs);
    QEventLoop loop;
    QObject::connect(&worker, &AddBooksWorker::stateChanged, &loop, [](WorkerStates state) {
        probe::printLine(QStringLiteral("stateChanged %1").arg(stateName(state)));
    });
    QObject::connect(&worker, &AddBooksWorker::started, &loop,
                     [] { probe::printLine(QStringLiteral("started")); });
    QObject::connect(
            &worker, &AddBooksWorker::progressChanged, &loop, [&total](int value, int count) {
                total = count;
                probe::printLine(QStringLiteral("progressChanged %1 %2").arg(value).arg(count));
            });
    QObject::connect(&worker, &AddBooksWorker::progressMessage, &loop, [](const QString &message) {
        probe::printLine(QStringLiteral("progressMessage %1").arg(message));
    });
    QObject::connect(&worker, &AddBooksWorker::complete, &loop,
                     [](int count) { probe::printLine(QStringLiteral("complete %1").arg(count)); });
    QObject::connect(&worker, &AddBooksWorker::failed, &loop, [](AddBooksErrors error) {
        probe::printLine(
                QStringLiteral("failed %1 %2")
                        .arg(QString::number(int(error)), AddBooksWorker::errorText(error)));
    });
    QObject::connect(&worker, &AddBooksWorker::done, &loop, [&loop] {
        probe::printLine(QStringLiteral("done"));
        loop.quit();
    });
    worker.start();
    loop.exec();
    worker.wait();

    // Counted in the database, so books stored before a cancel count too.
    const int added = provider->bookCountAll() - before;
    probe::printJson(QJsonObject { { QStringLiteral("added"), added },
                                   { QStringLiteral("failed"), total - added } });
    return 0;
}

} // namespace

VL_PROBE_COMMAND("add", "PATH... (adds books and folders through the add-books worker)", addBooks);
