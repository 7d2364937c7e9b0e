#pragma once

#include "archive/sevenzip/sevenzipsupport.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <vector>

// The objects the 7-Zip codec library calls back while it opens an archive
// and while it unpacks one. Neither ever hands out a password: an archive
// that asks for one is refused, and the callback notes that it was asked.
namespace sevenzip {

class CArchiveOpenCallback final : public IArchiveOpenCallback,
                                   public ICryptoGetTextPassword,
                                   CMyUnknownImp<CArchiveOpenCallback>
{
public:
    CArchiveOpenCallback() = default;
    CArchiveOpenCallback(const CArchiveOpenCallback &) = delete;
    CArchiveOpenCallback &operator=(const CArchiveOpenCallback &) = delete;

    // The archive's headers are encrypted.
    bool passwordAsked() const { return m_passwordAsked; }

    HRESULT QueryInterface(const GUID &iid, void **object) override;
    ULONG AddRef() override { return addReference(); }
    ULONG Release() override { return releaseReference(); }
    HRESULT SetTotal(const UInt64 *files, const UInt64 *bytes) override;
    HRESULT SetCompleted(const UInt64 *files, const UInt64 *bytes) override;
    HRESULT CryptoGetTextPassword(BSTR *password) override;

private:
    friend class CMyUnknownImp<CArchiveOpenCallback>;
    ~CArchiveOpenCallback() = default;

    bool m_passwordAsked = false;
};

// Writes the items the library unpacks below one folder. Item names become
// paths only through ArchivePath::join(): a name that would lead outside
// the folder is skipped and counted. Each file is written under a
// temporary name and renamed into place only when the library reported its
// data sound (checksum included), so a damaged item leaves no file. Links
// stored in the archive become plain files holding the link text, and the
// items' permission bits are not applied.
class CArchiveExtractCallback final : public IArchiveExtractCallback,
                                      public ICryptoGetTextPassword,
                                      CMyUnknownImp<CArchiveExtractCallback>
{
public:
    // archivePath only names the archive in log lines.
    explicit CArchiveExtractCallback(const QString &archivePath);
    CArchiveExtractCallback(const CArchiveExtractCallback &) = delete;
    CArchiveExtractCallback &operator=(const CArchiveExtractCallback &) = delete;

    // handler: the library object that calls back (one reference is held);
    // folder: where items go; wanted: the indices to write (empty: all);
    // budget: bytes all files together may take.
    void Init(IInArchive *handler, const QString &folder, std::vector<bool> wanted, qint64 budget);

    // Items the library reported damaged (data, checksum, method...).
    quint64 errorCount() const { return m_errorCount; }
    // Text of the first such report ("CRC Failed").
    QString firstError() const { return m_firstError; }
    int unsafeNames() const { return m_unsafeNames; }
    bool passwordAsked() const { return m_passwordAsked; }
    bool budgetSpent() const { return m_budgetSpent; }
    bool writeFailed() const { return m_writeFailed; }
    // The files and folders written, in the order they were finished.
    const QStringList &written() const { return m_written; }
    // Drops the file of an item the library left unfinished (it stopped
    // without a result for it).
    void discardOutput();

    HRESULT QueryInterface(const GUID &iid, void **object) override;
    ULONG AddRef() override { return addReference(); }
    ULONG Release() override { return releaseReference(); }
    HRESULT SetTotal(UInt64 total) override;
    HRESULT SetCompleted(const UInt64 *completeValue) override;
    HRESULT GetStream(UInt32 index, ISequentialOutStream **outStream,
                      Int32 askExtractMode) override;
    HRESULT PrepareOperation(Int32 askExtractMode) override;
    HRESULT SetOperationResult(Int32 result) override;
    HRESULT CryptoGetTextPassword(BSTR *password) override;

    // The words for an item result of the library (1 "Unsupported Method"
    // to 8 "Headers Error", else "Error #n").
    static QString resultText(Int32 result);

private:
    friend class CMyUnknownImp<CArchiveExtractCallback>;
    ~CArchiveExtractCallback();

    QString m_archivePath;
    ComPtr<IInArchive> m_handler;
    QString m_folder;
    std::vector<bool> m_wanted;
    qint64 m_budget = 0;
    QSet<QString> m_checkedFolders;

    // The current item.
    QString m_itemPath;
    QString m_diskPath;
    QString m_partPath;
    FILETIME m_modificationTime {};
    bool m_timeDefined = false;
    ComPtr<COutFileStream> m_output;

    quint64 m_errorCount = 0;
    QString m_firstError;
    int m_unsafeNames = 0;
    bool m_passwordAsked = false;
    bool m_budgetSpent = false;
    bool m_writeFailed = false;
    QStringList m_written;
};

} // namespace sevenzip
