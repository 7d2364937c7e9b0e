#include "standalone/panels/bookinfopanel.h"

#include "standalone/gfx/ctransparentstatic.h"
#include "standalone/panels/panelmessages.h"
#include "standalone/text/booktext.h"
#include "standalone/util/ansi.h"
#include "standalone/util/dialogunits.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

#include <QFrame>
#include <QListWidget>
#include <QPainter>
#include <QTimerEvent>

namespace divad {

const QRect BookInfoPanel::CoverRect = QRect(10, 5, 145, 215);

BookInfoPanel::BookInfoPanel(QWidget *parent, BookText *book)
    : QWidget(parent)
    , m_book(book)
{
    setObjectName(QStringLiteral("BookInfoPanel"));
    setFont(DialogFontOf(DialogFont::SongTi9));
    resize(DialogSize(DialogFont::SongTi9, 111, 806));

    m_frame = new QFrame(this);
    m_frame->setObjectName(QStringLiteral("tab1037"));
    m_frame->setFrameShape(QFrame::StyledPanel);
    m_info = new CTransparentStatic(this);
    m_info->setObjectName(QStringLiteral("static1036"));
    m_info->setGeometry(DialogRect(DialogFont::SongTi9, 5, 160, 100, 75));
    m_volumes = new QListWidget(this);
    m_volumes->setObjectName(QStringLiteral("list1035"));
    m_volumes->setGeometry(DialogRect(DialogFont::SongTi9, 5, 235, 100, 160));
    m_volumes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(m_volumes, &QListWidget::currentRowChanged, this, &BookInfoPanel::onVolumeSelected);

    m_frame->setGeometry(-5, 230, width() + 10, height() + 10);
    m_coverLoaded = false;
    m_timer.start(600, this);
}

BookInfoPanel::~BookInfoPanel() = default;

BookText &BookInfoPanel::book() const
{
    return m_book ? *m_book : bookText();
}

void BookInfoPanel::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_timer.timerId())
        OnTimer();
    QWidget::timerEvent(event);
}

void BookInfoPanel::OnTimer()
{
    if (!SamePath(m_lastShownPath, book().CurrentPath())
        || m_volumes->count() != book().VolumeCount()) {
        ++m_rebuilds;
        UpdateInfoText();
        UpdateVolumeList();
        UpdateCover();
    }
    update(CoverRect);
}

QString BookInfoPanel::InfoText(const QString &path, int encoding, int volumeCount)
{
    static const char *const names[] = { "ANSI", "UTF8", "Unicode", "Unicode Big Endian" };
    const QString encodingName = encoding >= 0 && encoding <= 3
            ? QString::fromLatin1(names[encoding])
            : QString();
    const quint32 size = FileSize(path);
    const double megabytes = size / double(1 << 20);
    const double kilobytes = size / double(1 << 10);
    QString suffix;
    if (megabytes >= 1)
        suffix = QStringLiteral(" (") + FormatDecimal(megabytes, 2) + QStringLiteral("MB)");
    else if (kilobytes >= 1)
        suffix = QStringLiteral(" (") + FormatDecimal(kilobytes, 2) + QStringLiteral("KB)");
    return QStringLiteral("文件路径：") + path + QStringLiteral("\r\n文件大小：")
            + QString::number(size) + QStringLiteral("字节") + suffix
            + QStringLiteral("\r\n编码方式：") + encodingName + QStringLiteral("\r\n共分")
            + QString::number(volumeCount) + QStringLiteral("卷");
}

void BookInfoPanel::UpdateInfoText()
{
    const QString path = book().CurrentPath();
    m_info->setText(InfoText(path, int(book().Encoding()), book().VolumeCount()));
    update();
    m_lastShownPath = path;
}

void BookInfoPanel::UpdateVolumeList()
{
    const QSignalBlocker quiet(m_volumes);
    m_volumes->clear();
    const QByteArray prefix = Ansi::fromUnicode(Const::ContinuationPrefix);
    for (int i = 0; i < book().VolumeCount(); ++i) {
        QByteArray excerpt = book().GetVolumeText(i, false, 140);
        excerpt.replace(prefix, QByteArray());
        QByteArray kept;
        kept.reserve(excerpt.size());
        const char *data = excerpt.constData();
        for (int at = 0; at < excerpt.size();) {
            const int length = Ansi::charLength(data, at, excerpt.size());
            const bool fullWidthSpace
                    = length == 2 && uchar(data[at]) == 0xA1 && uchar(data[at + 1]) == 0xA1;
            const char c = data[at];
            if (!fullWidthSpace
                && !(length == 1 && (c == '\t' || c == '\r' || c == '\n' || c == ' ')))
                kept.append(data + at, length);
            at += length;
        }
        m_volumes->addItem(QStringLiteral("第%1卷 ").arg(i + 1) + Ansi::toUnicode(kept));
    }
}

QString BookInfoPanel::CoverFileFor(const QString &path)
{
    const QString stem = StripExtension(path);
    const QString folder = FolderOfPath(path);
    const QStringList candidates = {
        stem + QStringLiteral("face.jpg"),
        stem + QStringLiteral("face.gif"),
        stem + QStringLiteral("face.bmp"),
        JoinPath(folder, QStringLiteral("face.jpg")),
        JoinPath(folder, QStringLiteral("face.gif")),
        JoinPath(folder, QStringLiteral("face.bmp")),
    };
    for (const QString &candidate : candidates) {
        const qint64 size = FileSize64(candidate);
        if (FileExists(candidate) && size > 0 && size < 10000000)
            return candidate;
    }
    return QString();
}

void BookInfoPanel::UpdateCover()
{
    const QString cover = CoverFileFor(book().CurrentPath());
    m_coverLoaded = cover.isEmpty() ? m_picture.LoadFromResource(151, QStringLiteral("JPG"))
                                    : m_picture.LoadFromFile(cover);
}

void BookInfoPanel::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!m_coverLoaded)
        return;
    QPainter painter(this);
    m_picture.UpdateSizeFromDC(this);
    m_picture.Render(&painter, CoverRect);
}

void BookInfoPanel::onVolumeSelected(int row)
{
    if (row >= 0)
        PostToMainWindow(new ShowVolumeEvent(row));
}

} // namespace divad
