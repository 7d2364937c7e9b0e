#include "archive/sevenzip/sevenzipclient.h"

#include "archive/sevenzip/sevenzipcallbacks.h"
#include "core/logger.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <dlfcn.h>
#include <limits>
#include <vector>

using namespace sevenzip;

namespace {

// How far into the file the handler looks for the archive's signature (a
// self-extracting program may stand before it).
constexpr UInt64 maxCheckStartPosition = UInt64(1) << 23;

void log(const QString &text, int level)
{
    Logger::instance()->write(text, level);
}

QString resultCode(HRESULT result)
{
    return QStringLiteral("0x%1").arg(quint32(result), 8, 16, QLatin1Char('0'));
}

// The stored path of an item: false when the library has none to give as
// a string (an item without a name counts as "[Content]" where allowed).
bool readItemPath(IInArchive *handler, UInt32 index, bool emptyAllowed, QString *path)
{
    Variant value;
    if (handler->GetProperty(index, kpidPath, &value) != S_OK)
        return false;
    if (value.vt == VT_BSTR) {
        *path = toQString(value.bstrVal);
        return true;
    }
    if (value.vt == VT_EMPTY && emptyAllowed) {
        *path = QStringLiteral("[Content]");
        return true;
    }
    return false;
}

// Missing or unreadable properties count as 0 / false.
quint64 readNumber(IInArchive *handler, UInt32 index, PROPID property)
{
    Variant value;
    if (handler->GetProperty(index, property, &value) != S_OK)
        return 0;
    if (value.vt == VT_UI8)
        return value.uhVal;
    if (value.vt == VT_UI4)
        return value.ulVal;
    return 0;
}

bool readFlag(IInArchive *handler, UInt32 index, PROPID property)
{
    Variant value;
    return handler->GetProperty(index, property, &value) == S_OK && value.vt == VT_BOOL
            && value.boolVal != 0;
}

// Makes the 7z handler of a loaded library; the reason when it cannot.
QString createHandler(void *module, IInArchive **handler)
{
    const auto moduleProperty
            = reinterpret_cast<GetModulePropFunction>(dlsym(module, "GetModuleProp"));
    if (!moduleProperty)
        return QStringLiteral("it does not tell the layout of its objects (no GetModuleProp)");
    Variant type;
    if (moduleProperty(modulePropInterfaceType, &type) != S_OK || type.vt != VT_UI4
        || type.ulVal != interfaceTypeWithoutDestructor) {
        return QStringLiteral("its objects have another layout (interface type %1)")
                .arg(type.vt == VT_UI4 ? QString::number(type.ulVal) : QStringLiteral("unknown"));
    }
    const auto createObject = reinterpret_cast<CreateObjectFunction>(dlsym(module, "CreateObject"));
    if (!createObject)
        return QStringLiteral("no CreateObject");
    void *object = nullptr;
    const HRESULT result = createObject(&CLSID_Format7z, &IID_IInArchive, &object);
    if (result != S_OK || !object)
        return QStringLiteral("CreateObject answered %1").arg(resultCode(result));
    *handler = static_cast<IInArchive *>(object);
    return QString();
}

} // namespace

// One archive opened on the handler for the length of one call.
class SevenZipClient::OpenArchive
{
public:
    OpenArchive() = default;
    Q_DISABLE_COPY_MOVE(OpenArchive)
    ~OpenArchive()
    {
        // The handler lets go of the file; the streams and callbacks go
        // with their last reference.
        if (handler)
            handler->Close();
    }

    IInArchive *handler = nullptr;
    ComPtr<CInFileStream> stream;
    ComPtr<CArchiveOpenCallback> callback;
    UInt32 count = 0;
    qint64 size = 0;
};

SevenZipClient &SevenZipClient::instance()
{
    static SevenZipClient client;
    return client;
}

QStringList SevenZipClient::defaultLibraryPaths()
{
    QStringList paths;
    if (QCoreApplication::instance())
        paths << QCoreApplication::applicationDirPath() + QStringLiteral("/7z.so");
    paths << QStringLiteral("/usr/lib/p7zip/7z.so");
    return paths;
}

SevenZipClient::SevenZipClient(const QStringList &libraryPaths)
    : m_libraryPaths(libraryPaths)
{
}

SevenZipClient::~SevenZipClient()
{
    if (m_handler)
        m_handler->Release();
    if (m_module)
        dlclose(m_module);
}

bool SevenZipClient::load(QString *problem)
{
    QMutexLocker lock(&m_mutex);
    return loadLocked(problem);
}

QString SevenZipClient::libraryPath() const
{
    QMutexLocker lock(&m_mutex);
    return m_loadedPath;
}

bool SevenZipClient::loadLocked(QString *problem)
{
    if (m_handler)
        return true;
    const QStringList paths = m_libraryPaths.isEmpty() ? defaultLibraryPaths() : m_libraryPaths;
    QStringList reasons;
    for (const QString &path : paths) {
        if (!QFileInfo(path).isFile()) {
            reasons << QStringLiteral("%1: no such file").arg(path);
            continue;
        }
        void *module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
        if (!module) {
            reasons << QString::fromLocal8Bit(dlerror());
            continue;
        }
        IInArchive *handler = nullptr;
        const QString reason = createHandler(module, &handler);
        if (!reason.isEmpty()) {
            reasons << QStringLiteral("%1: %2").arg(path, reason);
            dlclose(module);
            continue;
        }
        m_module = module;
        m_handler = handler;
        m_loadedPath = path;
        log(QStringLiteral("7-Zip codec library loaded [OK]: %1").arg(path), Logger::Info);
        return true;
    }
    log(QStringLiteral("7-Zip codec library can not be loaded [FAILED]: %1")
                .arg(reasons.join(QStringLiteral("; "))),
        Logger::Error);
    if (problem)
        *problem = tr("the 7-Zip codec library can not be loaded");
    return false;
}

bool SevenZipClient::openLocked(const QString &archivePath, OpenArchive &archive, QString *problem)
{
    if (!loadLocked(problem))
        return false;
    const auto fail = [&](const QString &text, const QString &detail) {
        log(QStringLiteral("Open 7z archive [FAILED] %1: %2").arg(archivePath, detail),
            Logger::Error);
        if (problem)
            *problem = text;
        return false;
    };
    archive.stream.reset(new CInFileStream);
    if (!archive.stream->open(archivePath))
        return fail(tr("the archive can not be read"), QString::fromLocal8Bit(strerror(errno)));
    archive.size = QFileInfo(archivePath).size();
    archive.callback.reset(new CArchiveOpenCallback);
    // From here on the handler holds what it read and is closed again.
    archive.handler = m_handler;
    const HRESULT result
            = m_handler->Open(archive.stream.get(), &maxCheckStartPosition, archive.callback.get());
    if (archive.callback->passwordAsked())
        return fail(tr("the archive is encrypted"), QStringLiteral("a password is asked for"));
    if (result != S_OK)
        return fail(tr("the archive is damaged or is no 7z archive"), resultCode(result));
    if (m_handler->GetNumberOfItems(&archive.count) != S_OK)
        return fail(tr("the archive is damaged"), QStringLiteral("no item count"));
    return true;
}

QString SevenZipClient::singleEntrySuffix(const QString &archivePath, QString *problem)
{
    QMutexLocker lock(&m_mutex);
    OpenArchive archive;
    if (!openLocked(archivePath, archive, problem) || archive.count != 1)
        return QString();
    QString path;
    if (!readItemPath(m_handler, 0, false, &path))
        return QString();
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    QString suffix = QFileInfo(path).suffix().toLower();
    // A name without a dot is still one entry: empty, not null.
    if (suffix.isNull())
        suffix = QLatin1String("");
    return suffix;
}

QString SevenZipClient::extract(const QString &archivePath, const QString &destinationFolder,
                                QString *problem)
{
    QMutexLocker lock(&m_mutex);
    OpenArchive archive;
    if (!openLocked(archivePath, archive, problem))
        return QString();
    QString stored;
    if (archive.count != 1 || !readItemPath(m_handler, 0, false, &stored)) {
        if (problem)
            *problem = tr("the archive does not hold exactly one file");
        return QString();
    }
    QStringList written;
    int unsafeNames = 0;
    if (!unpackLocked(archivePath, archive, destinationFolder, EntryFilter(), ArchiveLimits(),
                      &written, &unsafeNames, problem))
        return QString();
    if (written.isEmpty()) {
        if (problem) {
            *problem = unsafeNames > 0
                    ? tr("the file in the archive is named to lie outside its folder")
                    : tr("the archive is damaged");
        }
        return QString();
    }
    return stored;
}

bool SevenZipClient::list(const QString &archivePath, QList<Entry> *entries, QString *problem)
{
    QMutexLocker lock(&m_mutex);
    OpenArchive archive;
    if (!openLocked(archivePath, archive, problem))
        return false;
    if (archive.count > UInt32(ArchiveLimits().maxEntries)) {
        if (problem)
            *problem = tr("the archive unpacks to far more data than a book holds");
        return false;
    }
    entries->clear();
    for (UInt32 index = 0; index < archive.count; ++index) {
        Entry entry;
        readItemPath(m_handler, index, true, &entry.path);
        entry.isFolder = readFlag(m_handler, index, kpidIsDir);
        entry.size = qint64(qMin<quint64>(readNumber(m_handler, index, kpidSize),
                                          quint64(std::numeric_limits<qint64>::max())));
        entry.encrypted = readFlag(m_handler, index, kpidEncrypted);
        entries->append(entry);
    }
    return true;
}

bool SevenZipClient::unpack(const QString &archivePath, const QString &folder,
                            const EntryFilter &filter, const ArchiveLimits &limits,
                            QStringList *written, QString *problem)
{
    QMutexLocker lock(&m_mutex);
    OpenArchive archive;
    if (!openLocked(archivePath, archive, problem))
        return false;
    int unsafeNames = 0;
    return unpackLocked(archivePath, archive, folder, filter, limits, written, &unsafeNames,
                        problem);
}

bool SevenZipClient::unpackLocked(const QString &archivePath, OpenArchive &archive,
                                  const QString &folder, const EntryFilter &filter,
                                  const ArchiveLimits &limits, QStringList *written,
                                  int *unsafeNames, QString *problem)
{
    const auto fail = [&](const QString &text, const QString &detail) {
        log(QStringLiteral("Extract 7z archive [FAILED] %1: %2").arg(archivePath, detail),
            Logger::Error);
        if (problem)
            *problem = text;
        return false;
    };
    const QString bomb = tr("the archive unpacks to far more data than a book holds");
    if (archive.count > UInt32(limits.maxEntries))
        return fail(bomb, QStringLiteral("%1 entries").arg(archive.count));

    // Declared sizes bound what the entries unpack to, so a bomb is refused
    // before a byte is written; the written bytes are counted all the same.
    std::vector<bool> wanted;
    std::vector<UInt32> indices;
    qint64 declared = 0;
    for (UInt32 index = 0; index < archive.count; ++index) {
        if (filter) {
            QString path;
            if (!readItemPath(m_handler, index, true, &path) || !filter(path))
                continue;
        }
        const quint64 size = readNumber(m_handler, index, kpidSize);
        if (size > quint64(limits.maxTotalBytes) || declared + qint64(size) > limits.maxTotalBytes)
            return fail(bomb,
                        QStringLiteral("unpacks to more than %1 bytes").arg(limits.maxTotalBytes));
        declared += qint64(size);
        indices.push_back(index);
    }
    if (limits.exceeded(declared, archive.size))
        return fail(bomb, QStringLiteral("unpacks to %1 bytes").arg(declared));
    if (filter) {
        wanted.assign(archive.count, false);
        for (const UInt32 index : indices)
            wanted[index] = true;
    }
    if (filter && indices.empty())
        return true;
    QDir().mkpath(folder);

    ComPtr<CArchiveExtractCallback> callback(new CArchiveExtractCallback(archivePath));
    callback->Init(m_handler, folder, std::move(wanted), limits.maxTotalBytes);
    const HRESULT result = filter
            ? m_handler->Extract(indices.data(), UInt32(indices.size()), 0, callback.get())
            : m_handler->Extract(nullptr, UInt32(-1), 0, callback.get());
    callback->discardOutput();
    if (written)
        *written = callback->written();
    *unsafeNames = callback->unsafeNames();
    if (callback->passwordAsked())
        return fail(tr("the archive is encrypted"), QStringLiteral("a password is asked for"));
    if (callback->budgetSpent())
        return fail(bomb, QStringLiteral("unpacks to more than it declared"));
    if (callback->errorCount() > 0)
        return fail(tr("the archive is damaged"), callback->firstError());
    if (callback->writeFailed())
        return fail(tr("the unpacked file can not be written"), QStringLiteral("see above"));
    if (result != S_OK)
        return fail(tr("the archive is damaged"), resultCode(result));
    return true;
}
