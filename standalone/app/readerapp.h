#pragma once

#include <QApplication>
#include <QString>

namespace divad {

class ReaderDialog;

// The divad program: sets the reader up, runs the reading window until it
// closes and ends. A termination request (SIGTERM, SIGINT, SIGHUP) closes
// the window the ordinary way, so positions, bookmarks and settings are
// saved first. With a screenshot path the window is drawn once into that
// PNG file and closed, answering every question with OK (a headless check).
class ReaderApp : public QApplication
{
    Q_OBJECT

public:
    struct Options
    {
        QString openPath;
        QString screenshotPath;
    };

    ReaderApp(int &argc, char **argv);
    ~ReaderApp() override;

    // Parses --open FILE and --screenshot FILE; false with a message for
    // anything else.
    static bool ParseOptions(const QStringList &arguments, Options *options, QString *error);
    // The program's run; the exit status.
    int InitInstance(const Options &options);

    // Writes the help book beside the program when it is missing and makes
    // the skins folder; false when the data folder cannot be written.
    static bool InstallProgramFiles();
    // Installs the real message boxes, input box and file and font dialogs.
    static void InstallDialogs();
    ReaderDialog *MainDialog() const { return m_dialog; }

private:
    void watchTerminationSignals();

    ReaderDialog *m_dialog = nullptr;
};

} // namespace divad
