#pragma once

#include <QString>

namespace pdf {

// Prints the PDF book at filePath in the background: a document (and
// library instance) of its own is opened (asking for the password again
// when the file has one), handed the printer's device settings (as the
// engine's GetPrinterDevModeToString gives them, possibly changed by the
// print dialog) and printed whole to printerName, or to the file the
// settings name. Any thread; shares nothing with a viewer of the book.
//
// False when nothing was printed: the reason goes to the log and, through
// the application's message hand-over, to the user, and into error.
bool printPdfFile(const QString &printerName, const QString &deviceSettings,
                  const QString &filePath, QString *error = nullptr);

} // namespace pdf
