// The entries that write PDF files: document information and encryption on
// save, decryption, merging file lists and extracting pages, on qpdf. qpdf
// reports trouble by throwing; every entry catches at its edge and answers
// with an error code.

#include "platform/pdflibrary/entries.h"
#include "platform/pdflibrary/instance.h"

#include <poppler-qt5.h>

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <list>

namespace pdflibrary {

namespace {

    // The permission bits of a PDF's /P entry that EncodePermissions sets.
    enum Permission : int {
        PrintBit = 1 << 2,
        ChangeBit = 1 << 3,
        CopyBit = 1 << 4,
        AddNotesBit = 1 << 5,
        FillFieldsBit = 1 << 8,
        CopyAccessBit = 1 << 9,
        AssembleBit = 1 << 10,
        PrintFullBit = 1 << 11,
    };
    constexpr int allPermissionBits = PrintBit | ChangeBit | CopyBit | AddNotesBit | FillFieldsBit
            | CopyAccessBit | AssembleBit | PrintFullBit;

    std::string utf8(const std::wstring &text)
    {
        return QString::fromStdWString(text).toStdString();
    }

    QString qt(const std::wstring &text)
    {
        return QString::fromStdWString(text);
    }

    // Opens a file for writing a copy of; false with the error code set.
    bool openInput(Instance &library, QPDF &pdf, const std::wstring &fileName,
                   const std::wstring &password, int passwordError)
    {
        const QString path = qt(fileName);
        if (path.isEmpty() || !QFileInfo::exists(path)) {
            library.lastError = FileNotFound;
            return false;
        }
        if (!QFileInfo(path).isReadable()) {
            library.lastError = CannotOpenInput;
            return false;
        }
        pdf.setSuppressWarnings(true);
        try {
            pdf.processFile(QFile::encodeName(path).constData(), utf8(password).c_str());
            // Some damage only shows when the pages are walked.
            pdf.getAllPages();
        } catch (const QPDFExc &error) {
            library.lastError
                    = error.getErrorCode() == qpdf_e_password ? passwordError : DamagedFile;
            return false;
        } catch (const std::exception &) {
            library.lastError = DamagedFile;
            return false;
        }
        return true;
    }

    // Writes through a temporary file beside the target and moves it into
    // place: a failed write never leaves half a PDF under the target's name.
    bool writeAtomically(Instance &library, const std::wstring &target,
                         const std::function<void(const std::string &)> &write)
    {
        const QString path = qt(target);
        const QFileInfo info(path);
        if (path.isEmpty() || info.isDir() || !info.dir().exists()) {
            library.lastError = CannotOpenOutput;
            return false;
        }
        QTemporaryFile temporary(info.absolutePath() + QStringLiteral("/.") + info.fileName()
                                 + QStringLiteral(".XXXXXX"));
        if (!temporary.open()) {
            library.lastError = CannotOpenOutput;
            return false;
        }
        temporary.close();
        try {
            write(QFile::encodeName(temporary.fileName()).toStdString());
        } catch (const std::exception &) {
            library.lastError = CannotOpenOutput;
            return false;
        }
        if (std::rename(QFile::encodeName(temporary.fileName()).constData(),
                        QFile::encodeName(info.absoluteFilePath()).constData())
            != 0) {
            library.lastError = CannotDeleteOutput;
            return false;
        }
        temporary.setAutoRemove(false);
        return true;
    }

    void applyInformation(QPDF &pdf, const std::map<int, std::wstring> &information)
    {
        static const char *const keys[] = { nullptr,     "/Author",  "/Title",   "/Subject",
                                            "/Keywords", "/Creator", "/Producer" };
        if (information.empty())
            return;
        QPDFObjectHandle trailer = pdf.getTrailer();
        QPDFObjectHandle info = trailer.getKey("/Info");
        if (!info.isDictionary()) {
            info = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
            trailer.replaceKey("/Info", info);
        }
        for (const auto &item : information)
            info.replaceKey(keys[item.first],
                            QPDFObjectHandle::newUnicodeString(utf8(item.second)));
    }

    void applyEncryption(QPDFWriter &writer, const PendingEncryption &encryption)
    {
        const int p = encryption.permissions;
        const bool print = p & PrintBit;
        const bool change = p & ChangeBit;
        const bool copy = p & CopyBit;
        const bool notes = p & AddNotesBit;
        const bool fill = p & FillFieldsBit;
        const bool access = p & CopyAccessBit;
        const bool assemble = p & AssembleBit;
        const qpdf_r3_print_e printing = !print ? qpdf_r3p_none
                : (p & PrintFullBit)            ? qpdf_r3p_full
                                                : qpdf_r3p_low;
        const char *user = encryption.user.c_str();
        const char *owner = encryption.owner.c_str();
        switch (encryption.strength) {
        case 0:
            writer.setR2EncryptionParametersInsecure(user, owner, print, change, copy, notes);
            break;
        case 1:
            writer.setR3EncryptionParametersInsecure(user, owner, access, copy, assemble, notes,
                                                     fill, change, printing);
            break;
        case 2:
            writer.setR4EncryptionParametersInsecure(user, owner, access, copy, assemble, notes,
                                                     fill, change, printing, true, true);
            break;
        default:
            writer.setR6EncryptionParameters(user, owner, access, copy, assemble, notes, fill,
                                             change, printing, true);
            break;
        }
    }

    // "1-3,5,8-" (an open end runs to the last page), blanks ignored; empty
    // when the list is malformed or names a page outside 1 .. pageCount.
    std::vector<int> parseRanges(const QString &rangeList, int pageCount)
    {
        std::vector<int> pages;
        QString text = rangeList;
        text.remove(QRegularExpression(QStringLiteral("\\s")));
        if (text.isEmpty())
            return pages;
        static const QRegularExpression range(QStringLiteral("^(\\d{1,9})(-(\\d{0,9}))?$"));
        for (const QString &part : text.split(QLatin1Char(','))) {
            const QRegularExpressionMatch match = range.match(part);
            if (!match.hasMatch())
                return {};
            const int first = match.captured(1).toInt();
            int last = first;
            if (match.capturedLength(2) > 0)
                last = match.capturedLength(3) > 0 ? match.captured(3).toInt() : pageCount;
            if (first < 1 || last < 1 || first > pageCount || last > pageCount)
                return {};
            const int step = first <= last ? 1 : -1;
            for (int page = first;; page += step) {
                pages.push_back(page);
                if (page == last)
                    break;
            }
        }
        return pages;
    }

    // The input of an extraction, read again only when another file is
    // asked for or the file changed since (its identity, size or time).
    QPDF *extractSource(Instance &library, const std::wstring &fileName,
                        const std::wstring &password)
    {
        struct stat status = {};
        const QByteArray path = QFile::encodeName(qt(fileName));
        std::string key;
        if (!path.isEmpty() && ::stat(path.constData(), &status) == 0) {
            key = std::to_string(status.st_dev) + ':' + std::to_string(status.st_ino) + ':'
                    + std::to_string(status.st_size) + ':' + std::to_string(status.st_mtim.tv_sec)
                    + '.' + std::to_string(status.st_mtim.tv_nsec) + ':' + utf8(password) + '\0'
                    + path.toStdString();
        }
        if (library.extractSource && !key.empty() && key == library.extractSourceKey)
            return library.extractSource.get();
        library.extractSource.reset();
        library.extractSourceKey.clear();
        auto source = std::make_shared<QPDF>();
        if (!openInput(library, *source, fileName, password, InvalidPassword))
            return nullptr;
        library.extractSource = source;
        library.extractSourceKey = key;
        return source.get();
    }

    bool writePages(Instance &library, QPDF &source, const std::vector<int> &pages,
                    const std::wstring &output)
    {
        return writeAtomically(library, output, [&](const std::string &path) {
            QPDF result;
            result.emptyPDF();
            QPDFPageDocumentHelper target(result);
            const std::vector<QPDFObjectHandle> &all = source.getAllPages();
            for (int page : pages)
                target.addPage(QPDFPageObjectHelper(all[std::size_t(page - 1)]), false);
            QPDFWriter writer(result, path.c_str());
            writer.write();
        });
    }

} // namespace

namespace entry {

    int SetInformation(Instance &library, int Key, const std::wstring &NewValue)
    {
        if (!library.document)
            return 0;
        if (Key < 1 || Key > 6) {
            library.lastError = InformationKeyOutOfRange;
            return 0;
        }
        if (library.document->isEncrypted()) {
            library.lastError = InformationEncrypted;
            return 0;
        }
        library.pendingInformation[Key] = NewValue;
        return 1;
    }

    int EncodePermissions(Instance &, int CanPrint, int CanCopy, int CanChange, int CanAddNotes,
                          int CanFillFields, int CanCopyAccess, int CanAssemble, int CanPrintFull)
    {
        return (CanPrint ? PrintBit : 0) | (CanCopy ? CopyBit : 0) | (CanChange ? ChangeBit : 0)
                | (CanAddNotes ? AddNotesBit : 0) | (CanFillFields ? FillFieldsBit : 0)
                | (CanCopyAccess ? CopyAccessBit : 0) | (CanAssemble ? AssembleBit : 0)
                | (CanPrintFull ? PrintFullBit : 0);
    }

    // Strength: 0 40-bit RC4, 1 128-bit RC4, 2 128-bit AES, 3 256-bit AES.
    // Takes effect when the document is saved.
    int Encrypt(Instance &library, const std::wstring &Owner, const std::wstring &User,
                int Strength, int Permissions)
    {
        if (!library.document)
            return 0;
        if (library.document->isEncrypted()) {
            library.lastError = AlreadyEncryptedForEncrypt;
            return 0;
        }
        if (Strength < 0 || Strength > 3) {
            library.lastError = InvalidStrength;
            return 0;
        }
        if (Permissions & ~allPermissionBits) {
            library.lastError = InvalidPermissions;
            return 0;
        }
        library.pendingEncryption.requested = true;
        library.pendingEncryption.owner = utf8(Owner);
        library.pendingEncryption.user = utf8(User);
        library.pendingEncryption.strength = Strength;
        library.pendingEncryption.permissions = Permissions;
        return 1;
    }

    int SaveToFile(Instance &library, const std::wstring &FileName)
    {
        if (!library.document)
            return 0;
        QPDF pdf;
        if (!openInput(library, pdf, library.fileName, library.password, InvalidPassword))
            return 0;
        applyInformation(pdf, library.pendingInformation);
        return writeAtomically(library, FileName,
                               [&](const std::string &path) {
                                   QPDFWriter writer(pdf, path.c_str());
                                   if (library.pendingEncryption.requested)
                                       applyEncryption(writer, library.pendingEncryption);
                                   writer.write();
                               })
                ? 1
                : 0;
    }

    int DecryptFile(Instance &library, const std::wstring &InputFileName,
                    const std::wstring &OutputFileName, const std::wstring &Password)
    {
        QPDF pdf;
        if (!openInput(library, pdf, InputFileName, Password, InvalidPassword))
            return 0;
        return writeAtomically(library, OutputFileName,
                               [&](const std::string &path) {
                                   QPDFWriter writer(pdf, path.c_str());
                                   writer.setPreserveEncryption(false);
                                   writer.write();
                               })
                ? 1
                : 0;
    }

    int AddToFileList(Instance &library, const std::wstring &ListName, const std::wstring &FileName)
    {
        std::vector<std::wstring> &list = library.fileLists[ListName];
        list.push_back(FileName);
        return int(list.size());
    }

    int ClearFileList(Instance &library, const std::wstring &ListName)
    {
        return library.fileLists.erase(ListName) > 0 ? 1 : 0;
    }

    int FileListCount(Instance &library, const std::wstring &ListName)
    {
        const auto it = library.fileLists.find(ListName);
        return it == library.fileLists.end() ? 0 : int(it->second.size());
    }

    std::wstring FileListItem(Instance &library, const std::wstring &ListName, int Index)
    {
        const auto it = library.fileLists.find(ListName);
        if (it == library.fileLists.end() || Index < 0 || std::size_t(Index) >= it->second.size())
            return std::wstring();
        return it->second[std::size_t(Index)];
    }

    // The pages of every file of the list, in list order, into one new file.
    // An input that needs a password stops the merge (410).
    int MergeFileList(Instance &library, const std::wstring &ListName,
                      const std::wstring &OutputFileName)
    {
        const auto it = library.fileLists.find(ListName);
        if (it == library.fileLists.end() || it->second.empty()) {
            library.lastError = FileNotFound;
            return 0;
        }
        // Pages are copied by reference to their source: every input stays
        // open until the output is written.
        std::list<QPDF> inputs;
        for (const std::wstring &fileName : it->second) {
            inputs.emplace_back();
            if (!openInput(library, inputs.back(), fileName, std::wstring(), InputEncrypted))
                return 0;
        }
        return writeAtomically(library, OutputFileName,
                               [&](const std::string &path) {
                                   QPDF result;
                                   result.emptyPDF();
                                   QPDFPageDocumentHelper target(result);
                                   for (QPDF &input : inputs) {
                                       for (const QPDFPageObjectHelper &page :
                                            QPDFPageDocumentHelper(input).getAllPages())
                                           target.addPage(page, false);
                                   }
                                   QPDFWriter writer(result, path.c_str());
                                   writer.write();
                               })
                ? 1
                : 0;
    }

    int ExtractFilePages(Instance &library, const std::wstring &InputFileName,
                         const std::wstring &Password, const std::wstring &OutputFileName,
                         const std::wstring &RangeList)
    {
        QPDF *pdf = extractSource(library, InputFileName, Password);
        if (!pdf)
            return 0;
        const int pageCount = int(pdf->getAllPages().size());
        const std::vector<int> pages = parseRanges(qt(RangeList), pageCount);
        if (pages.empty()) {
            library.lastError = InvalidRangeList;
            return 0;
        }
        return writePages(library, *pdf, pages, OutputFileName) ? 1 : 0;
    }

} // namespace entry

} // namespace pdflibrary
