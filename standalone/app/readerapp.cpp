#include "standalone/app/readerapp.h"

#include "standalone/app/readerdialog.h"
#include "standalone/panels/sidebar.h"
#include "standalone/gfx/cinputbox.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/prompts.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QSaveFile>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace divad {

namespace {

    int signalPipe[2] = { -1, -1 };

    void onSignal(int)
    {
        const char byte = 1;
        // Nothing else is safe in a signal handler; the window closes from
        // the event loop.
        [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    }

    QMessageBox::Icon boxIcon(MessageIcon icon)
    {
        switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Question:
            return QMessageBox::Question;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Stop:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
        }
        return QMessageBox::NoIcon;
    }

} // namespace

ReaderApp::ReaderApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(Const::ProgramName);
    setQuitOnLastWindowClosed(false);
}

ReaderApp::~ReaderApp() = default;

bool ReaderApp::ParseOptions(const QStringList &arguments, Options *options, QString *error)
{
    for (int i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--open") && hasValue) {
            options->openPath = QFileInfo(arguments.at(++i)).absoluteFilePath();
        } else if (argument == QLatin1String("--screenshot") && hasValue) {
            options->screenshotPath = QFileInfo(arguments.at(++i)).absoluteFilePath();
        } else {
            *error = QStringLiteral("usage: divad [--open FILE] [--screenshot FILE.png]");
            return false;
        }
    }
    return true;
}

bool ReaderApp::InstallProgramFiles()
{
    QDir().mkpath(ProgramFolderFile(Const::SkinsFolder));
    const QString help = ProgramFolderFile(Const::HelpBook);
    if (QFileInfo::exists(help))
        return true;
    QFile source(QStringLiteral(":/divad/divad.txt"));
    if (!source.open(QIODevice::ReadOnly))
        return false;
    QSaveFile target(help);
    if (!target.open(QIODevice::WriteOnly))
        return false;
    // The mark tells the reader the book is UTF-8; without it the bytes
    // would be read as GBK.
    target.write("\xEF\xBB\xBF");
    target.write(source.readAll());
    return target.commit();
}

void ReaderApp::InstallDialogs()
{
    SetMessageHandler([](const MessageRequest &request) {
        QMessageBox box(boxIcon(request.icon),
                        request.caption.isEmpty() ? Const::ProgramName : request.caption,
                        request.text,
                        request.okCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
                        qobject_cast<QWidget *>(request.owner));
        return box.exec() == QMessageBox::Ok;
    });
    InstallInputBox();
    SetOpenFileHandler([](const OpenFileRequest &request) {
        return QFileDialog::getOpenFileName(qobject_cast<QWidget *>(request.owner), request.title,
                                            request.folder, DialogFilter(request.filter));
    });
    SetFontHandler([](QObject *owner, const QFont &initial, QFont *chosen) {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, qobject_cast<QWidget *>(owner));
        if (ok)
            *chosen = font;
        return ok;
    });
}

void ReaderApp::watchTerminationSignals()
{
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[0], &byte, 1);
        if (m_dialog)
            m_dialog->reject();
        else
            quit();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : { SIGTERM, SIGINT, SIGHUP })
        ::sigaction(signal, &action, nullptr);
}

int ReaderApp::InitInstance(const Options &options)
{
    InstallProgramFiles();
    const bool headless = !options.screenshotPath.isEmpty();
    if (headless) {
        // Nobody is there to answer: messages go to the standard error and
        // every question is answered with OK.
        SetMessageHandler([](const MessageRequest &request) {
            std::fprintf(stderr, "divad: %s\n", qUtf8Printable(request.text));
            return true;
        });
        SetInputBoxHandler(nullptr);
    } else {
        InstallDialogs();
    }
    watchTerminationSignals();

    ReaderDialog dialog;
    m_dialog = &dialog;
    SetMainWindow(&dialog);
    connect(this, &QGuiApplication::commitDataRequest, &dialog, [&dialog] { dialog.ExitSave(); });

    dialog.OnInitDialog(options.openPath);
    int status = 0;
    if (headless) {
        dialog.show();
        dialog.activateWindow();
        dialog.raise();
        // Let the window come up and be painted before it is taken.
        for (int i = 0; i < 10; ++i) {
            PumpMessages();
            QThread::msleep(20);
        }
        const QImage shot = dialog.grab().toImage();
        if (shot.isNull() || !shot.save(options.screenshotPath, "PNG")) {
            std::fprintf(stderr, "divad: can not write %s\n", qPrintable(options.screenshotPath));
            status = 1;
        }
        dialog.reject();
    } else {
        dialog.exec();
    }

    sideBarHost().Destroy();
    SetMainWindow(nullptr);
    m_dialog = nullptr;
    return status;
}

} // namespace divad
