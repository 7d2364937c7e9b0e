#include "widgets/stylesheet.h"

#include "core/logger.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QTextStream>

void reloadStyleSheet()
{
    auto *application = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!application)
        return;

    QFile file(QStringLiteral(":/style/style.css"));
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        QTextStream stream(&file);
        stream.setCodec("UTF-8");
        const QString sheet = stream.readAll();
        file.close();
        application->setStyleSheet(sheet);
    } else {
        Logger::instance()->write(
                QStringLiteral("reloadStyleSheet: can not open %1 [FAILED]").arg(file.fileName()),
                Logger::Error);
    }

    QFont font = QApplication::font();
    font.setStyleStrategy(QFont::PreferAntialias);
    QApplication::setFont(font);
}

QString scrollBarStyleSheet(const QColor &background)
{
    QFile file(QStringLiteral(":/style/scrollbar_template.css"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll())
            .replace(QLatin1String("%background_color%"), background.name());
}
