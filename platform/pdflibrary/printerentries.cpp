// Printing. A printer's device settings are text: there is no printer
// driver behind this library, so the settings are the few values a print job
// needs, kept as ASCII "key=value" lines (names and paths percent-encoded):
// they pass through the program's text conversions and back without a byte
// changing. Pages are printed through Qt's printer (CUPS, or a PDF file when
// the settings name an output file), each drawn as a picture of the page.

#include "platform/pdflibrary/entries.h"
#include "platform/pdflibrary/instance.h"
#include "platform/pdflibrary/pageimage.h"

#include <poppler-qt5.h>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QMap>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <QString>

#include <cmath>

namespace pdflibrary {

namespace {

    constexpr char settingsHeader[] = "vellumin-printer-settings 1";
    // Pages are drawn for the printer at this resolution at most: finer
    // than any print shows, and a page picture stays a few dozen megabytes.
    constexpr double maximumPrintResolution = 300.0;

    bool isSettingsText(const std::string &text)
    {
        if (text.compare(0, sizeof(settingsHeader) - 1, settingsHeader) != 0)
            return false;
        for (const char c : text) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte > 0x7e || (byte < 0x20 && byte != '\n'))
                return false;
        }
        return true;
    }

    QMap<QByteArray, QByteArray> settingsValues(const std::string &text)
    {
        QMap<QByteArray, QByteArray> values;
        const QList<QByteArray> lines = QByteArray::fromStdString(text).split('\n');
        for (const QByteArray &line : lines) {
            const int equals = line.indexOf('=');
            if (equals > 0)
                values.insert(line.left(equals), line.mid(equals + 1));
        }
        return values;
    }

    QString decoded(const QByteArray &value)
    {
        return QString::fromUtf8(QByteArray::fromPercentEncoding(value));
    }

    // The paper a settings text names ("A4", "Letter", ...), A4 for a name
    // Qt does not know.
    QPageSize paperNamed(const QByteArray &name)
    {
        for (int id = 0; id < int(QPageSize::LastPageSize); ++id) {
            const auto size = QPageSize::PageSizeId(id);
            if (QPageSize::key(size).toLatin1() == name)
                return QPageSize(size);
        }
        return QPageSize(QPageSize::A4);
    }

    // Applies the settings text to the printer; false when no printer can
    // be reached by the name.
    bool setUp(QPrinter &printer, const std::wstring &printerName,
               const QMap<QByteArray, QByteArray> &values, const PrintSettings &options)
    {
        const QString output = decoded(values.value("output"));
        if (!output.isEmpty()) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(output);
        } else {
            printer.setOutputFormat(QPrinter::NativeFormat);
            printer.setPrinterName(QString::fromStdWString(printerName));
            if (!printer.isValid() || printer.outputFormat() != QPrinter::NativeFormat)
                return false;
        }
        printer.setDocName(QString::fromStdWString(options.title));
        printer.setCopyCount(qBound(1, values.value("copies").toInt(), 999));
        printer.setPageSize(paperNamed(values.value("paper", "A4")));
        printer.setPageOrientation(values.value("orientation") == "landscape"
                                           ? QPageLayout::Landscape
                                           : QPageLayout::Portrait);
        printer.setColorMode(values.value("color") == "grayscale" ? QPrinter::GrayScale
                                                                  : QPrinter::Color);
        const QByteArray duplex = values.value("duplex");
        printer.setDuplex(duplex == "long"            ? QPrinter::DuplexLongSide
                                  : duplex == "short" ? QPrinter::DuplexShortSide
                                                      : QPrinter::DuplexNone);
        return true;
    }

    // One page onto the printer's printable area as the options say.
    bool printPage(Instance &library, QPainter &painter, const QPrinter &printer, int pageNumber,
                   const PrintSettings &options)
    {
        const std::unique_ptr<Poppler::Page> page(library.document->page(pageNumber - 1));
        if (!page)
            return false;
        const QSizeF points = page->pageSizeF();
        if (!(points.width() > 0.0) || !(points.height() > 0.0))
            return false;
        const double deviceResolution = printer.resolution();
        const QRectF area(
                QPointF(0, 0),
                QSizeF(printer.pageLayout().paintRectPixels(printer.resolution()).size()));

        const bool pageLandscape = points.width() > points.height();
        const bool areaLandscape = area.width() > area.height();
        const bool turned = options.autoRotateCenter && pageLandscape != areaLandscape;
        const QSizeF placed = turned ? points.transposed() : points;

        // Device pixels a point at the page's own size, then as the scaling
        // option says.
        double scale = deviceResolution / 72.0;
        const double fit = qMin(area.width() / (placed.width() * scale),
                                area.height() / (placed.height() * scale));
        if (options.pageScaling == 1 || (options.pageScaling == 2 && fit < 1.0))
            scale *= fit;
        const QSizeF target(placed.width() * scale, placed.height() * scale);

        const double resolution = qMin(maximumPrintResolution, scale * 72.0);
        const QImage image = renderPageAt(library, pageNumber, resolution, QSize());
        if (image.isNull())
            return false;

        painter.save();
        if (options.autoRotateCenter) {
            painter.translate((area.width() - target.width()) / 2.0,
                              (area.height() - target.height()) / 2.0);
        }
        if (turned) {
            // A quarter turn clockwise: the page's top goes to the right.
            painter.translate(target.width(), 0);
            painter.rotate(90);
        }
        const QSizeF drawn = turned ? target.transposed() : target;
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(QPointF(0, 0), drawn), image);
        painter.restore();
        return true;
    }

} // namespace

namespace entry {

    std::string GetPrinterDevModeToString(Instance &library, const std::wstring &PrinterName)
    {
        const QByteArray name = QString::fromStdWString(PrinterName).toUtf8().toPercentEncoding();
        // The settings handed in last for the same printer stay as they were.
        if (!library.printerSettings.empty()) {
            const std::string line = "printer=" + name.toStdString() + "\n";
            if (library.printerSettings.find(line) != std::string::npos)
                return library.printerSettings;
        }
        return std::string(settingsHeader) + "\nprinter=" + name.toStdString()
                + "\ncopies=1\norientation=portrait\npaper=A4\n";
    }

    // Only settings text this library produced is taken; anything else is
    // refused and the previous settings stay.
    int SetPrinterDevModeFromString(Instance &library, const std::string &Source)
    {
        if (!isSettingsText(Source)) {
            library.lastError = InternalFailure;
            return 0;
        }
        library.printerSettings = Source;
        return 1;
    }

    int PrintOptions(Instance &library, int PageScaling, int AutoRotateCenter,
                     const std::wstring &Title)
    {
        if (PageScaling < 0 || PageScaling > 2) {
            library.lastError = InternalFailure;
            return 0;
        }
        PrintSettings options;
        options.pageScaling = PageScaling;
        options.autoRotateCenter = AutoRotateCenter != 0;
        options.title = Title;
        const int id = library.printOptions.empty() ? 1 : library.printOptions.rbegin()->first + 1;
        library.printOptions[id] = options;
        return id;
    }

    // Prints the pages of the loaded document with the device settings
    // handed in last (those of GetPrinterDevModeToString when none were).
    // Options: an id of PrintOptions, 0 for the defaults.
    int PrintDocument(Instance &library, const std::wstring &PrinterName, int StartPage,
                      int EndPage, int Options)
    {
        if (!library.document) {
            library.lastError = InvalidFileHandle;
            return 0;
        }
        if (StartPage < 1 || EndPage < StartPage || EndPage > library.document->numPages()) {
            library.lastError = InvalidRangeList;
            return 0;
        }
        PrintSettings options;
        if (Options != 0) {
            const auto found = library.printOptions.find(Options);
            if (found == library.printOptions.end()) {
                library.lastError = InternalFailure;
                return 0;
            }
            options = found->second;
        }
        const std::string settings = library.printerSettings.empty()
                ? GetPrinterDevModeToString(library, PrinterName)
                : library.printerSettings;

        QPrinter printer(QPrinter::HighResolution);
        if (!setUp(printer, PrinterName, settingsValues(settings), options)) {
            library.lastError = CannotOpenOutput;
            return 0;
        }
        QPainter painter;
        if (!painter.begin(&printer)) {
            library.lastError = CannotOpenOutput;
            return 0;
        }
        // A file cut short is no print of the document: it goes again.
        const auto fail = [&printer](QPainter &painter, int code, Instance &instance) {
            if (painter.isActive())
                painter.end();
            if (printer.outputFormat() == QPrinter::PdfFormat)
                QFile::remove(printer.outputFileName());
            instance.lastError = code;
            return 0;
        };
        for (int page = StartPage; page <= EndPage; ++page) {
            if (page > StartPage && !printer.newPage())
                return fail(painter, CannotOpenOutput, library);
            if (!printPage(library, painter, printer, page, options))
                return fail(painter, InternalFailure, library);
        }
        if (!painter.end())
            return fail(painter, CannotOpenOutput, library);
        return 1;
    }

} // namespace entry

} // namespace pdflibrary
