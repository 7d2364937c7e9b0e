#pragma once

#include <QMutex>
#include <QString>
#include <QTime>

// The program's day log. Every line goes to <home>/.vellumin/log/
// log_yyyy_MM_dd.txt (appended, one open and close per line, so a line is on
// disk even if the program dies right after it) and to the debug output.
// Safe to call from any thread: whole lines are written under a lock.
class Logger
{
public:
    enum Level { Debug = 0, Error = 1, Warning = 2, Info = 3 };

    static Logger *instance();

    void write(const QString &text, int level);

    // Full path of today's log file; the log folder is made when missing.
    QString logFileName() const;
    // The log folder, made when missing.
    static QString logDirectory();

    QString systemName() const { return m_systemName; }
    QString userName() const { return m_userName; }

    // The line exactly as written for a message at a given time (no line
    // feed). All fields are filled in one pass, so a message that itself
    // holds "%1" stays as it was.
    QString formatLine(const QString &text, int level, const QTime &time) const;

    static QString levelName(int level);

private:
    Logger();
    Q_DISABLE_COPY_MOVE(Logger)

    void collectSystemInfo();

    QString m_systemName;
    QString m_userName;
    mutable QMutex m_lock;
};
