// A small program for the crash handler test. As "crashtarget REPORTER
// FOLDER MODE" it installs the handler with REPORTER as the reporter
// program and FOLDER for the reports, then fails as MODE says. Started by
// the handler as a reporter ("--collect ..."), it writes its arguments and
// its open descriptors into the report folder and answers on the ready
// pipe (or, with CRASHTARGET_SILENT set, keeps quiet for two seconds).

#include "platform/crashreport/crashhandler.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <unistd.h>

namespace {

volatile int *s_nowhere = nullptr;

void faultInside()
{
    *s_nowhere = 1;
}

int actAsReporter(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const QString folder = arguments.value(arguments.indexOf(QStringLiteral("--collect")) + 1);
    QFile record(QDir(folder).filePath(QStringLiteral("args.txt")));
    if (record.open(QIODevice::WriteOnly))
        record.write(arguments.join(QLatin1Char('\n')).toLocal8Bit());
    record.close();
    QFile descriptors(QDir(folder).filePath(QStringLiteral("fds.txt")));
    if (descriptors.open(QIODevice::WriteOnly))
        descriptors.write(QDir(QStringLiteral("/proc/self/fd"))
                                  .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System)
                                  .join(QLatin1Char(' '))
                                  .toLatin1());
    descriptors.close();
    if (std::getenv("CRASHTARGET_SILENT")) {
        ::sleep(2);
        return 0;
    }
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(3, &byte, 1);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && std::strcmp(argv[1], "--collect") == 0)
        return actAsReporter(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: crashtarget REPORTER FOLDER MODE\n");
        return 2;
    }
    const QByteArray mode = argv[3];
    CrashHandler::Setup setup;
    setup.reporterProgram = QString::fromLocal8Bit(argv[1]);
    setup.reportsFolder = QString::fromLocal8Bit(argv[2]);
    setup.reporterArguments = QStringList { QStringLiteral("--app"), QStringLiteral("Reader") };
    setup.readyWaitMs = 1500;
    setup.limitSeconds = 10;
    if (mode == "fault-in-handler")
        setup.insideHandler = faultInside;
    QString error;
    if (!CrashHandler::install(setup, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 3;
    }
    // An open descriptor that the reporter must not inherit.
    const int stray = ::dup(1);
    Q_UNUSED(stray);

    if (mode == "segv" || mode == "fault-in-handler") {
        *s_nowhere = 1;
    } else if (mode == "abort") {
        std::abort();
    } else if (mode == "kill") {
        ::kill(::getpid(), SIGSEGV);
        ::sleep(5);
    } else if (mode == "threads") {
        std::thread first([] { *s_nowhere = 2; });
        std::thread second([] { *s_nowhere = 3; });
        first.join();
        second.join();
    } else if (mode == "uninstalled") {
        CrashHandler::uninstall();
        *s_nowhere = 1;
    }
    return 0;
}
