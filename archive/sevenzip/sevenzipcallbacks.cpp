#include "archive/sevenzip/sevenzipcallbacks.h"

#include "archive/archivepath.h"
#include "core/logger.h"
#include "core/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

namespace sevenzip {

namespace {

    void log(const QString &text, int level)
    {
        Logger::instance()->write(text, level);
    }

    // Both callbacks answer for the password part of themselves.
    template<class Callback> HRESULT answerQuery(Callback *callback, const GUID &iid, void **object)
    {
        *object = nullptr;
        if (!(iid == IID_IUnknown || iid == IID_ICryptoGetTextPassword))
            return E_NOINTERFACE;
        *object = static_cast<ICryptoGetTextPassword *>(callback);
        callback->AddRef();
        return S_OK;
    }

} // namespace

HRESULT CArchiveOpenCallback::QueryInterface(const GUID &iid, void **object)
{
    return answerQuery(this, iid, object);
}

HRESULT CArchiveOpenCallback::SetTotal(const UInt64 *, const UInt64 *)
{
    return S_OK;
}

HRESULT CArchiveOpenCallback::SetCompleted(const UInt64 *, const UInt64 *)
{
    return S_OK;
}

HRESULT CArchiveOpenCallback::CryptoGetTextPassword(BSTR *password)
{
    *password = nullptr;
    m_passwordAsked = true;
    return E_ABORT;
}

CArchiveExtractCallback::CArchiveExtractCallback(const QString &archivePath)
    : m_archivePath(archivePath)
{
}

CArchiveExtractCallback::~CArchiveExtractCallback()
{
    discardOutput();
}

void CArchiveExtractCallback::Init(IInArchive *handler, const QString &folder,
                                   std::vector<bool> wanted, qint64 budget)
{
    m_errorCount = 0;
    m_handler.reset(handler);
    m_folder = folder;
    m_wanted = std::move(wanted);
    m_budget = budget;
}

HRESULT CArchiveExtractCallback::QueryInterface(const GUID &iid, void **object)
{
    return answerQuery(this, iid, object);
}

HRESULT CArchiveExtractCallback::SetTotal(UInt64)
{
    return S_OK;
}

HRESULT CArchiveExtractCallback::SetCompleted(const UInt64 *)
{
    return S_OK;
}

void CArchiveExtractCallback::discardOutput()
{
    if (!m_output)
        return;
    m_output->close();
    m_output.reset();
    QFile::remove(m_partPath);
}

HRESULT CArchiveExtractCallback::GetStream(UInt32 index, ISequentialOutStream **outStream,
                                           Int32 askExtractMode)
{
    *outStream = nullptr;
    discardOutput();

    Variant path;
    HRESULT result = m_handler->GetProperty(index, kpidPath, &path);
    if (result != S_OK)
        return result;
    if (path.vt == VT_BSTR)
        m_itemPath = toQString(path.bstrVal);
    else if (path.vt == VT_EMPTY)
        m_itemPath = QStringLiteral("[Content]");
    else
        return E_FAIL;

    if (askExtractMode != AskExtract)
        return S_OK;
    if (!m_wanted.empty() && (index >= m_wanted.size() || !m_wanted[index]))
        return S_OK;

    Variant isFolder;
    result = m_handler->GetProperty(index, kpidIsDir, &isFolder);
    if (result != S_OK)
        return result;
    if (isFolder.vt != VT_BOOL && isFolder.vt != VT_EMPTY)
        return E_FAIL;
    const bool folderItem = isFolder.vt == VT_BOOL && isFolder.boolVal != 0;

    Variant time;
    result = m_handler->GetProperty(index, kpidMTime, &time);
    if (result != S_OK)
        return result;
    m_timeDefined = time.vt == VT_FILETIME;
    if (m_timeDefined)
        m_modificationTime = time.filetime;
    else if (time.vt != VT_EMPTY)
        return E_FAIL;

    m_diskPath = ArchivePath::join(m_folder, m_itemPath, &m_checkedFolders);
    if (m_diskPath.isNull()) {
        ++m_unsafeNames;
        log(QStringLiteral("Extract 7z archive. Unsafe entry name skipped:%1 in %2")
                    .arg(m_itemPath, m_archivePath),
            Logger::Error);
        return S_OK;
    }
    if (folderItem) {
        if (QDir().mkpath(m_diskPath))
            m_written.append(m_diskPath);
        else
            m_writeFailed = true;
        return S_OK;
    }
    if (!QDir().mkpath(QFileInfo(m_diskPath).absolutePath())) {
        m_writeFailed = true;
        log(QStringLiteral("Extract 7z archive. Can not make the folder of:%1").arg(m_diskPath),
            Logger::Error);
        return E_ABORT;
    }

    m_output.reset(new COutFileStream(&m_budget));
    m_partPath = Paths::partFilePath(m_diskPath);
    if (!m_output->open(m_partPath)) {
        m_output.reset();
        m_writeFailed = true;
        log(QStringLiteral("Extract 7z archive. Can not open output file:%1").arg(m_diskPath),
            Logger::Error);
        return E_ABORT;
    }
    // One reference for the library, one kept until the item's result.
    m_output->AddRef();
    *outStream = m_output.get();
    return S_OK;
}

HRESULT CArchiveExtractCallback::PrepareOperation(Int32)
{
    return S_OK;
}

HRESULT CArchiveExtractCallback::SetOperationResult(Int32 result)
{
    if (result != 0) {
        ++m_errorCount;
        if (m_firstError.isEmpty())
            m_firstError = resultText(result);
        log(QStringLiteral("Extract 7z archive. Error : %1: %2 in %3")
                    .arg(resultText(result), m_itemPath, m_archivePath),
            Logger::Error);
    }
    if (!m_output)
        return S_OK;
    if (m_output->budgetSpent())
        m_budgetSpent = true;
    if (result != 0 || m_output->budgetSpent()) {
        discardOutput();
        return S_OK;
    }
    if (m_timeDefined)
        m_output->setModificationTime(m_modificationTime);
    const HRESULT closed = m_output->close();
    m_output.reset();
    // rename() puts the whole file in place of anything of that name in one
    // step; a link of that name is replaced, never followed.
    if (closed != S_OK
        || std::rename(QFile::encodeName(m_partPath).constData(),
                       QFile::encodeName(m_diskPath).constData())
                != 0) {
        m_writeFailed = true;
        QFile::remove(m_partPath);
        log(QStringLiteral("Extract 7z archive. Can not write:%1").arg(m_diskPath), Logger::Error);
        return closed != S_OK ? closed : S_OK;
    }
    m_written.append(m_diskPath);
    return S_OK;
}

HRESULT CArchiveExtractCallback::CryptoGetTextPassword(BSTR *password)
{
    *password = nullptr;
    m_passwordAsked = true;
    return E_ABORT;
}

QString CArchiveExtractCallback::resultText(Int32 result)
{
    static const char *const texts[] = { "Unsupported Method",
                                         "Data Error",
                                         "CRC Failed",
                                         "Unavailable data",
                                         "Unexpected end of data",
                                         "There are some data after the end of the payload data",
                                         "Is not archive",
                                         "Headers Error" };
    if (result >= 1 && result <= 8)
        return QString::fromLatin1(texts[result - 1]);
    return QStringLiteral("Error #%1").arg(result);
}

} // namespace sevenzip
