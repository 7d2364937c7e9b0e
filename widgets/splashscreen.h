#pragma once

#include <QColor>
#include <QRect>
#include <QSplashScreen>
#include <QString>

// The picture shown while the program starts: the splash image, a "Loading"
// line with running dots and the version in the lower right corner. It
// opens centred on the screen where the main window was last shown (the
// "mainview.screen" setting), or on the default screen when that screen is
// unknown or gone.
class SplashScreen : public QSplashScreen
{
    Q_OBJECT
public:
    explicit SplashScreen(const QPixmap &pixmap = QPixmap());

    // The text drawn 20 pixels in from the lower right corner.
    void setVersionText(const QString &text);
    QString versionText() const { return m_versionText; }

    // Blocks the calling (GUI) thread for `seconds`, redrawing "Loading."
    // ... "Loading..." every half second. Events are not processed; each
    // message repaints the splash directly.
    void showLoading(int seconds);

    // Shows a message at once in the given colour.
    void setMessage(const QString &message, const QColor &color);
    void setMessageRect(const QRect &rect, int alignment);
    QString message() const { return m_message; }

    // Index of the screen the splash opens on (-1: the default screen).
    static int screenNumber();

protected:
    void drawContents(QPainter *painter) override;
    void showEvent(QShowEvent *event) override;

private:
    QString m_message;
    QColor m_messageColor;
    int m_messageAlignment = Qt::AlignLeft | Qt::AlignTop;
    QRect m_messageRect = QRect(122, 120, 250, 100);
    QString m_versionText;
};
