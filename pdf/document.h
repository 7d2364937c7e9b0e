#pragma once

#include "pdf/ondarelpdflibrarydll1016qt.h"

#include <QImage>
#include <QMap>
#include <QSize>
#include <QString>

// The PDF engine object: one instance of the PDF library, loaded from the
// application's folder, serving one document at a time. Everything it
// remembers (the loaded file, the selected page, the render scale, the last
// error) lives in that instance; the library's members are called on it
// directly (LoadFromFile, PageCount, SelectPage, RenderPageToDC, ...).
// LoadFromFile answers 1 when the file opened and 0 when not, and
// LastErrorCode() then gives one of the codes of errorMessages (404: a
// password is missing or wrong).
//
// No lock of its own: a holder that calls from several threads keeps a
// sequence of calls (select, then render) together itself. The two tables
// are built before main and only read afterwards, from any thread.
class Document : public OndarelPDFLibraryDLLQt1016
{
    Q_OBJECT

public:
    // The parent is accepted and not used: the engine is owned by value.
    explicit Document(QObject *parent = nullptr);
    ~Document() override;

    // <application folder>/OndarelPDFLibraryDLL1016.dll
    static QString libraryPath();

    // Information key 2 of the loaded document, as the library returns it.
    QString title();

    // The message of a library error code; "Unknown error" for any other.
    static QString errorMessage(int code);
    // "Error code:<code>. Message:<message>" for the document's last error.
    static QString errorText(Document &document);

    // The file extension (without a dot) of a render option, "" for an
    // unknown option; and the smallest option of an extension, 1 for none.
    static QString extensionForFormat(int option);
    static int formatForExtension(const QString &extension);

    // The size of a page as shown, in whole points (truncated), sides
    // exchanged for a quarter turn. The page stays selected.
    QSize pageSize(int page);
    // The page drawn at dpi into an RGB32 image of pageSize(page) (one
    // pixel a point, so only 72 dpi fills it exactly). A failed drawing is
    // only traced; the image is then as the bitmap was left. Null when the
    // bitmap cannot be made. The image owns its pixels.
    QImage requestImage(int page, int dpi);

    static const QMap<int, QString> errorMessages;
    static const QMap<int, QString> renderFormats;

private:
    Q_DISABLE_COPY_MOVE(Document)
};
