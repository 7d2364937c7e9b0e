#include "tests/support/logcapture.h"

namespace {

QStringList g_lines;

void collect(QtMsgType, const QMessageLogContext &, const QString &message)
{
    g_lines << message;
}

} // namespace

LogCapture::LogCapture()
{
    g_lines.clear();
    m_previous = qInstallMessageHandler(collect);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(m_previous);
}

QStringList LogCapture::lines() const
{
    return g_lines;
}
