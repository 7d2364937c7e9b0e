#include "pdf/document.h"

#include "pdf/dibsection.h"

#include <QCoreApplication>
#include <QDebug>

const QMap<int, QString> Document::errorMessages {
    { 101, QStringLiteral("The Strength parameter passed to the Encrypt function was invalid") },
    { 102,
      QStringLiteral(
              "The Permissions parameter passed to the Encrypt function was invalid. Use the "
              "EncodePermissions function to construct a value for this parameter") },
    { 103,
      QStringLiteral("The Encrypt function was used on a document that was already encrypted") },
    { 104, QStringLiteral("The Encrypt function failed for an unknown reason") },
    { 201, QStringLiteral("The SetInformation function failed because the document is encrypted") },
    { 202,
      QStringLiteral("The Key parameter passed to the SetInformation function was out of range") },
    { 301,
      QStringLiteral("An invalid combination of barcode and option was sent to the DrawBarcode "
                     "function") },
    { 302, QStringLiteral("Non-numeric characters were sent to DrawBarcode using EAN-13") },
    { 303, QStringLiteral("The EAN-13 barcode has an invalid checksum character") },
    { 401, QStringLiteral("Could not open input file") },
    { 402, QStringLiteral("Output file already exists and could not be deleted") },
    { 403, QStringLiteral("Could not open output file") },
    { 404, QStringLiteral("Invalid password") },
    { 405, QStringLiteral("Document is not encrypted") },
    { 406, QStringLiteral("Document is already encrypted") },
    { 407, QStringLiteral("Invalid encryption strength") },
    { 408, QStringLiteral("Invalid permissions") },
    { 409, QStringLiteral("Invalid file structure, file is damaged") },
    { 410, QStringLiteral("One of the input files is encrypted") },
    { 411, QStringLiteral("File not found") },
    { 412, QStringLiteral("Invalid page range list") },
    { 501, QStringLiteral("The specified FileHandle was invalid") },
};

const QMap<int, QString> Document::renderFormats {
    { 0, QStringLiteral("bmp") },  { 1, QStringLiteral("jpg") },   { 2, QStringLiteral("wmf") },
    { 3, QStringLiteral("emf") },  { 4, QStringLiteral("eps") },   { 5, QStringLiteral("png") },
    { 6, QStringLiteral("gif") },  { 7, QStringLiteral("tiff") },  { 8, QStringLiteral("emf") },
    { 9, QStringLiteral("html") }, { 10, QStringLiteral("tiff") },
};

Document::Document(QObject *)
    : OndarelPDFLibraryDLLQt1016(libraryPath())
{
    qDebug() << "Ctor Document";
}

Document::~Document()
{
    qDebug() << "Dector document";
}

QString Document::libraryPath()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/OndarelPDFLibraryDLL1016.dll");
}

QString Document::title()
{
    qDebug() << "Get title";
    const QString text = GetInformation(2);
    qDebug() << text;
    return text;
}

QString Document::errorMessage(int code)
{
    return errorMessages.value(code, QStringLiteral("Unknown error"));
}

QString Document::errorText(Document &document)
{
    const int code = document.LastErrorCode();
    return QStringLiteral("Error code:%1. Message:%2").arg(code).arg(errorMessage(code));
}

QString Document::extensionForFormat(int option)
{
    return renderFormats.value(option);
}

int Document::formatForExtension(const QString &extension)
{
    // QMap iterates in ascending key order: the first match is the smallest.
    for (auto it = renderFormats.cbegin(); it != renderFormats.cend(); ++it) {
        if (it.value() == extension)
            return it.key();
    }
    return 1;
}

QSize Document::pageSize(int page)
{
    SelectPage(page);
    int width = int(GetPageBox(2, 2));
    int height = int(GetPageBox(2, 3));
    const int rotation = PageRotation();
    if (rotation == 90 || rotation == 270)
        std::swap(width, height);
    return QSize(width, height);
}

QImage Document::requestImage(int page, int dpi)
{
    return drawPage(page, double(dpi), pageSize(page));
}

QImage Document::drawPage(int page, double dpi, const QSize &size)
{
    DibSection section(size.width(), size.height());
    const gdi::HDC dc = section.createDC();
    // Without a bitmap there is nothing to draw into, and the library would
    // only report a bad context.
    if (dc && RenderPageToDC(dpi, page, dc) == 0) {
        const int code = LastErrorCode();
        qDebug() << "Document::requestImage"
                 << "error code:" << code;
        qDebug() << "Document::requestImage"
                 << "error text" << errorMessage(code);
    }
    section.releaseDC(dc);
    return section.toImage().copy(QRect());
}
