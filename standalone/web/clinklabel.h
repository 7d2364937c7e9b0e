#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QStringList>
#include <QTimer>

namespace divad {

// A label that is a web link: coloured text, underlined while the pointer
// is over it, a hand cursor and the address as its tooltip; a click opens
// the address in the user's browser. When the desktop cannot open it, the
// browser command the user configured (the BROWSER variable) is started
// with the address as an argument of its own; if that fails too, a message
// says why. Owned by its dialog; user-interface thread.
class CLinkLabel : public QLabel
{
    Q_OBJECT

public:
    // Success codes of OpenUrl are above this; lower ones are error codes.
    static constexpr int SuccessAbove = 32;

    explicit CLinkLabel(QWidget *parent = nullptr);
    ~CLinkLabel() override;

    // Makes the label a link: the address is its text when none was set,
    // the text is the address when it has none; the label fits its text.
    void Attach();
    void SetUrl(const QString &address);
    QString Url() const { return m_url; }
    // A hover colour that is not valid means the desktop's highlight colour.
    void SetColours(const QColor &link, const QColor &visited, const QColor &hover = QColor());
    void SetVisited(bool visited);
    bool Visited() const { return m_visited; }
    bool OverControl() const { return m_overControl; }
    QColor CurrentColour() const;
    // Resizes the label to its text, keeping the edge its alignment names.
    void FitToText();

    // Opens address; above 32 is success, anything else an error code.
    static int OpenUrl(const QString &address);
    // The program and arguments that start the browser command template
    // (up to a "%s" or "%1" placeholder, quoted or not) with address as the
    // last argument; empty for an empty template.
    static QStringList BrowserArguments(const QString &commandTemplate, const QString &address);
    static QString ErrorText(int code);
    // "Unable to open hyperlink:" and the text of code, with the
    // exclamation icon.
    static void ReportOpenError(int code);

Q_SIGNALS:
    void clicked();

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void onHoverTimer();
    void applyColour();

    QColor m_linkColour = QColor(0, 0, 238);
    QColor m_visitedColour = QColor(85, 26, 139);
    QColor m_hoverColour = QColor(255, 0, 0);
    bool m_overControl = false;
    bool m_visited = false;
    bool m_fitToText = true;
    QString m_url;
    QFont m_underlinedFont;
    QFont m_standardFont;
    QTimer m_hoverTimer;
};

} // namespace divad
