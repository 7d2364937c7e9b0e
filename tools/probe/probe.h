#pragma once

#include <QJsonObject>
#include <QSize>
#include <QStringList>

#include <functional>

// A probe command gets its arguments (without the command name) and returns
// the process exit code. It prints JSON on standard output.
namespace probe {

using Command = std::function<int(const QStringList &arguments)>;

struct Registration
{
    Registration(const char *name, const char *usage, Command command);
};

// One compact JSON line on standard output.
void printJson(const QJsonObject &object);
// A plain line on standard output (progress lines before the final JSON).
void printLine(const QString &line);
// {"error": message} on standard output; returns 1 for convenience.
int fail(const QString &message);

// Takes "--name value" out of the arguments; false when the name is given
// without a value (value is then left as it was).
bool takeOption(QStringList *arguments, const QString &name, QString *value);

// "WxH" with three to five digits each; false leaves size as it was.
bool parseSize(const QString &text, QSize *size);

// Runs the event loop until the condition holds or msecs pass; whether it
// holds.
bool waitUntil(const std::function<bool()> &condition, int msecs);

} // namespace probe

#define VL_PROBE_CONCAT2(a, b) a##b
#define VL_PROBE_CONCAT(a, b) VL_PROBE_CONCAT2(a, b)
#define VL_PROBE_COMMAND(name, usage, function)                                                    \
    static const probe::Registration VL_PROBE_CONCAT(s_probeCommand, __LINE__)(name, usage,        \
                                                                               function)
