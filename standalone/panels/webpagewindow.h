#pragma once

#include <QDialog>

namespace divad {

class CHtmlCtrl;

// A window of its own showing an outside web page under the program's
// banner page. Each web command of the reading window opens a new one,
// sized like the reading window; several can be open at once, and each is
// freed when the user closes it. User-interface thread.
class WebPageWindow : public QDialog
{
    Q_OBJECT

public:
    // width, height: the window's size; 0 keeps the designed size.
    WebPageWindow(const QString &caption, const QString &address, int width, int height);
    ~WebPageWindow() override;

    // Makes, shows and returns a new window; it deletes itself when closed.
    static WebPageWindow *Open(const QString &caption, const QString &address, int width,
                               int height);

    CHtmlCtrl *MainPage() const { return m_page; }
    CHtmlCtrl *Banner() const { return m_banner; }
    QString Address() const { return m_address; }
    // Number of windows alive.
    static int LiveCount();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layout(int width, int height);

    QString m_caption;
    QString m_address;
    CHtmlCtrl *m_page = nullptr;
    CHtmlCtrl *m_banner = nullptr;
};

// The start-up picture, shown while the reading window sets itself up.
class SplashDialog : public QWidget
{
    Q_OBJECT

public:
    SplashDialog();
    ~SplashDialog() override;
};

} // namespace divad
