#include "standalone/web/clinklabel.h"

#include "standalone/util/prompts.h"
#include "standalone/util/shell.h"

#include <QApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QUrl>

namespace divad {

CLinkLabel::CLinkLabel(QWidget *parent)
    : QLabel(parent)
{
    m_hoverTimer.setInterval(100);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CLinkLabel::onHoverTimer);
    setMouseTracking(true);
    setTextFormat(Qt::PlainText);
}

CLinkLabel::~CLinkLabel()
{
    m_hoverTimer.stop();
}

void CLinkLabel::Attach()
{
    if (m_url.isEmpty())
        m_url = text();
    if (text().isEmpty())
        setText(m_url);
    m_standardFont = font();
    m_underlinedFont = font();
    m_underlinedFont.setUnderline(true);
    FitToText();
    setCursor(Qt::PointingHandCursor);
    setToolTip(m_url);
    applyColour();
}

void CLinkLabel::SetUrl(const QString &address)
{
    m_url = address;
    FitToText();
    setToolTip(m_url);
}

void CLinkLabel::SetColours(const QColor &link, const QColor &visited, const QColor &hover)
{
    m_linkColour = link;
    m_visitedColour = visited;
    m_hoverColour = hover.isValid() ? hover : QApplication::palette().color(QPalette::Highlight);
    applyColour();
}

void CLinkLabel::SetVisited(bool visited)
{
    m_visited = visited;
    applyColour();
}

QColor CLinkLabel::CurrentColour() const
{
    if (m_overControl)
        return m_hoverColour;
    return m_visited ? m_visitedColour : m_linkColour;
}

void CLinkLabel::applyColour()
{
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, CurrentColour());
    setPalette(colours);
    update();
}

void CLinkLabel::FitToText()
{
    if (!m_fitToText)
        return;
    const QFont measuring = m_underlinedFont.family().isEmpty() ? font() : m_underlinedFont;
    const QSize textSize = QFontMetrics(measuring).size(Qt::TextSingleLine, text());
    const int frame = 2 * frameWidth();
    const int width = textSize.width() + frame;
    const int height = textSize.height() + frame;
    QRect place = geometry();
    if (alignment() & Qt::AlignVCenter) {
        const int shrink = (place.height() - height) / 2;
        place.setTop(place.top() + shrink);
        place.setHeight(height);
    } else {
        place.setHeight(height);
    }
    if (alignment() & Qt::AlignHCenter) {
        const int shrink = (place.width() - width) / 2;
        place.setLeft(place.left() + shrink);
        place.setWidth(width);
    } else if (alignment() & Qt::AlignRight) {
        place.setLeft(place.right() + 1 - width);
    } else {
        place.setWidth(width);
    }
    setGeometry(place);
}

void CLinkLabel::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_overControl) {
        m_overControl = true;
        setFont(m_underlinedFont);
        applyColour();
        m_hoverTimer.start();
    }
    QLabel::mouseMoveEvent(event);
}

void CLinkLabel::onHoverTimer()
{
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return;
    m_overControl = false;
    m_hoverTimer.stop();
    setFont(m_standardFont);
    applyColour();
}

void CLinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || !rect().contains(event->pos()))
        return;
    m_overControl = false;
    m_hoverTimer.stop();
    setFont(m_standardFont);
    const int result = OpenUrl(m_url);
    if (result > SuccessAbove) {
        SetVisited(true);
    } else {
        applyColour();
        QApplication::beep();
        ReportOpenError(result);
    }
    Q_EMIT clicked();
}

int CLinkLabel::OpenUrl(const QString &address)
{
    // Spaces, "%" and every other character a browser or a command line
    // could take apart leave here percent-encoded.
    const QString encoded = QString::fromLatin1(
            QUrl::fromUserInput(address).toEncoded(QUrl::FullyEncoded));
    if (encoded.isEmpty())
        return 2;
    if (ShellOpenUrl(encoded))
        return SuccessAbove + 1;
    const QString browser = qEnvironmentVariable("BROWSER");
    const QStringList command = BrowserArguments(browser, encoded);
    if (command.isEmpty())
        return 31; // nothing is associated with web pages
    return ShellStartProgram(command.first(), command.mid(1)) ? SuccessAbove + 1 : 2;
}

QStringList CLinkLabel::BrowserArguments(const QString &commandTemplate, const QString &address)
{
    // Like PATH, the variable may list several commands; the first is the
    // user's choice.
    QString line = commandTemplate.section(QLatin1Char(':'), 0, 0).trimmed();
    for (const QString &placeholder : { QStringLiteral("%s"), QStringLiteral("%1") }) {
        const int quoted = line.indexOf(QLatin1Char('"') + placeholder + QLatin1Char('"'));
        if (quoted >= 0) {
            line.truncate(quoted);
            break;
        }
        const int bare = line.indexOf(placeholder);
        if (bare >= 0) {
            line.truncate(bare);
            break;
        }
    }
    QStringList arguments = QProcess::splitCommand(line);
    if (arguments.isEmpty())
        return {};
    arguments << address;
    return arguments;
}

QString CLinkLabel::ErrorText(int code)
{
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral(
                "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral(
                "The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral("The DDE transaction could not\nbe completed because other DDE "
                              "transactions\nwere being processed.");
    case 31:
        return QStringLiteral(
                "There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

void CLinkLabel::ReportOpenError(int code)
{
    MessageRequest request;
    request.text = QStringLiteral("Unable to open hyperlink:\n\n") + ErrorText(code);
    request.icon = MessageIcon::Exclamation;
    ShowMessage(request);
}

} // namespace divad
