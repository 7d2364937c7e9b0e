#pragma once

#include <QString>
#include <QStringList>

// The in-process half of crash reporting. When the process receives a fatal
// signal (SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT), a handler running on a
// stack of its own makes a fresh report folder, writes the backtrace of the
// failing thread into it, and starts the reporter program with
//
//     REPORTER --collect FOLDER --ready-fd FD --pid PID --signal N ARGUMENTS...
//
// then waits until the reporter has gathered what it needs from the
// still-living process (it writes a byte to FD or closes it) and lets the
// signal end the process as it would have without the handler. Everything
// else (files, screens, the user's consent, the upload) is the reporter's.
//
// The handler only uses calls that are safe in a signal handler: every
// string it needs is prepared by install(). It never hangs or loops: a
// fault inside the handler ends the process at once, a reporter that does
// not answer is waited for readyWaitMs at most, and an alarm ends the
// process after limitSeconds whatever happens. A fault on another thread
// while one is being reported waits for that report to end the process.
//
// install() and uninstall() run on the GUI thread, not concurrently. Only
// the installing thread gets the separate stack (a stack overflow there is
// still reported); faults on other threads run the handler on their own
// stack.
namespace CrashHandler {

struct Setup
{
    // Absolute path of the reporter program.
    QString reporterProgram;
    // Each crash gets a folder "crash-<seconds>-<pid>" in here.
    QString reportsFolder;
    // Passed to the reporter after the fixed arguments.
    QStringList reporterArguments;
    int readyWaitMs = 20000;
    int limitSeconds = 60;
    // Called first thing inside the handler; lets tests fault in there.
    void (*insideHandler)() = nullptr;
};

// False, with the reason in *error, when the reporter program is missing or
// the reports folder cannot be made; the process then runs without one.
bool install(const Setup &setup, QString *error);
// Puts the signal actions back as they were before install().
void uninstall();
bool isInstalled();

} // namespace CrashHandler
