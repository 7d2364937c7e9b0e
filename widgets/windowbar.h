#pragma once

#include <QFontMetrics>
#include <QFrame>

class Button;
class QLabel;

// The title bar of the program's frameless windows: the application icon,
// the centred title and the minimize, maximize and close buttons. It only
// reports what the user did; the window that holds it carries it out and
// tells the bar its maximized state through setMaximized(). The bar does not
// move the window.
class WindowBar : public QFrame
{
    Q_OBJECT
public:
    explicit WindowBar(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const;
    // The title label's metrics, for callers that size or elide titles.
    QFontMetrics titleFontMetrics() const;

    void setIconVisible(bool visible);
    void setMaximizeVisible(bool visible);
    void setMinimizeVisible(bool visible);

    // The maximize button's own style sheet while maximized (restore icons)
    // and otherwise (maximize icons).
    static QString maximizeButtonStyleSheet(bool maximized);

signals:
    void maximizeWindow();
    void minimizeWindow();
    void closeWindow();

public slots:
    void setMaximized(bool maximized);

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private slots:
    void onButtonMinimize();
    void onButtonClose();
    void onButtonMaximize();

private:
    QLabel *m_icon = nullptr;
    QLabel *m_title = nullptr;
    Button *m_minimize = nullptr;
    Button *m_maximize = nullptr;
    Button *m_close = nullptr;
};
