#pragma once

#include <QColor>
#include <QString>

#include <functional>

class QObject;

// The small helpers the reader's dialogs, settings and painters share:
// numbers as text (Chinese numerals among them), files beside the program,
// the main window's size, the message pump of long operations and the colour
// arithmetic of the gradient painters. No state but the main window seam;
// call from the user-interface thread.
namespace divad {

// n in decimal.
QString IntToText(int n);
// The first decimal integer of text (leading blanks skipped, optional sign),
// limited to the range of int; 0 when text does not start with one.
int ParseInt(const QString &text);
// value with the given number of decimals; with decimals above 0 the
// trailing zeros and then a trailing point are cut off ("3.50" -> "3.5").
QString FormatDecimal(double value, int decimals);
// "left=1 right=5 width=4 top=2 bottom=9 height=7"
QString RectToText(int left, int top, int right, int bottom);
// The text of a window or control (its "text", else its window title); empty
// for none.
QString WindowTextOf(const QObject *window);
// 0-9 alone ("两" for 2), 10-99 as tens and units words ("十", "二十一"),
// anything else in digits.
QString ToChineseNumeral(int n);

// Full path of the running program file.
QString ProgramPath();
// The folder the reader keeps "cfg.ini", "bookinfo.bin" and the clipboard
// book in: the folder named by the environment variable DIVAD_HOME when it
// is set, else the program's own folder when it is writable, else the
// user's config folder for divad (~/.config/divad). Made when missing.
QString DataFolder();
// DataFolder() joined with name.
QString ProgramFolderFile(const QString &name);

// The window whose size MainWindowWidth() and MainWindowHeight() report. The
// reading window registers itself; none is registered until then.
void SetMainWindow(QObject *window);
QObject *MainWindow();
// Size of the registered main window, 0 when there is none.
int MainWindowWidth();
int MainWindowHeight();
// Hides a window or widget; nothing for none.
void HideWindow(QObject *window);
// Handles every event that is waiting, then returns; never waits. Handlers
// of any kind may run inside, so call it only where re-entry is safe.
void PumpMessages();

struct ColourChannels
{
    int red = 0;
    int green = 0;
    int blue = 0;
};

// a + b limited to 0 ... 255.
int ClampChannel(int a, int b);
// c0 + (c1 - c0) / (x1 - x0) * (x - x0), cut toward zero, limited to
// 0 ... 255. x0 == x1 gives c0.
int InterpolateChannel(double x0, double x1, int c0, int c1, double x);
ColourChannels SplitColour(const QColor &colour);
double Hypotenuse(double x, double y);

} // namespace divad
