#include "tools/probe/probe.h"
#include "widgets/progressdialog.h"
#include "widgets/stylesheet.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QRegularExpression>

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Checks the embedded style resources: the sheet loads into the
// application, every url() it names is embedded, every image decodes.
int styleCheck(const QStringList &)
{
    const QString sheet = readText(QStringLiteral(":/style/style.css"));
    if (sheet.isEmpty())
        return probe::fail(QStringLiteral("the style sheet :/style/style.css is missing"));
    reloadStyleSheet();
    const bool applied = qApp->styleSheet() == sheet;

    QJsonArray missing;
    int urls = 0;
    const QRegularExpression url(QStringLiteral("url\\(([^)]+)\\)"));
    for (const QString &text :
         { sheet, readText(QStringLiteral(":/style/scrollbar_template.css")) }) {
        auto matches = url.globalMatch(text);
        while (matches.hasNext()) {
            const QString path = matches.next().captured(1).trimmed();
            ++urls;
            if (!QFile::exists(path) && !missing.contains(path))
                missing.append(path);
        }
    }

    int images = 0;
    QJsonArray unreadable;
    QDirIterator it(QStringLiteral(":/style/images"));
    while (it.hasNext()) {
        const QString path = it.next();
        ++images;
        if (QImage(path).isNull())
            unreadable.append(path);
    }
    int frames = 0;
    while (QFile::exists(QStringLiteral(":/style/images/loading%1.png").arg(frames + 1)))
        ++frames;

    probe::printJson(QJsonObject {
            { QStringLiteral("sheetBytes"), sheet.toUtf8().size() },
            { QStringLiteral("applied"), applied },
            { QStringLiteral("urls"), urls },
            { QStringLiteral("missing"), missing },
            { QStringLiteral("images"), images },
            { QStringLiteral("unreadable"), unreadable },
            { QStringLiteral("loadingFrames"), frames },
    });
    return missing.isEmpty() && unreadable.isEmpty() && applied ? 0 : 1;
}

// The progress dialog's percentage for a worker's report.
int progressPercent(const QStringList &arguments)
{
    bool valueOk = false;
    bool totalOk = false;
    const int value = arguments.value(0).toInt(&valueOk);
    const int total = arguments.value(1).toInt(&totalOk);
    if (arguments.size() != 2 || !valueOk || !totalOk)
        return probe::fail(QStringLiteral("usage: progress-percent VALUE TOTAL"));
    probe::printJson(
            QJsonObject { { QStringLiteral("value"), value },
                          { QStringLiteral("total"), total },
                          { QStringLiteral("percent"), ProgressDialog::percent(value, total) } });
    return 0;
}

} // namespace

VL_PROBE_COMMAND("style-check", "", styleCheck);
VL_PROBE_COMMAND("progress-percent", "VALUE TOTAL", progressPercent);
