// The crash reporter program. The crash handler of the main program starts
// it with --collect when the program dies: it gathers the report while the
// crashed process still waits, lets it go, then asks the user whether to
// send the report. "--send FOLDER" offers a kept report again.
//
//   vellumin-crashreporter --collect FOLDER --ready-fd FD --pid PID --signal N
//                          --app NAME --version V --url URL --settings FILE
//                          --log-folder DIR
//   vellumin-crashreporter --send FOLDER [--url URL]
//
// VELLUMIN_CRASH_CONSENT ("send" or "keep") answers the question without
// asking; without a display the report is kept.

#include "crashreporter/crashreport.h"
#include "crashreporter/crashreportdialog.h"
#include "crashreporter/reportuploader.h"

#include <QApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHash>
#include <QMessageBox>
#include <QScreen>

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

QHash<QString, QString> parseArguments(int argc, char *argv[])
{
    QHash<QString, QString> options;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strncmp(argv[i], "--", 2) == 0)
            options.insert(QString::fromLocal8Bit(argv[i] + 2),
                           QString::fromLocal8Bit(argv[i + 1]));
    }
    return options;
}

// Without any display the reporter still gathers the report.
void chooseDisplay()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

bool canAsk()
{
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

void tellReady(const QString &fdText)
{
    bool ok = false;
    const int fd = fdText.toInt(&ok);
    if (!ok || fd < 0)
        return;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    ::close(fd);
}

enum class Consent { Send, Keep };

Consent askConsent(CrashReport &report, bool *asked)
{
    *asked = false;
    const QString preset = qEnvironmentVariable("VELLUMIN_CRASH_CONSENT");
    if (preset == QLatin1String("send"))
        return Consent::Send;
    if (preset == QLatin1String("keep") || !canAsk())
        return Consent::Keep;
    *asked = true;
    CrashReportDialog dialog(report);
    const bool send = dialog.exec() == QDialog::Accepted;
    report.setDescription(dialog.description());
    return send ? Consent::Send : Consent::Keep;
}

int sendWithConsent(CrashReport &report)
{
    bool asked = false;
    const Consent consent = askConsent(report, &asked);
    report.save(nullptr);
    if (consent == Consent::Keep) {
        std::fprintf(stderr, "crash report kept in %s\n", qPrintable(report.folder()));
        return 0;
    }
    ReportUploader uploader;
    QEventLoop loop;
    bool sent = false;
    QString error;
    QObject::connect(&uploader, &ReportUploader::finished, &loop,
                     [&](bool ok, const QString &message) {
                         sent = ok;
                         error = message;
                         loop.quit();
                     });
    uploader.upload(&report, report.uploadUrl());
    loop.exec();
    if (sent) {
        std::fprintf(stderr, "crash report sent\n");
        if (asked)
            QMessageBox::information(nullptr, QObject::tr("Crash report"),
                                     QObject::tr("The report was sent. Thank you."));
        return 0;
    }
    std::fprintf(stderr, "crash report not sent: %s; kept in %s\n", qPrintable(error),
                 qPrintable(report.folder()));
    if (asked)
        QMessageBox::warning(nullptr, QObject::tr("Crash report"),
                             QObject::tr("The report could not be sent: %1\nIt is kept in %2.")
                                     .arg(error, report.folder()));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    const QHash<QString, QString> options = parseArguments(argc, argv);
    chooseDisplay();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vellumin-crashreporter"));

    if (options.contains(QStringLiteral("collect"))) {
        CrashReport report(options.value(QStringLiteral("collect")));
        report.setApplication(options.value(QStringLiteral("app")),
                              options.value(QStringLiteral("version")));
        report.setCrash(options.value(QStringLiteral("signal")).toInt(),
                        options.value(QStringLiteral("pid")).toLongLong());
        report.setUploadUrl(QUrl(options.value(QStringLiteral("url"))));
        report.collect(options.value(QStringLiteral("log-folder")),
                       options.value(QStringLiteral("settings")), QGuiApplication::screens());
        // The picture is taken while the crashed window is still up.
        if (canAsk())
            report.addScreenshot(QGuiApplication::primaryScreen());
        QString error;
        if (!report.save(&error))
            std::fprintf(stderr, "crash report not saved: %s\n", qPrintable(error));
        tellReady(options.value(QStringLiteral("ready-fd")));
        return sendWithConsent(report);
    }

    if (options.contains(QStringLiteral("send"))) {
        CrashReport report(options.value(QStringLiteral("send")));
        QString error;
        if (!report.load(&error)) {
            std::fprintf(stderr, "no crash report in %s: %s\n",
                         qPrintable(options.value(QStringLiteral("send"))), qPrintable(error));
            return 2;
        }
        if (options.contains(QStringLiteral("url")))
            report.setUploadUrl(QUrl(options.value(QStringLiteral("url"))));
        return sendWithConsent(report);
    }

    std::fprintf(stderr, "usage: vellumin-crashreporter --collect FOLDER ... | --send FOLDER\n");
    return 2;
}
