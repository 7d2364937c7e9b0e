// quirelet: the pagination helper of vellumin.
//
//   quirelet KEY
//
// KEY names the shared-memory block made by the viewer that starts it. The
// helper ends when its parent process goes away, or with an error code when
// it has no key (2), cannot attach to the block (3) or loses it (4).
// QUIRELET_PRINT_TO_PDF=FILE prints print requests into FILE without a dialog.
#include "pager/quirelet.h"

#include "core/logger.h"
#include "webpolicy/bookpage.h"

#include <QApplication>
#include <QWebSettings>

int main(int argc, char *argv[])
{
    // Taken first: starting the application takes long on a busy machine,
    // and a viewer that dies meanwhile would leave the helper running for
    // good under its new parent.
    const qint64 viewer = quirelet::parentProcessId();
    QApplication app(argc, argv);
    // Shares the main program's log folder.
    QCoreApplication::setApplicationName(QStringLiteral("vellumin"));
    QCoreApplication::setOrganizationName(QStringLiteral("Morvasco"));
    // Every page the helper makes is a book page; the defaults say so too,
    // so that no page of a book ever starts with scripts on.
    BookPage::applyPolicy(QWebSettings::globalSettings());

    const QString key = argc > 1 ? QString::fromLatin1(argv[1]) : QString();
    quirelet helper(key);
    helper.setParentProcessId(viewer);
    if (key.isEmpty())
        return int(quirelet::ExitCode::NoKey);
    if (!helper.isAttached())
        return int(quirelet::ExitCode::NoBlock);
    return int(helper.run());
}
