#include "widgets/splashscreen.h"

#include "core/settingsfile.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QThread>

SplashScreen::SplashScreen(const QPixmap &pixmap)
    : QSplashScreen(pixmap)
{
    setObjectName(QStringLiteral("splashScreen"));
}

void SplashScreen::setVersionText(const QString &text)
{
    m_versionText = text;
}

void SplashScreen::setMessage(const QString &message, const QColor &color)
{
    m_message = message;
    m_messageColor = color;
    QSplashScreen::showMessage(m_message, m_messageAlignment, m_messageColor);
}

void SplashScreen::setMessageRect(const QRect &rect, int alignment)
{
    m_messageRect = rect;
    m_messageAlignment = alignment;
}

void SplashScreen::showLoading(int seconds)
{
    // Measured on a monotonic clock: a time of day would wrap at midnight
    // and end the animation before it started.
    QElapsedTimer clock;
    clock.start();
    const qint64 end = qint64(seconds) * 1000;
    int dots = 1;
    while (clock.elapsed() <= end) {
        setMessage(tr("Loading%1").arg(QString(dots, QLatin1Char('.'))), Qt::white);
        dots = dots >= 3 ? 1 : dots + 1;
        QThread::msleep(500);
    }
}

int SplashScreen::screenNumber()
{
    // A value that is not a number names no screen.
    bool ok = false;
    const int stored = SettingsFile::create()
                               ->value(QStringLiteral("mainview.screen"), -1)
                               .toString()
                               .trimmed()
                               .toInt(&ok);
    if (!ok || stored < 0 || stored >= QGuiApplication::screens().size())
        return -1;
    return stored;
}

void SplashScreen::drawContents(QPainter *painter)
{
    painter->setPen(m_messageColor);
    painter->drawText(m_messageRect, m_messageAlignment, m_message);
    const QRect versionRect(QPoint(0, 0), QPoint(width() - 21, height() - 21));
    painter->drawText(versionRect, Qt::AlignRight | Qt::AlignBottom, m_versionText);
}

void SplashScreen::showEvent(QShowEvent *event)
{
    const int number = screenNumber();
    const QScreen *screen
            = number < 0 ? QGuiApplication::primaryScreen() : QGuiApplication::screens().at(number);
    if (screen) {
        QRect area = geometry();
        area.moveCenter(screen->geometry().center());
        setGeometry(area);
    }
    QSplashScreen::showEvent(event);
}
