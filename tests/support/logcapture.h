#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Collects every log message of the process for the life of the object, in
// place of printing them, and puts the previous handler back at its end.
// One at a time.
class LogCapture
{
public:
    LogCapture();
    ~LogCapture();
    Q_DISABLE_COPY_MOVE(LogCapture)

    QStringList lines() const;
    QString text() const { return lines().join(QLatin1Char('\n')); }
    bool has(const QString &line) const { return lines().contains(line); }

private:
    QtMessageHandler m_previous = nullptr;
};
