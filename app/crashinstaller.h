#pragma once

#include <QString>
#include <QUrl>

// Installs crash reporting for the whole process for as long as it lives:
// a fatal signal then starts the reporter program beside this one, which
// gathers the day's log, the settings file, the last opened book (or only
// its path, for big books), the screens and a backtrace, and uploads the
// report when the user agrees. Made once by main(), on the GUI thread,
// right after the application object; a failed install is logged and the
// program goes on without a reporter.
class CrashInstaller
{
public:
    CrashInstaller();
    ~CrashInstaller();

    bool isInstalled() const { return m_installed; }

    // The crash-report server's upload address. VELLUMIN_CRASH_URL in the
    // environment stands in for it (tests point it at a local server).
    static QUrl uploadUrl();
    // Where the reports are kept: <application home>/crashreports.
    static QString reportsFolder();
    // The reporter program beside this one.
    static QString reporterProgram();

private:
    Q_DISABLE_COPY_MOVE(CrashInstaller)

    bool m_installed = false;
};
