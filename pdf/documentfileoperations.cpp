// The engine's whole-file operations: probing a file, drawing pages into
// image files, merging and encrypting.

#include "pdf/document.h"

#include "core/paths.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Creator and producer of every file the engine stamps.
const QString productLabel = QStringLiteral("Morvasco Vellumin e-book reader PDF tools");

// The library's number for 128-bit AES (its 1 is 128-bit RC4, which any
// laptop breaks).
constexpr int aes128Strength = 2;
constexpr int pngOption = 5;
constexpr int invalidPasswordCode = 404;
constexpr double filesResolution = 300.0;

} // namespace

DocumentInfo Document::fileInfo(const QString &filePath, const QString &password, bool *readable,
                                bool withCover)
{
    DocumentInfo info;
    info.filePath = filePath;
    Document document;
    const bool loaded = document.LoadFromFile(filePath, password) == 1;
    bool passwordFailed = false;
    if (!loaded) {
        const int code = document.LastErrorCode();
        if (code == invalidPasswordCode) {
            info.password = QStringLiteral("");
            info.passwordRequired = true;
            passwordFailed = true;
        }
        qCritical() << "Error opening file:" << filePath;
        qCritical() << "Error code:" << code;
        qCritical() << "Error message:" << errorMessage(code);
    }
    info.isEncrypted = passwordFailed;
    info.title = document.title();
    if (info.title.isEmpty())
        info.title = QFileInfo(filePath).baseName();
    if (loaded) {
        if (!password.isEmpty()) {
            info.password = password;
            info.isEncrypted = true;
        }
        info.pageCount = document.PageCount();
        if (withCover)
            document.renderPageToPixmap(1, 96, &info.cover);
    }
    if ((loaded || passwordFailed) && readable)
        *readable = true;
    return info;
}

bool Document::renderDocumentToFiles(const QString &filePath, const QString &password,
                                     const QList<PageRange> &ranges, int option,
                                     const QString &outputFolder, QString *error)
{
    QString unused;
    if (!error)
        error = &unused;
    if (!QFileInfo::exists(filePath)) {
        *error = QStringLiteral("file not found");
        return false;
    }
    if (!QDir(outputFolder).exists())
        QDir().mkpath(outputFolder);
    Document document;
    if (document.LoadFromFile(filePath, password) == 0) {
        *error = QStringLiteral("can not load file");
        return false;
    }
    const QString pattern = outputFolder + QLatin1Char('/') + QFileInfo(filePath).baseName()
            + QStringLiteral("_%p.") + extensionForFormat(option);
    int drawn = 0;
    for (const PageRange &range : ranges) {
        if (document.RenderDocumentToFile(filesResolution, range.first, range.second, option,
                                          pattern)
            != 0) {
            ++drawn;
            continue;
        }
        qWarning() << "Render to files. Range not drawn:" << range.first << range.second
                   << errorText(document);
    }
    // Pages were asked for and not one range came out: that is no success,
    // whatever the library drew of a range before it failed.
    if (!ranges.isEmpty() && drawn == 0) {
        *error = QStringLiteral("can not render pages. %1").arg(errorText(document));
        return false;
    }
    return true;
}

// The page goes through a PNG in the cache folder. The file goes on every
// path: the cache never keeps a page of a protected book.
bool Document::renderPageToImage(int page, int dpi, QImage *image)
{
    const QString temporary = QStringLiteral("%1/%2").arg(Paths::cacheDir(), Paths::uuidName());
    if (RenderPageToFile(double(dpi), page, pngOption, temporary) == 0) {
        const int code = LastErrorCode();
        qCritical() << "Error. Can not save temp image:" << temporary;
        qCritical() << "Renderer error code:" << code;
        qCritical() << "Message:" << errorMessage(code);
        QFile::remove(temporary);
        return false;
    }
    qWarning() << "Temporary image:" << temporary;
    // Read into a copy: a failed load must not wipe the caller's image.
    QImage loaded;
    const bool read = loaded.load(temporary);
    qWarning() << "Loading result:" << read;
    const bool removed = QFile::remove(temporary);
    qWarning() << "Remove temporary image result:" << removed;
    if (read && image)
        *image = loaded;
    return read;
}

bool Document::renderPageToPixmap(int page, int dpi, QPixmap *pixmap)
{
    // Read as an image, not with QPixmap::load: that would fill the pixmap
    // cache with names that never come again.
    QImage image;
    if (!renderPageToImage(page, dpi, &image))
        return false;
    if (pixmap)
        *pixmap = QPixmap::fromImage(image);
    return true;
}

bool Document::mergeFiles(const QString &outputFile, const QStringList &inputs)
{
    if (inputs.isEmpty()) {
        qCritical() << "Merge file list is empty";
        return false;
    }
    if (outputFile.isEmpty()) {
        qCritical() << "Out file name is null";
        return false;
    }
    Document document;
    const QString list = Paths::uuidName();
    for (const QString &input : inputs) {
        const int added = document.AddToFileList(list, input);
        qCritical() << "Add file to merge list:" << list;
        qCritical() << "File:" << input;
        qCritical() << "Result:" << added;
    }
    const int merged = document.MergeFileList(list, outputFile);
    qCritical() << "Merge result:" << merged;
    if (merged == 0) {
        const int code = document.LastErrorCode();
        qCritical() << "Merge error";
        qCritical() << "Error code:" << code;
        qCritical() << "Error message" << errorMessage(code);
    }
    return merged != 0;
}

bool Document::mergeProtectedFiles(const QString &outputFile, QList<ProtectedFile> inputs)
{
    qCritical() << "--[Merge files]--[Begin]";
    if (inputs.isEmpty()) {
        qCritical() << "Merge file list is empty";
        return false;
    }
    if (outputFile.isEmpty()) {
        qCritical() << "Out file name is null";
        return false;
    }
    QStringList toMerge;
    QStringList temporaries;
    for (const ProtectedFile &input : inputs) {
        if (input.second.isEmpty()) {
            toMerge << input.first;
            continue;
        }
        Document document;
        const QString temporary = Paths::cacheDir() + QLatin1Char('/') + Paths::uuidName();
        // Listed whatever the result, so nothing the library may have left
        // under the name outlives the merge.
        temporaries << temporary;
        if (document.DecryptFile(input.first, temporary, input.second) == 1) {
            qDebug() << "Decrypt result:" << true;
            toMerge << temporary;
        } else {
            qWarning() << "Merge. Left out, could not decrypt:" << input.first
                       << errorText(document);
        }
    }
    const bool merged = mergeFiles(outputFile, toMerge);
    Paths::removeFiles(temporaries);
    qDebug() << "Merge result:" << merged;
    qCritical() << "--[Merge files]--[End]";
    return merged;
}

bool Document::encrypt(Document &document, DocumentPermissions permissions, const QString &author,
                       const QString &title, QString *error, const QString &ownerPassword,
                       const QString &userPassword)
{
    document.SetInformation(1, author);
    document.SetInformation(2, title);
    document.SetInformation(5, productLabel);
    document.SetInformation(6, productLabel);
    const int encoded = document.EncodePermissions(
            permissions.canPrint, permissions.canCopy, permissions.canChange,
            permissions.canAddNotes, permissions.canFillFields, permissions.canCopyAccess,
            permissions.canAssemble, permissions.canPrintFull);
    const QString owner = ownerPassword.trimmed();
    const QString user = userPassword.trimmed();
    if (owner.isEmpty() && user.isEmpty())
        return true;
    if (document.Encrypt(owner, user, aes128Strength, encoded) != 0)
        return true;
    if (error)
        *error = QStringLiteral("The document could not be encrypted.%1").arg(errorText(document));
    return false;
}

bool Document::encryptFile(const QString &inputFile, const QString &outputFile,
                           DocumentPermissions permissions, const QString &author,
                           const QString &title, QString *error, const QString &ownerPassword,
                           const QString &userPassword)
{
    QString unused;
    if (!error)
        error = &unused;
    Document document;
    if (document.LoadFromFile(inputFile, QString()) == 0) {
        *error = QStringLiteral("The file could not be read or processed.%1")
                         .arg(errorText(document));
        return false;
    }
    if (!encrypt(document, permissions, author, title, error, ownerPassword, userPassword))
        return false;
    if (document.SaveToFile(outputFile) == 0) {
        *error = QStringLiteral("The file could not be created.%1").arg(errorText(document));
        return false;
    }
    return true;
}
