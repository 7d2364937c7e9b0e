#pragma once

#include "pdf/documentinfo.h"
#include "pdf/documentpermissions.h"
#include "pdf/ondarelpdflibrarydll1016qt.h"

#include <QImage>
#include <QList>
#include <QMap>
#include <QPair>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

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
    // The selected render scale's drawing of a page at dpi into an RGB32
    // image of size (the caller sizes it to the page at that scale); as
    // requestImage otherwise.
    QImage drawPage(int page, double dpi, const QSize &size);

    // Whole-file operations. The static ones work in an engine of their
    // own, made and released within the call, so they never disturb a
    // document another engine holds open, and may run on several threads at
    // once. Temporary and decrypted files go to the private cache folder
    // under fresh names and are removed before the call returns. Passwords
    // are never written to the log.

    // (first page, last page), both inclusive.
    using PageRange = QPair<int, int>;
    // (file path, password); an empty password marks an unprotected file.
    using ProtectedFile = QPair<QString, QString>;

    // Title, page count, password state and (withCover) the first page of
    // a file. readable becomes true when the file opened or asked for a
    // password, and is left alone when it is damaged or missing.
    static DocumentInfo fileInfo(const QString &filePath, const QString &password, bool *readable,
                                 bool withCover);
    // Each range drawn at 300 dpi into outputFolder/<base name>_<page>.<ext>
    // for a render option of renderFormats; the folder is made when
    // missing. False with a message in error when the file is missing or
    // cannot be opened, or when ranges were asked for and none was drawn.
    static bool renderDocumentToFiles(const QString &filePath, const QString &password,
                                      const QList<PageRange> &ranges, int option,
                                      const QString &outputFolder, QString *error);
    // One page of the loaded document drawn at dpi (through a PNG in the
    // cache folder). True when the drawn page was read back into the
    // target; the target is left as it was otherwise.
    bool renderPageToImage(int page, int dpi, QImage *image);
    bool renderPageToPixmap(int page, int dpi, QPixmap *pixmap);
    // The pages of every input, in list order, into outputFile (written
    // whole or not at all). False for an empty list or output name, or when
    // the library refuses an input (damaged, missing, protected).
    static bool mergeFiles(const QString &outputFile, const QStringList &inputs);
    // As mergeFiles; protected inputs are decrypted with their password into
    // the cache folder first. An input whose password is wrong is left out
    // (its name is logged) and the merge goes on with the rest.
    static bool mergeProtectedFiles(const QString &outputFile, QList<ProtectedFile> inputs);
    // Stamps author and title (and our creator and producer) on the loaded
    // document and, unless both passwords are blank, encrypts it with 128-bit
    // AES and the permissions, effective when the document is saved. False
    // with a message in error when the library refuses the encryption.
    static bool encrypt(Document &document, DocumentPermissions permissions, const QString &author,
                        const QString &title, QString *error, const QString &ownerPassword,
                        const QString &userPassword);
    // Loads inputFile (it must open without a password), encrypts it as
    // encrypt() does and saves it as outputFile. False with a message in
    // error at the step that failed.
    static bool encryptFile(const QString &inputFile, const QString &outputFile,
                            DocumentPermissions permissions, const QString &author,
                            const QString &title, QString *error, const QString &ownerPassword,
                            const QString &userPassword);

    // Splitting: one file <base>_p<range>.pdf for each range text ("3",
    // "3-7", blanks ignored) in outputFolder, which is chosen when empty
    // (split_<base> beside the source), made when missing and written back.
    // The paths made are appended to results in order; a range the library
    // refuses, or one that could name a path outside the folder, is logged
    // and skipped. False only when the source is missing. pageCount is the
    // caller's count of the source's pages.
    static bool split(const QString &sourceFile, const QString &password, int pageCount,
                      const QStringList &ranges, QString *outputFolder, QStringList *results);
    // Every page a file of its own.
    static bool splitPerPage(const QString &sourceFile, const QString &password, int pageCount,
                             QString *outputFolder, QStringList *results);
    // Files of groupSize pages (single pages below 1) from startPage on.
    // False, with nothing made, for a start page below 1.
    static bool splitByGroups(const QString &sourceFile, const QString &password, int pageCount,
                              int startPage, int groupSize, QString *outputFolder,
                              QStringList *results);
    // One copy of the source without the listed pages (decimal texts; the
    // others are ignored), <base>_edited_<date and time>.pdf in the folder
    // split() would use, never replacing an earlier copy. outputFolder
    // becomes the path of that copy. False when the source is missing.
    static bool splitByCertainPages(const QString &sourceFile, const QString &password,
                                    int pageCount, QStringList pages, QString *outputFolder,
                                    QStringList *results);
    // The folder a split of sourceFile writes to (requested when not
    // empty), made when missing; "" when the source does not exist.
    static QString splitFolder(const QString &sourceFile, const QString &requested);

    static const QMap<int, QString> errorMessages;
    static const QMap<int, QString> renderFormats;

private:
    Q_DISABLE_COPY_MOVE(Document)
};
