#include "standalone/util/strutil.h"

#include "standalone/util/filehelpers.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStandardPaths>
#include <QVariant>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace divad {

namespace {

    QPointer<QObject> &mainWindow()
    {
        static QPointer<QObject> window;
        return window;
    }

    int windowExtent(const char *property)
    {
        const QObject *window = mainWindow();
        if (!window)
            return 0;
        return qMax(0, window->property(property).toInt());
    }

} // namespace

QString IntToText(int n)
{
    return QString::number(n);
}

int ParseInt(const QString &text)
{
    const QByteArray bytes = text.toLatin1();
    const char *begin = bytes.constData();
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(begin, &end, 10);
    if (end == begin)
        return 0;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return int(value);
}

QString FormatDecimal(double value, int decimals)
{
    const QByteArray format = QByteArray("%0.") + QByteArray::number(qMax(0, decimals)) + "lf";
    QString text = QString::asprintf(format.constData(), value);
    if (decimals > 0) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        while (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text;
}

QString RectToText(int left, int top, int right, int bottom)
{
    return QStringLiteral("left=%1 right=%2 width=%3 top=%4 bottom=%5 height=%6")
            .arg(left)
            .arg(right)
            .arg(right - left)
            .arg(top)
            .arg(bottom)
            .arg(bottom - top);
}

QString WindowTextOf(const QObject *window)
{
    if (!window)
        return QString();
    for (const char *property : { "text", "windowTitle", "title" }) {
        const QVariant value = window->property(property);
        if (value.isValid())
            return value.toString();
    }
    return QString();
}

QString ToChineseNumeral(int n)
{
    static const char *const alone[]
            = { "零", "一", "两", "三", "四", "五", "六", "七", "八", "九" };
    static const char *const tens[]
            = { "", "十", "二十", "三十", "四十", "五十", "六十", "七十", "八十", "九十" };
    static const char *const units[] = { "", "一", "二", "三", "四", "五", "六", "七", "八", "九" };
    if (n >= 0 && n <= 9)
        return QString::fromUtf8(alone[n]);
    if (n >= 10 && n <= 99)
        return QString::fromUtf8(tens[n / 10]) + QString::fromUtf8(units[n % 10]);
    return QString::number(n);
}

QString ProgramPath()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget();
}

QString DataFolder()
{
    const QString overridden = QString::fromLocal8Bit(qgetenv("DIVAD_HOME"));
    QString folder;
    if (!overridden.isEmpty()) {
        folder = QDir::cleanPath(QDir(overridden).absolutePath());
    } else {
        const QString programFolder = FolderOfPath(ProgramPath());
        if (!programFolder.isEmpty() && QFileInfo(programFolder).isWritable())
            return programFolder;
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
                + QStringLiteral("/divad");
    }
    QDir().mkpath(folder);
    return folder;
}

QString ProgramFolderFile(const QString &name)
{
    return JoinPath(DataFolder(), name);
}

void SetMainWindow(QObject *window)
{
    mainWindow() = window;
}

QObject *MainWindow()
{
    return mainWindow();
}

int MainWindowWidth()
{
    return windowExtent("width");
}

int MainWindowHeight()
{
    return windowExtent("height");
}

void HideWindow(QObject *window)
{
    if (window)
        QMetaObject::invokeMethod(window, "hide");
}

void PumpMessages()
{
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
}

int ClampChannel(int a, int b)
{
    return qBound(0, a + b, 255);
}

int InterpolateChannel(double x0, double x1, int c0, int c1, double x)
{
    if (x1 == x0)
        return qBound(0, c0, 255);
    const double value = c0 + double(c1 - c0) / (x1 - x0) * (x - x0);
    if (!std::isfinite(value))
        return value > 0 ? 255 : 0;
    return int(qBound(0.0, std::trunc(value), 255.0));
}

ColourChannels SplitColour(const QColor &colour)
{
    return { colour.red(), colour.green(), colour.blue() };
}

double Hypotenuse(double x, double y)
{
    return std::sqrt(x * x + y * y);
}

} // namespace divad
