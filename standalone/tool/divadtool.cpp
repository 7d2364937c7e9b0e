// divad-tool: the reader's engine from the shell. Each command prints one
// JSON object on standard output and exits 0, or prints {"error": ...} and
// exits 1.

#include "standalone/gfx/cmemcanvas.h"
#include "standalone/gfx/drawcontext.h"
#include "standalone/gfx/drawing.h"
#include "standalone/settings/cinifile.h"
#include "standalone/settings/crecentfiles.h"
#include "standalone/settings/readersettings.h"
#include "standalone/text/booktext.h"
#include "standalone/text/cbookinfostore.h"
#include "standalone/util/ansi.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/prompts.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>

using namespace divad;

namespace {

QString g_lastMessage;

void print(const QJsonObject &object)
{
    const QByteArray json = QJsonDocument(object).toJson(QJsonDocument::Indented);
    fwrite(json.constData(), 1, size_t(json.size()), stdout);
}

int fail(const QString &message)
{
    print(QJsonObject { { QStringLiteral("error"), message } });
    return 1;
}

bool parseSize(const QString &text, QSize *size)
{
    const QStringList parts = text.split(QLatin1Char('x'));
    if (parts.size() != 2)
        return false;
    bool okWidth = false, okHeight = false;
    const int width = parts.at(0).toInt(&okWidth);
    const int height = parts.at(1).toInt(&okHeight);
    if (!okWidth || !okHeight || width < 200 || height < 150 || width > 8000 || height > 8000)
        return false;
    *size = QSize(width, height);
    return true;
}

QString shown(const QByteArray &ansi)
{
    return Ansi::toUnicode(ansi);
}

// The page text area of a window of size, as the reading window lays it
// out on its first spread.
struct SpreadGeometry
{
    QRect leftPage, rightPage, leftText, rightText, leftFooter, rightFooter;
    int leftStack = 0;
    int rightStackLeft = 0;
};

SpreadGeometry geometry(const QSize &size, int spread, int spreadCount)
{
    const double W = size.width();
    const double H = size.height();
    const double L = W * (1 - 0.955) * spread / spreadCount;
    const double R = W * (1 - 0.955) * (1 - double(spread + 1) / spreadCount);
    SpreadGeometry g;
    g.leftStack = int(L);
    g.rightStackLeft = int(W - R);
    const int bookLeft = int(L);
    const int bookRight = int(W - R);
    const int middle = int((bookLeft + bookRight) * 0.5);
    g.leftPage = Ltrb(bookLeft, 0, middle, int(H));
    g.rightPage = Ltrb(middle, 0, bookRight, int(H));
    const int textTop = int(H * 0.075);
    const int textBottom = int(H - H * 0.05);
    g.leftText = Ltrb(int(W * 0.05 + bookLeft), textTop, int(middle - W * 0.04), textBottom);
    g.rightText = Ltrb(int(W * 0.04 + middle), textTop, int(bookRight - W * 0.05), textBottom);
    g.leftFooter = Ltrb(bookLeft, textBottom, middle, int(H));
    g.rightFooter = Ltrb(middle, textBottom, bookRight, int(H));
    return g;
}

// A plain rendering of one spread: paper, spine, page stacks, the text lines
// copied out of the volume canvas, and the footers.
QImage renderSpread(BookText &book, const QSize &size)
{
    CMemCanvas window;
    window.Setup(nullptr, 0, 0, size.width(), size.height());
    window.SetColour(QColor(214, 208, 192));
    window.Clear();
    DrawContext *dc = window.DC();
    if (!dc)
        return QImage();
    const int spreadCount = qMax(1, book.SpreadCount());
    const int spread = qBound(0, book.CurrentSpread(), spreadCount - 1);
    const SpreadGeometry g = geometry(size, spread, spreadCount);

    dc->FillSolidRect(g.leftPage.adjusted(1, 1, 0, -1), QColor(250, 246, 232));
    dc->FillSolidRect(g.rightPage.adjusted(0, 1, -1, -1), QColor(250, 246, 232));
    const QColor background(214, 208, 192);
    for (int i = 0; i < 35; ++i) {
        const int step = int(i * 100 / 35.0);
        const QColor shade(qMax(0, background.red() - step), qMax(0, background.green() - step),
                           qMax(0, background.blue() - step));
        dc->SelectPen(QPen(shade, 1));
        dc->MoveTo(QPoint(g.leftPage.right() + 1 - 35 + i, 1));
        dc->LineTo(QPoint(g.leftPage.right() + 1 - 35 + i, size.height() - 1));
        dc->MoveTo(QPoint(g.rightPage.left() + 35 - i, 1));
        dc->LineTo(QPoint(g.rightPage.left() + 35 - i, size.height() - 1));
    }
    dc->SelectPen(QPen(Qt::black, 1));
    dc->MoveTo(QPoint((g.leftPage.left() + g.rightPage.right() + 1) / 2, 0));
    dc->LineTo(QPoint((g.leftPage.left() + g.rightPage.right() + 1) / 2, size.height()));
    const double d = qMax(2.0, size.width() * (1 - 0.955) / spreadCount);
    for (int k = 0; k < spread; ++k) {
        const int x = int(qMin(k * d, double(g.leftStack)));
        dc->MoveTo(QPoint(x, 0));
        dc->LineTo(QPoint(x, size.height()));
    }
    for (int k = 0; k < spreadCount - spread; ++k) {
        const int x = qMin(int(g.rightStackLeft + k * d), size.width() - 1);
        dc->MoveTo(QPoint(x, 0));
        dc->LineTo(QPoint(x, size.height()));
    }

    const CMemCanvas &volume = book.SpreadCanvas(spread);
    if (volume.IsValid()) {
        const int off = (g.leftText.width() - book.TextBlockWidth()) / 2;
        for (int i = 0; i < book.LinesPerPage(); ++i) {
            dc->BitBlt(g.leftText.left() + off, g.leftText.top() + i * book.LinePitch(),
                       book.TextBlockWidth(), book.LineHeight(), *volume.DC(), 0,
                       book.PageSourceOffset(spread, true) + i * book.LineHeight(), RasterOp::And);
            dc->BitBlt(g.rightText.left() + off + 5, g.rightText.top() + i * book.LinePitch(),
                       book.TextBlockWidth(), book.LineHeight(), *volume.DC(), 0,
                       book.PageSourceOffset(spread, false) + i * book.LineHeight(), RasterOp::And);
        }
    }

    QString title = book.BookMenuName(100);
    if (!title.contains(QStringLiteral("《")))
        title.prepend(QStringLiteral("《"));
    if (!title.contains(QStringLiteral("》")))
        title.append(QStringLiteral("》"));
    const int margin = int(size.width() * 0.05);
    DrawLabel(dc, QString::number(2 * spread + 1), g.leftFooter.adjusted(margin, 4, 0, 0), false,
              false);
    DrawLabel(dc, title, g.leftFooter.adjusted(0, 4, 0, 0), true, false);
    DrawLabel(dc, QString::number(2 * spread + 2), g.rightFooter.adjusted(0, 4, -margin, 0), false,
              true);
    const QString volumeText = book.VolumeCount() >= 2 ? QStringLiteral("※第%1卷/共%2卷※")
                                                                 .arg(book.CurrentVolume() + 1)
                                                                 .arg(book.VolumeCount())
                                                       : title;
    DrawLabel(dc, volumeText, g.rightFooter.adjusted(0, 4, 0, 0), true, false);
    for (const int rise : { 10, 8, 7 }) {
        dc->MoveTo(QPoint(g.leftFooter.left() + margin, g.leftFooter.top() - rise));
        dc->LineTo(QPoint(g.leftFooter.right() + 1 - int(size.width() * 0.04 + 5),
                          g.leftFooter.top() - rise));
        dc->MoveTo(QPoint(g.rightFooter.left() + int(size.width() * 0.04 + 5),
                          g.rightFooter.top() - rise));
        dc->LineTo(QPoint(g.rightFooter.right() + 1 - margin, g.rightFooter.top() - rise));
    }
    QImage image = window.Image().copy();
    return image;
}

QJsonObject volumesJson(const BookText &book)
{
    QJsonArray volumes;
    for (int i = 0; i < book.VolumeCount(); ++i) {
        const QByteArray text = book.GetVolumeText(i, true, 0);
        volumes.append(QJsonObject {
                { QStringLiteral("index"), i },
                { QStringLiteral("bytes"), text.size() },
                { QStringLiteral("preview"), shown(book.GetVolumeText(i, false, 60)) },
        });
    }
    return QJsonObject {
        { QStringLiteral("path"), book.CurrentPath() },
        { QStringLiteral("encoding"), EncodingName(book.Encoding()) },
        { QStringLiteral("displayName"), book.BookDisplayName() },
        { QStringLiteral("volumeSize"), book.VolumeSize() },
        { QStringLiteral("volumeCount"), book.VolumeCount() },
        { QStringLiteral("volumes"), volumes },
    };
}

QJsonObject layoutJson(const BookText &book)
{
    return QJsonObject {
        { QStringLiteral("volume"), book.CurrentVolume() },
        { QStringLiteral("lineHeight"), book.LineHeight() },
        { QStringLiteral("linePitch"), book.LinePitch() },
        { QStringLiteral("textBlockWidth"), book.TextBlockWidth() },
        { QStringLiteral("linesPerPage"), book.LinesPerPage() },
        { QStringLiteral("totalLines"), book.TotalLines() },
        { QStringLiteral("spreadCount"), book.SpreadCount() },
    };
}

struct BookOptions
{
    QSize size = QSize(1000, 700);
    int volume = 0;
    int spread = 0;
};

bool openBook(BookText &book, ReaderSettings &settings, const QCommandLineParser &parser,
              BookOptions *options, QString *error)
{
    if (parser.isSet(QStringLiteral("font-height")))
        settings.SetFontHeight(parser.value(QStringLiteral("font-height")).toInt());
    if (parser.isSet(QStringLiteral("line-space")))
        settings.SetLineSpacing(parser.value(QStringLiteral("line-space")).toInt());
    if (parser.isSet(QStringLiteral("size"))
        && !parseSize(parser.value(QStringLiteral("size")), &options->size)) {
        *error = QStringLiteral("--size wants WxH, from 200x150 to 8000x8000");
        return false;
    }
    options->volume = parser.value(QStringLiteral("volume")).toInt();
    options->spread = parser.value(QStringLiteral("spread")).toInt();
    const QStringList arguments = parser.positionalArguments();
    if (arguments.size() < 2) {
        *error = QStringLiteral("name a book");
        return false;
    }
    const QString path = QFileInfo(arguments.at(1)).absoluteFilePath();
    const SpreadGeometry g = geometry(options->size, 0, 1);
    QImage device(1, 1, QImage::Format_RGB32);
    if (!book.OpenBook(path, &device, BookText::PageTextWidthFor(options->size.width()),
                       g.leftText.height())) {
        *error = g_lastMessage.isEmpty() ? book.lastError() : g_lastMessage;
        return false;
    }
    if (options->volume != 0
        && !book.LayoutVolume(options->volume, &device,
                              BookText::PageTextWidthFor(options->size.width()),
                              g.leftText.height())) {
        *error = book.lastError();
        return false;
    }
    book.SetCurrentSpread(qBound(0, options->spread, book.SpreadCount() - 1));
    return true;
}

QJsonObject entryJson(const PositionEntry &entry)
{
    return QJsonObject {
        { QStringLiteral("volume"), entry.volume },
        { QStringLiteral("spread"), entry.spread },
        { QStringLiteral("note"), shown(CBookInfoStore::GetNote(entry)) },
    };
}

QJsonObject storeJson(const CBookInfoStore &store)
{
    QJsonArray records;
    for (int i = 0; i < CBookInfoStore::RecordCount; ++i) {
        if (!store.IsUsed(i))
            continue;
        QJsonArray bookmarks;
        for (int b = 0; b < store.RecordBookmarkCount(i); ++b)
            bookmarks.append(entryJson(store.RecordBookmark(i, b)));
        const PositionEntry position = store.RecordPosition(i);
        records.append(QJsonObject {
                { QStringLiteral("record"), i },
                { QStringLiteral("path"), store.RecordPath(i) },
                { QStringLiteral("usage"), store.UsageCounter(i) },
                { QStringLiteral("volume"), position.volume },
                { QStringLiteral("spread"), position.spread },
                { QStringLiteral("bookmarks"), bookmarks },
        });
    }
    return QJsonObject { { QStringLiteral("file"), store.FilePath() },
                         { QStringLiteral("records"), records } };
}

QJsonObject settingsJson(ReaderSettings &settings, const CRecentFiles &recent)
{
    QJsonArray files;
    for (int i = 0; i < CRecentFiles::Capacity; ++i)
        files.append(recent.GetAt(i));
    return QJsonObject {
        { QStringLiteral("fontface"), settings.FontFace() },
        { QStringLiteral("fontheight"), settings.FontHeight() },
        { QStringLiteral("linespace"), settings.LineSpacing() },
        { QStringLiteral("pageanimationspeed"), settings.AnimationSpeed() },
        { QStringLiteral("PageSound"), settings.PageSoundOn() ? 1 : 0 },
        { QStringLiteral("skin"), settings.SkinIndex() },
        { QStringLiteral("lastreadfile"),
          ReadSettingString(QStringLiteral("global"), QStringLiteral("lastreadfile")) },
        { QStringLiteral("recentfiles"), files },
        { QStringLiteral("flagclearbeforeexit"), recent.ClearOnExit() },
    };
}

int runCfg(const QStringList &arguments)
{
    const QString action = arguments.value(1);
    if (action != QLatin1String("dump") && action != QLatin1String("roundtrip"))
        return fail(QStringLiteral("cfg wants dump or roundtrip"));
    const QString source = arguments.size() > 2 ? QFileInfo(arguments.at(2)).absoluteFilePath()
                                                : ProgramFolderFile(Const::CfgIni);
    if (arguments.size() > 2 && !QFileInfo(source).isFile())
        return fail(QStringLiteral("no settings file %1").arg(source));
    // The reader reads its settings from its data folder; work on a copy there,
    // so that a round trip never touches the file itself.
    QTemporaryDir scratch;
    if (!scratch.isValid())
        return fail(QStringLiteral("no scratch folder"));
    if (QFileInfo(source).isFile() && !QFile::copy(source, scratch.filePath(Const::CfgIni)))
        return fail(QStringLiteral("cannot read %1").arg(source));
    qputenv("DIVAD_HOME", QFile::encodeName(scratch.path()));

    const auto load = [](ReaderSettings *settings, CRecentFiles *recent) {
        settings->LoadReaderSettings();
        settings->SetSkinIndex(ReadSettingInt(QStringLiteral("global"), QStringLiteral("skin")));
        recent->Load();
    };
    ReaderSettings settings;
    load(&settings, &recentFiles());
    const QJsonObject before = settingsJson(settings, recentFiles());
    QJsonObject result { { QStringLiteral("file"), source },
                         { QStringLiteral("settings"), before } };
    if (action == QLatin1String("dump")) {
        print(result);
        return 0;
    }
    // Written back the way the reader does when it closes, then read again.
    settings.SaveReaderSettings(
            ReadSettingString(QStringLiteral("global"), QStringLiteral("lastreadfile")));
    ReaderSettings again;
    CRecentFiles recentAgain;
    load(&again, &recentAgain);
    const QJsonObject after = settingsJson(again, recentAgain);
    QFile written(ProgramFolderFile(Const::CfgIni));
    written.open(QIODevice::ReadOnly);
    result.insert(QStringLiteral("reread"), after);
    result.insert(QStringLiteral("written"), QString::fromUtf8(written.readAll()));
    result.insert(QStringLiteral("same"), after == before);
    print(result);
    return after == before ? 0 : 1;
}

int runBookInfo(const QStringList &arguments)
{
    const QString action = arguments.value(1);
    const QString path = arguments.size() > 2 ? QFileInfo(arguments.at(2)).absoluteFilePath()
                                              : ProgramFolderFile(Const::BookInfoFile);
    CBookInfoStore store(path);
    if (!store.lastError().isEmpty())
        return fail(store.lastError());
    QJsonObject result = storeJson(store);
    if (action == QLatin1String("dump")) {
        print(result);
        return 0;
    }
    if (action != QLatin1String("roundtrip"))
        return fail(QStringLiteral("bookinfo wants dump or roundtrip"));
    QTemporaryDir scratch;
    const QString copy = scratch.filePath(Const::BookInfoFile);
    store.SetFilePath(copy);
    if (!store.Save())
        return fail(store.lastError());
    CBookInfoStore reread(copy);
    QFile original(path);
    QByteArray expected(int(CBookInfoStore::FileBytes), '\0');
    if (original.open(QIODevice::ReadOnly))
        original.read(expected.data(), CBookInfoStore::FileBytes);
    const bool same
            = reread.Image() == expected && QFileInfo(copy).size() == CBookInfoStore::FileBytes;
    result.insert(QStringLiteral("bytes"), QFileInfo(copy).size());
    result.insert(QStringLiteral("same"), same);
    print(result);
    return same ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("divad-tool"));
    SetMessageBoxHandler([](const QString &text) { g_lastMessage = text; });

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "The divad reader's engine from the shell.\n"
            "  volumes BOOK             encoding and volumes of a book\n"
            "  decode BOOK [--out F]    the book's text (UTF-8 to F, or a summary)\n"
            "  spread BOOK --out F.png  a PNG of one laid-out spread\n"
            "  bookinfo dump|roundtrip [FILE]   the book records store\n"
            "  cfg dump|roundtrip [FILE]        the settings file\n"
            "Files live in $DIVAD_HOME, else beside the program or in ~/.config/divad."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("what to do"));
    parser.addOption(
            { QStringLiteral("out"), QStringLiteral("output file"), QStringLiteral("file") });
    parser.addOption(
            { QStringLiteral("size"), QStringLiteral("window size"), QStringLiteral("WxH") });
    parser.addOption({ QStringLiteral("volume"), QStringLiteral("volume to lay out"),
                       QStringLiteral("n"), QStringLiteral("0") });
    parser.addOption({ QStringLiteral("spread"), QStringLiteral("spread to show"),
                       QStringLiteral("n"), QStringLiteral("0") });
    parser.addOption({ QStringLiteral("font-height"), QStringLiteral("book font height, 16-46"),
                       QStringLiteral("px") });
    parser.addOption({ QStringLiteral("line-space"), QStringLiteral("line spacing, 5-25"),
                       QStringLiteral("px") });
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    const QString command = arguments.value(0);

    if (command == QLatin1String("bookinfo"))
        return runBookInfo(arguments);
    if (command == QLatin1String("cfg"))
        return runCfg(arguments);
    if (command != QLatin1String("volumes") && command != QLatin1String("decode")
        && command != QLatin1String("spread")) {
        parser.showHelp(2);
    }

    ReaderSettings settings;
    BookText book(&settings);
    BookOptions options;
    QString error;
    if (!openBook(book, settings, parser, &options, &error))
        return fail(error);

    QJsonObject result = volumesJson(book);
    if (command == QLatin1String("decode")) {
        QByteArray whole;
        for (int i = 0; i < book.VolumeCount(); ++i)
            whole += book.GetVolumeText(i, true, 0);
        const QString text = shown(whole);
        result.remove(QStringLiteral("volumes"));
        result.insert(QStringLiteral("ansiBytes"), whole.size());
        result.insert(QStringLiteral("characters"), text.size());
        result.insert(QStringLiteral("start"), text.left(80));
        if (parser.isSet(QStringLiteral("out"))) {
            QFile out(parser.value(QStringLiteral("out")));
            if (!out.open(QIODevice::WriteOnly) || out.write(text.toUtf8()) < 0)
                return fail(QStringLiteral("cannot write %1").arg(out.fileName()));
            result.insert(QStringLiteral("out"), out.fileName());
        }
    } else if (command == QLatin1String("spread")) {
        if (!parser.isSet(QStringLiteral("out")))
            return fail(QStringLiteral("spread wants --out FILE.png"));
        QImage device(1, 1, QImage::Format_RGB32);
        DrawContext window(&device);
        settings.InitSkinAndFonts(&window);
        const QImage image = renderSpread(book, options.size);
        if (image.isNull() || !image.save(parser.value(QStringLiteral("out")), "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(parser.value(QStringLiteral("out"))));
        result.remove(QStringLiteral("volumes"));
        result.insert(QStringLiteral("layout"), layoutJson(book));
        result.insert(QStringLiteral("spread"), book.CurrentSpread());
        result.insert(QStringLiteral("out"), parser.value(QStringLiteral("out")));
    } else {
        result.insert(QStringLiteral("layout"), layoutJson(book));
    }
    print(result);
    return 0;
}
