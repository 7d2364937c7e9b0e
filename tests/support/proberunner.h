#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace TestSupport {

// The developer probe among the built programs ("vellumin-probe").
QString probeProgram();

// Runs the probe and answers the JSON object of its last output line;
// an empty object when it did not end within a minute (exitCode is then
// left alone).
QJsonObject runProbe(const QStringList &arguments, int *exitCode);

} // namespace TestSupport
