#include "pdf/pdfprintjob.h"

#include "core/logger.h"
#include "pdf/pdfdocument.h"
#include "widgets/handover/applicationhandover.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace pdf {

namespace {

    // The translation context of the job's messages.
    struct PrintJob
    {
        Q_DECLARE_TR_FUNCTIONS(PrintJob)
    };

} // namespace

bool printPdfFile(const QString &printerName, const QString &deviceSettings,
                  const QString &filePath, QString *error)
{
    PdfDocument document;
    QString reason;
    if (!document.load(filePath)) {
        reason = document.lastError();
    } else {
        Document &engine = document.document();
        if (!engine.SetPrinterDevModeFromString(deviceSettings)) {
            reason = PrintJob::tr("the printer settings were refused");
        } else {
            const int options = engine.PrintOptions(0, 1, QStringLiteral("Morvasco Vellumin"));
            if (engine.PrintDocument(printerName, 1, document.pageCount(), options) == 0)
                reason = PrintJob::tr("the printer cannot be reached (%1)")
                                 .arg(Document::errorMessage(engine.LastErrorCode()));
        }
    }
    if (reason.isEmpty()) {
        Logger::instance()->write(QStringLiteral("Print %1 [OK]").arg(filePath), Logger::Info);
        return true;
    }

    Logger::instance()->write(QStringLiteral("Print %1 [FAILED]: %2").arg(filePath, reason),
                              Logger::Error);
    if (error)
        *error = reason;
    // A print nobody waits for must not fail unseen; a prompt the user
    // closed or skipped was the user's own choice.
    if (!document.isProtected() || document.isLoaded()) {
        if (MessageBoxController *messages = Handover::applicationMessageController()) {
            messages->showAndWait(PrintJob::tr("Print"),
                                  PrintJob::tr("The book \"%1\" could not be printed: %2.")
                                          .arg(QFileInfo(filePath).fileName(), reason));
        }
    }
    return false;
}

} // namespace pdf
