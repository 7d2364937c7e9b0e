#include "standalone/text/booktext.h"

#include "standalone/settings/readersettings.h"
#include "standalone/util/ansi.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/prompts.h"
#include "standalone/web/constants.h"

#include <QFile>
#include <QFileInfo>
#include <QTextLayout>

#include <vector>

namespace divad {

namespace {

    bool isHtmlPath(const QString &path)
    {
        return path.size() > 5
                && (path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)
                    || path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive));
    }

    bool allAsciiDigits(const QString &text)
    {
        for (const QChar c : text) {
            if (c < QLatin1Char('0') || c > QLatin1Char('9'))
                return false;
        }
        return true;
    }

    // The end of pattern when it stands at data[start], line ends inside it
    // ignored; -1 when it does not.
    int matchSkippingLineEnds(const char *data, int length, int start, const char *pattern)
    {
        int i = start;
        for (const char *p = pattern; *p; ++p) {
            while (i < length && (data[i] == '\r' || data[i] == '\n'))
                ++i;
            if (i >= length || data[i] != *p)
                return -1;
            ++i;
        }
        return i;
    }

    // Given the positions (in width units) where characters start, followed by
    // the total width, the index of the first boundary at or after half and of
    // the last one at or before total - half. Characters are at most two units
    // wide, so the parts come out half or half + 1 units long.
    void middleCut(const std::vector<int> &boundaries, int half, size_t *leftEnd,
                   size_t *rightStart)
    {
        const int total = boundaries.back();
        *leftEnd = 0;
        while (*leftEnd + 1 < boundaries.size() && boundaries[*leftEnd] < half)
            ++*leftEnd;
        *rightStart = boundaries.size() - 1;
        while (*rightStart > 0 && boundaries[*rightStart] > total - half)
            --*rightStart;
    }

} // namespace

BookText::BookText(ReaderSettings *settings)
    : m_settings(settings)
{
}

BookText::~BookText() = default;

ReaderSettings &BookText::settings() const
{
    return m_settings ? *m_settings : readerSettings();
}

bool BookText::fail(const QString &message, bool tellUser)
{
    m_lastError = message;
    if (tellUser)
        ShowMessageBox(message);
    return false;
}

bool BookText::OpenBook(const QString &path, const QPaintDevice *window, int pageTextWidth,
                        int pageTextHeight)
{
    if (!FileExists(path)) {
        m_currentBookPath.clear();
        return PrepareText(Ansi::fromUnicode(QStringLiteral("文件未找到:") + path), window,
                           pageTextWidth, pageTextHeight);
    }
    const QString cannotOpen = QStringLiteral("打开文件失败，文件可能被其他程序锁定，或没有权限读");
    // A folder, a pipe or a device is no book, and opening a pipe would wait
    // for a writer forever.
    if (!QFileInfo(path).isFile())
        return fail(cannotOpen, true);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(cannotOpen, true);
    const qint64 size = file.size();
    if (size > MaximumFileBytes)
        return fail(QStringLiteral("文件太大，无法打开（最大%1MB）：\r\n%2")
                            .arg(MaximumFileBytes / (1024 * 1024))
                            .arg(path),
                    true);
    QByteArray image = file.read(size);
    if (image.size() != size)
        return fail(cannotOpen, true);
    file.close();

    const TextEncoding encoding = CTextDecoder::DetectEncoding(image.left(3));
    QByteArray text;
    if (encoding != TextEncoding::Ansi) {
        CTextDecoder decoder;
        if (decoder.Decode(image))
            text = decoder.takeText();
    } else {
        text = std::move(image);
        text.replace('\0', ' ');
    }
    image = QByteArray();
    if (isHtmlPath(path))
        text = HtmlToText(text);
    if (text.isEmpty())
        text = Ansi::fromUnicode(QStringLiteral("该文件无内容：") + path);
    m_encoding = encoding;
    m_currentBookPath = path;
    return PrepareText(text, window, pageTextWidth, pageTextHeight);
}

bool BookText::PrepareText(const QByteArray &text, const QPaintDevice *window, int pageTextWidth,
                           int pageTextHeight)
{
    SplitVolumes(text);
    return LayoutVolume(0, window, pageTextWidth, pageTextHeight);
}

int BookText::VolumeSize() const
{
    const int height = settings().FontHeight();
    return int(16.0 / height * 30000.0);
}

void BookText::SplitVolumes(const QByteArray &text)
{
    m_volumes.clear();
    m_currentVolume = 0;
    const int size = VolumeSize();
    const char *data = text.constData();
    const int length = text.size();
    int start = 0;
    bool halfCharacter = false;
    for (int i = 0; i < length; ++i) {
        const uchar byte = uchar(data[i]);
        if (halfCharacter)
            halfCharacter = false; // the second byte of a pair
        else
            halfCharacter = Ansi::charLength(data, i, length) == 2;
        const int filled = i + 1 - start;
        const bool close = (filled > size && !halfCharacter && byte == '\n')
                || (filled > size + 100 && !halfCharacter)
                || (filled > 2 * size - 1 && !halfCharacter);
        if (close) {
            m_volumes << text.mid(start, filled);
            start = i + 1;
        }
    }
    if (start < length)
        m_volumes << text.mid(start);

    if (m_volumes.size() >= 2) {
        const QByteArray prefix = Ansi::fromUnicode(Const::ContinuationPrefix);
        const QByteArray suffix = Ansi::fromUnicode(Const::ContinuationSuffix);
        for (int i = 0; i < m_volumes.size(); ++i) {
            if (i > 0)
                m_volumes[i].prepend(prefix);
            if (i + 1 < m_volumes.size())
                m_volumes[i].append(suffix);
        }
    }
}

QByteArray BookText::HtmlToText(const QByteArray &text)
{
    if (text.size() < 10)
        return text;
    // First pass: line ends of the source go (a tag split by one still
    // counts), "</title>", "<p>" and "<br>" as written become line breaks,
    // and every space goes.
    static const char *const breaks[] = { "</title>", "<p>", "<br>" };
    const char *in = text.constData();
    const int length = text.size();
    QByteArray result(length + length / 2 + 2, Qt::Uninitialized);
    char *out = result.data();
    int kept = 0;
    for (int i = 0; i < length; ++i) {
        const char byte = in[i];
        if (byte == '\r' || byte == '\n' || byte == ' ')
            continue;
        if (byte == '<') {
            int end = -1;
            for (const char *tag : breaks) {
                end = matchSkippingLineEnds(in, length, i, tag);
                if (end >= 0)
                    break;
            }
            if (end >= 0) {
                out[kept++] = '\r';
                out[kept++] = '\n';
                i = end - 1;
                continue;
            }
        }
        out[kept++] = byte;
    }
    result.truncate(kept);
    if (result.size() < 10)
        return result;

    // Second pass: tags are dropped, with no regard to quotes or comments.
    char *data = result.data();
    kept = 0;
    bool copying = true;
    for (int i = 0; i < result.size(); ++i) {
        const char byte = data[i];
        if (byte == '<')
            copying = false;
        else if (byte == '>')
            copying = true;
        else if (copying)
            data[kept++] = byte;
    }
    result.truncate(kept);

    // Four entities, as if each were replaced through the whole text in
    // turn: "&amp;lt;" stays "&lt;", but "&amp;nbsp;" ends as a space.
    const auto at = [&](int i, const char *entity) {
        return qstrncmp(data + i, entity, qstrlen(entity)) == 0;
    };
    const int stripped = result.size();
    kept = 0;
    for (int i = 0; i < stripped;) {
        if (data[i] != '&') {
            data[kept++] = data[i++];
        } else if (at(i, "&lt;")) {
            data[kept++] = '<';
            i += 4;
        } else if (at(i, "&gt;")) {
            data[kept++] = '>';
            i += 4;
        } else if (at(i, "&amp;nbsp;")) {
            data[kept++] = ' ';
            i += 10;
        } else if (at(i, "&amp;")) {
            data[kept++] = '&';
            i += 5;
        } else if (at(i, "&nbsp;")) {
            data[kept++] = ' ';
            i += 6;
        } else {
            data[kept++] = data[i++];
        }
    }
    result.truncate(kept);
    return result;
}

bool BookText::HasNextVolume() const
{
    return VolumeCount() > 0 && m_currentVolume < VolumeCount() - 1;
}

bool BookText::HasPreviousVolume() const
{
    return VolumeCount() > 0 && m_currentVolume > 0;
}

QByteArray BookText::GetVolumeText(int index, bool whole, int maxBytes) const
{
    if (m_volumes.isEmpty())
        return QByteArray();
    const QByteArray &volume = m_volumes.at(qBound(0, index, VolumeCount() - 1));
    return whole ? volume : ShortenMiddle(volume, maxBytes);
}

QByteArray BookText::ShortenMiddle(const QByteArray &text, int maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    std::vector<int> boundaries;
    const char *data = text.constData();
    for (int i = 0; i < text.size(); i += Ansi::charLength(data, i, text.size()))
        boundaries.push_back(i);
    boundaries.push_back(text.size());
    size_t leftEnd, rightStart;
    middleCut(boundaries, qMax(0, maxBytes) / 2, &leftEnd, &rightStart);
    return text.left(boundaries[leftEnd]) + "..." + text.mid(boundaries[rightStart]);
}

QString BookText::ShortenMiddle(const QString &text, int maxBytes)
{
    if (Ansi::widthOf(text) <= maxBytes)
        return text;
    std::vector<int> boundaries; // in width units
    std::vector<int> positions; // the same places as indexes into text
    int width = 0;
    for (int i = 0; i < text.size();) {
        const int units = text.at(i).isHighSurrogate() && i + 1 < text.size()
                        && text.at(i + 1).isLowSurrogate()
                ? 2
                : 1;
        boundaries.push_back(width);
        positions.push_back(i);
        width += Ansi::widthOf(text.mid(i, units));
        i += units;
    }
    boundaries.push_back(width);
    positions.push_back(text.size());
    size_t leftEnd, rightStart;
    middleCut(boundaries, qMax(0, maxBytes) / 2, &leftEnd, &rightStart);
    return text.left(positions[leftEnd]) + QStringLiteral("...") + text.mid(positions[rightStart]);
}

QString BookText::BookDisplayName() const
{
    if (m_currentBookPath.isEmpty())
        return QString();
    const QString name = StripExtension(FileNameOfPath(m_currentBookPath));
    if (allAsciiDigits(name))
        return ParentFolderName(m_currentBookPath) + QLatin1Char('\\') + name;
    return name;
}

QString BookText::BookMenuName(int width) const
{
    width = qBound(30, width, 170);
    double bytes = width * 0.01 * 29;
    if (width <= 55)
        bytes -= 2;
    return ShortenMiddle(BookDisplayName(), int(bytes));
}

QString BookText::FindSiblingBook(const QString &path, bool previous)
{
    const QString folder = FolderOfPath(path);
    const QString fileName = FileNameOfPath(path);
    const bool hasExtension = fileName.contains(QLatin1Char('.'));
    const QString stem = StripExtension(fileName);
    const QString extension = ExtensionOf(fileName);
    const auto candidate = [&](const QString &newStem) {
        return JoinPath(folder, hasExtension ? newStem + QLatin1Char('.') + extension : newStem);
    };

    int digitsStart = stem.size();
    while (digitsStart > 0 && stem.at(digitsStart - 1) >= QLatin1Char('0')
           && stem.at(digitsStart - 1) <= QLatin1Char('9'))
        --digitsStart;
    const QString digits = stem.mid(digitsStart);
    QString base = stem.left(digitsStart);

    if (digits.isEmpty() && Ansi::widthOf(base) > 2) {
        const QChar last = base.at(base.size() - 1);
        const QChar first = QChar(0x4E0A); // 上
        const QChar middle = QChar(0x4E2D); // 中
        const QChar final = QChar(0x4E0B); // 下
        QList<QChar> tries;
        if (last == first && !previous)
            tries = { middle, final };
        else if (last == middle)
            tries = { previous ? first : final };
        else if (last == final && previous)
            tries = { middle, first };
        QString tried;
        for (const QChar part : tries) {
            tried = base.left(base.size() - 1) + part;
            const QString path = candidate(tried);
            if (FileExists(path))
                return path;
        }
        if (!tried.isEmpty())
            base = tried;
    }

    qint64 number = 0;
    if (!digits.isEmpty()) {
        bool ok = false;
        number = digits.toLongLong(&ok);
        if (!ok)
            return QString();
    }
    number += previous ? -1 : 1;
    for (int zeros = 0; zeros <= 9; ++zeros) {
        const QString path
                = candidate(base + QString(zeros, QLatin1Char('0')) + QString::number(number));
        if (FileExists(path))
            return path;
    }
    return QString();
}

BookText &bookText()
{
    static BookText text;
    return text;
}

} // namespace divad
