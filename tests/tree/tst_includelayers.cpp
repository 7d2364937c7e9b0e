#include "tests/support/testenvironment.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

namespace {

struct Rule
{
    QString folder;
    // Folders a file here may include from; empty means "any but the
    // forbidden ones".
    QStringList allowed;
    QStringList forbidden;
};

// The floor plan, lowest first. A folder names the folders below it that it
// leans on; nothing reaches up.
const QList<Rule> &rules()
{
    static const QList<Rule> table {
        { QStringLiteral("core"), { QStringLiteral("core") }, {} },
        { QStringLiteral("platform"), { QStringLiteral("core"), QStringLiteral("platform") }, {} },
        // Layers that stand in for an outside library lean on nothing of ours
        // but the foundation.
        { QStringLiteral("platform/unrar"),
          { QStringLiteral("core"), QStringLiteral("platform/unrar") },
          {} },
        { QStringLiteral("archive"),
          { QStringLiteral("core"), QStringLiteral("platform/unrar"), QStringLiteral("archive") },
          {} },
        { QStringLiteral("document"),
          { QStringLiteral("core"), QStringLiteral("archive"), QStringLiteral("document") },
          {} },
        { QStringLiteral("formats"),
          { QStringLiteral("core"), QStringLiteral("archive"), QStringLiteral("document"),
            QStringLiteral("formats"), QStringLiteral("widgets/handover") },
          {} },
        { QStringLiteral("widgets"), { QStringLiteral("core"), QStringLiteral("widgets") }, {} },
        { QStringLiteral("pages"), { QStringLiteral("core"), QStringLiteral("pages") }, {} },
        { QStringLiteral("pagination"),
          { QStringLiteral("core"), QStringLiteral("pagination") },
          {} },
        { QStringLiteral("webpolicy"), { QStringLiteral("core"), QStringLiteral("webpolicy") }, {} },
        { QStringLiteral("pager"),
          { QStringLiteral("core"), QStringLiteral("pagination"), QStringLiteral("webpolicy"),
            QStringLiteral("pager") },
          {} },
        { QStringLiteral("library/db"), { QStringLiteral("core"), QStringLiteral("library/db") }, {} },
        { QStringLiteral("library"),
          {},
          { QStringLiteral("app"), QStringLiteral("reader"), QStringLiteral("pager"),
            QStringLiteral("pdf"), QStringLiteral("comics"), QStringLiteral("standalone"),
            QStringLiteral("tools"), QStringLiteral("tests") } },
        // Adding a comic or a PDF book reads it as its document does, for
        // its title and cover; the viewers stay out of reach.
        { QStringLiteral("library/workers"),
          {},
          { QStringLiteral("app"), QStringLiteral("reader"), QStringLiteral("pager"),
            QStringLiteral("pdf/pdfviewer.h"), QStringLiteral("comics/imageviewer.h"),
            QStringLiteral("standalone"), QStringLiteral("tools"), QStringLiteral("tests") } },
        { QStringLiteral("reader"),
          {},
          { QStringLiteral("app"), QStringLiteral("pager"), QStringLiteral("library/view"),
            QStringLiteral("standalone"), QStringLiteral("crashreporter"), QStringLiteral("tools"),
            QStringLiteral("tests") } },
        // The comic document and the image viewer: documents, archives and
        // the widget kit, nothing of the library or the reading view (which
        // includes them).
        { QStringLiteral("comics"),
          { QStringLiteral("core"), QStringLiteral("archive"), QStringLiteral("document"),
            QStringLiteral("widgets"), QStringLiteral("comics") },
          {} },
        { QStringLiteral("pdf"),
          {},
          { QStringLiteral("app"), QStringLiteral("pager"), QStringLiteral("library"),
            QStringLiteral("standalone"), QStringLiteral("crashreporter"), QStringLiteral("tools"),
            QStringLiteral("tests") } },
        { QStringLiteral("app"),
          {},
          { QStringLiteral("pager"), QStringLiteral("standalone"), QStringLiteral("crashreporter"),
            QStringLiteral("tools"), QStringLiteral("tests") } },
        { QStringLiteral("standalone"),
          { QStringLiteral("core"), QStringLiteral("standalone") },
          {} },
        // The crash reporter is a program of its own beside the main one.
        { QStringLiteral("crashreporter"),
          { QStringLiteral("core"), QStringLiteral("platform"), QStringLiteral("crashreporter") },
          {} },
        // The reader's engine, from its helpers up to its text model.
        { QStringLiteral("standalone/util"),
          { QStringLiteral("core"), QStringLiteral("standalone/util") },
          {} },
        { QStringLiteral("standalone/web"),
          { QStringLiteral("core"), QStringLiteral("standalone/util"),
            QStringLiteral("standalone/web") },
          {} },
        { QStringLiteral("standalone/gfx"),
          { QStringLiteral("core"), QStringLiteral("standalone/util"),
            QStringLiteral("standalone/web"), QStringLiteral("standalone/gfx") },
          {} },
        { QStringLiteral("standalone/settings"),
          { QStringLiteral("core"), QStringLiteral("standalone/util"),
            QStringLiteral("standalone/web"), QStringLiteral("standalone/gfx"),
            QStringLiteral("standalone/settings") },
          {} },
        { QStringLiteral("standalone/text"),
          { QStringLiteral("core"), QStringLiteral("standalone/util"),
            QStringLiteral("standalone/web"), QStringLiteral("standalone/gfx"),
            QStringLiteral("standalone/settings"), QStringLiteral("standalone/text") },
          {} },
        // The reader's windows: the side bar and its pages, then the
        // reading window on top of everything.
        { QStringLiteral("standalone/panels"),
          { QStringLiteral("core"), QStringLiteral("standalone/util"),
            QStringLiteral("standalone/web"), QStringLiteral("standalone/gfx"),
            QStringLiteral("standalone/settings"), QStringLiteral("standalone/text"),
            QStringLiteral("standalone/panels") },
          {} },
        { QStringLiteral("standalone/app"),
          { QStringLiteral("core"), QStringLiteral("standalone/util"),
            QStringLiteral("standalone/web"), QStringLiteral("standalone/gfx"),
            QStringLiteral("standalone/settings"), QStringLiteral("standalone/text"),
            QStringLiteral("standalone/panels"), QStringLiteral("standalone/app") },
          {} },
        // The picture generator stands alone.
        { QStringLiteral("standalone/art"), { QStringLiteral("standalone/art") }, {} },
    };
    return table;
}

bool under(const QString &path, const QString &folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// The most specific rule for a file: "library/db" before "library".
const Rule *ruleFor(const QString &path)
{
    const Rule *best = nullptr;
    for (const Rule &rule : rules()) {
        if (under(path, rule.folder) && (!best || rule.folder.size() > best->folder.size()))
            best = &rule;
    }
    return best;
}

QStringList sourceFiles()
{
    const QString root = QStringLiteral(VL_SOURCE_DIR);
    QStringList files;
    QDirIterator it(root, { QStringLiteral("*.h"), QStringLiteral("*.cpp") }, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString relative = QDir(root).relativeFilePath(it.next());
        if (relative.startsWith(QLatin1String("build")) || relative.startsWith(QLatin1Char('.')))
            continue;
        files << relative;
    }
    files.sort();
    return files;
}

QStringList includesOf(const QString &relative)
{
    QFile file(QStringLiteral(VL_SOURCE_DIR) + QLatin1Char('/') + relative);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression include(QStringLiteral("^\\s*#\\s*include\\s+\"([^\"]+)\""),
                                            QRegularExpression::MultilineOption);
    QStringList result;
    auto it = include.globalMatch(QString::fromUtf8(file.readAll()));
    while (it.hasNext())
        result << it.next().captured(1);
    return result;
}

} // namespace

class tst_IncludeLayers : public QObject
{
    Q_OBJECT

private slots:
    void includesNameTheirFolder();
    void noFolderIncludesFromAbove();
};

// "core/settings.h", never a bare "settings.h": every file shows what it
// leans on, and the source root is the only include folder (the build root
// holds the files generated from the sources, under the same folder names).
void tst_IncludeLayers::includesNameTheirFolder()
{
    const QString root = QStringLiteral(VL_SOURCE_DIR);
    QStringList bad;
    const QStringList files = sourceFiles();
    QVERIFY(files.size() > 100);
    for (const QString &file : files) {
        for (const QString &include : includesOf(file)) {
            if (include.endsWith(QLatin1String(".moc")) || include.startsWith(QLatin1String("moc_"))
                || include.startsWith(QLatin1String("ui_")))
                continue;
            if (!QFile::exists(root + QLatin1Char('/') + include)
                && !QFile::exists(QStringLiteral(VL_BINARY_DIR) + QLatin1Char('/') + include))
                bad << file + QStringLiteral(": ") + include;
        }
    }
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
}

void tst_IncludeLayers::noFolderIncludesFromAbove()
{
    QStringList bad;
    for (const QString &file : sourceFiles()) {
        const Rule *rule = ruleFor(file);
        if (!rule)
            continue;
        for (const QString &include : includesOf(file)) {
            if (!include.contains(QLatin1Char('/')))
                continue;
            bool ok = true;
            if (!rule->allowed.isEmpty()) {
                ok = std::any_of(rule->allowed.cbegin(), rule->allowed.cend(),
                                 [&](const QString &folder) { return under(include, folder); });
            } else {
                ok = std::none_of(rule->forbidden.cbegin(), rule->forbidden.cend(),
                                  [&](const QString &folder) { return under(include, folder); });
            }
            if (!ok)
                bad << file + QStringLiteral(" includes ") + include;
        }
    }
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
}

VL_TEST_GUILESS_MAIN(tst_IncludeLayers)

#include "tst_includelayers.moc"
