#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace bench {

// Points HOME and the XDG config, data and cache folders into home, so the
// library, the settings and the children started later stay there, and
// picks the offscreen platform unless one is set. Call before the
// application object exists.
void useTemporaryHome(const QString &home);

// The wall time of one run of a program in milliseconds; -1 when it fails
// or takes over ten minutes.
double runProgram(const QString &program, const QStringList &arguments);

// Runs the event loop, looking every pollMsecs, until the condition holds
// or msecs pass; whether it holds.
bool waitUntil(const std::function<bool()> &condition, int msecs, int pollMsecs);

// The middle value (the upper one of an even count); 0 for none.
double median(QList<double> values);

} // namespace bench
