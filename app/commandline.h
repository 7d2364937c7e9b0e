#pragma once

#include <QRect>
#include <QStringList>

// The single-instance message: every argument followed by "|". An
// argument's own "%" and "|" travel as "%25" and "%7C", so a path that
// holds "|" survives; ordinary paths keep the plain form. Book paths are
// made absolute before they leave, since the running instance has another
// working folder.
namespace CommandLine {

QString buildMessage(const QStringList &arguments);
QStringList parseMessage(const QString &message);

// Default width of the main window from the full geometry of the screen
// that shows the splash.
int mainWindowBaseWidth(const QRect &screenGeometry);

} // namespace CommandLine
