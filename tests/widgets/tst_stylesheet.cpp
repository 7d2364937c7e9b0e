#include "widgets/button.h"
#include "widgets/buttondescription.h"
#include "widgets/stylesheet.h"
#include "widgets/tabbutton.h"

#include "tests/support/testenvironment.h"

#include <QApplication>
#include <QDirIterator>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QMetaProperty>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QVBoxLayout>

#include <memory>

namespace {

QString readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// Source files of the whole program, build folders left out.
QStringList sourceFiles()
{
    const QString root = QStringLiteral(VL_SOURCE_DIR);
    QStringList files;
    QDirIterator it(root,
                    { QStringLiteral("*.cpp"), QStringLiteral("*.h"), QStringLiteral("*.css") },
                    QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = path.mid(root.size() + 1);
        if (relative.startsWith(QLatin1String("build")) || relative.startsWith(QLatin1String(".")))
            continue;
        files.append(path);
    }
    return files;
}

QStringList warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings.append(message);
}

} // namespace

class TestStyleSheet : public QObject
{
    Q_OBJECT

private slots:
    void everyResourcePathInTheSourcesExists();
    void everyImageReads();
    void namedImagesHaveTheirSizes_data();
    void namedImagesHaveTheirSizes();
    void qpropertiesNameRealProperties();
    void everyObjectNameHasARule_data();
    void everyObjectNameHasARule();
    void sheetAppliesWithoutWarnings();
    void reloadReplacesTheSheet();
};

void TestStyleSheet::everyResourcePathInTheSourcesExists()
{
    // The trees this program embeds; the page script's tree is checked when
    // its resources are part of the build.
    QString trees = QStringLiteral("style");
#ifdef VL_ENGINE_RESOURCES
    trees += QStringLiteral("|engine|ebook");
#endif
    const QRegularExpression pattern(
            QStringLiteral("(?:qrc)?:/(?:%1)/[A-Za-z0-9_@%./-]*").arg(trees));
    QStringList missing;
    int seen = 0;
    const QStringList files = sourceFiles();
    QVERIFY(files.size() > 20);
    for (const QString &file : files) {
        const QString text = readAll(file);
        auto matches = pattern.globalMatch(text);
        while (matches.hasNext()) {
            QString path = matches.next().captured();
            if (path.startsWith(QLatin1String("qrc")))
                path.remove(0, 3);
            while (path.endsWith(QLatin1Char('.')))
                path.chop(1);
            ++seen;
            QStringList candidates;
            if (path.contains(QLatin1String("%1"))) {
                // A numbered family: the loading frames count from 1 to 12.
                for (int i = 1; i <= 12; ++i)
                    candidates << QString(path).replace(QLatin1String("%1"), QString::number(i));
            } else {
                candidates << path;
            }
            for (const QString &candidate : qAsConst(candidates)) {
                const bool folder = candidate.endsWith(QLatin1Char('/'));
                const bool found = folder ? QDir(candidate).exists() : QFile::exists(candidate);
                if (!found)
                    missing << candidate + QStringLiteral(" (") + QFileInfo(file).fileName()
                                    + QLatin1Char(')');
            }
        }
    }
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char('\n'))));
    QVERIFY(seen > 100);
}

void TestStyleSheet::everyImageReads()
{
    int count = 0;
    QDirIterator it(QStringLiteral(":/style/images"));
    while (it.hasNext()) {
        const QString path = it.next();
        QImageReader reader(path);
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(path + QStringLiteral(": ") + reader.errorString()));
        ++count;
    }
    QVERIFY(count > 100);
}

void TestStyleSheet::namedImagesHaveTheirSizes_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");
    QTest::newRow("splash") << ":/style/images/splash.png" << QSize(372, 186);
    QTest::newRow("window bar icon") << ":/style/images/appicon16.png" << QSize(16, 16);
    QTest::newRow("password icon") << ":/style/images/AppIconPdf256.png" << QSize(256, 256);
    QTest::newRow("start page add") << ":/style/images/addnig1.png" << QSize(46, 46);
    QTest::newRow("close") << ":/style/images/close.png" << QSize(45, 19);
    QTest::newRow("maximize") << ":/style/images/maximize.png" << QSize(25, 19);
    QTest::newRow("restore") << ":/style/images/windowed.png" << QSize(25, 19);
    QTest::newRow("minimize") << ":/style/images/minimize.png" << QSize(26, 19);
    QTest::newRow("note marker") << ":/style/images/notesmin.png" << QSize(16, 16);
    QTest::newRow("reading tool bar, big") << ":/style/images/fsbigfont.png" << QSize(30, 30);
}

void TestStyleSheet::namedImagesHaveTheirSizes()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);
    QCOMPARE(QImage(path).size(), size);
    QVERIFY(!QIcon(QStringLiteral(":/style/images/vellumin.ico")).isNull());
    QVERIFY(!QImage(QStringLiteral(":/style/images/vellumin.ico")).isNull());
}

void TestStyleSheet::qpropertiesNameRealProperties()
{
    const QString sheet = readAll(QStringLiteral(":/style/style.css"));
    QVERIFY(!sheet.isEmpty());
    const QMetaObject *meta = &ButtonDescription::staticMetaObject;
    QRegularExpression entry(QStringLiteral("qproperty-([A-Za-z]+)"));
    QStringList unknown;
    int seen = 0;
    auto matches = entry.globalMatch(sheet);
    while (matches.hasNext()) {
        const QString name = matches.next().captured(1);
        ++seen;
        if (meta->indexOfProperty(name.toLatin1().constData()) < 0)
            unknown << name;
    }
    unknown.removeDuplicates();
    QVERIFY2(unknown.isEmpty(), qPrintable(unknown.join(QLatin1String(", "))));
    QVERIFY(seen > 100);
}

void TestStyleSheet::everyObjectNameHasARule_data()
{
    QTest::addColumn<QString>("name");
    const char *const names[] = {
        // Window bar, dialogs, splash, start page, tabs.
        "windowBarLabel",
        "windowMinimize",
        "windowMaximize",
        "windowMaximized",
        "windowClose",
        "messageBox",
        "buttonOk",
        "buttonCancel",
        "buttonBackground",
        "buttonSkip",
        "messagePassword",
        "progressView",
        "buttonMessageCancel",
        "buttonURL",
        "splashScreen",
        "buttonBigAddBook",
        "tabWidget",
        "labelTabBar",
        "labelTabBarHide",
        // Main window.
        "mainViewShadow",
        "mainView",
        "backgroundSettingsView",
        "buttonLibrary",
        "buttonAddBook",
        "buttonAddFolder",
        "buttonContents",
        "buttonNotes",
        "buttonBack",
        "buttonNavigateToSite",
        "buttonContinueReading",
        "buttonPrint",
        "buttonHelp",
        "buttonSettings",
        // Settings page and the side panels that share its names.
        "settingsViewContent",
        "buttonCloseSettings",
        "labelVersion",
        "buttonNavigateBack",
        "settingsLabel",
        "buttonTabSystem",
        "buttonTabProfiles",
        "settingsViewCommadBox",
        "buttonSaveSettings",
        "settingBox",
        "boxBorderGray",
        "buttonOpenFolder",
        "buttonRestoreProfiles",
        "underlineBox",
        "whiteBox",
        "fontSizeEdit",
        "inputSpacing",
        "buttonTabToc",
        "buttonTabBookmarks",
        "buttonExportNotes",
        "tocHeaderView",
        "notesHeaderView",
        "tocScrollBar",
        "propertiesView",
        "propertiesViewTitle",
        "propertiesViewBottom",
        "darkBox",
        "editText",
        "editDescription",
        // Search line and reading view.
        "box",
        "editSearch",
        "buttonSearch",
        "buttonClearSearch",
        "textViewer",
        "imageViewer",
        "pageNavigationSlider",
        "backToPageButton",
        "searchTableScrollbar",
        "noteEditorScrollBar",
        "buttonFullScreen_day_small",
        "buttonFullScreen_sepia_big",
        "buttonSwitchView_column_day_small",
        "buttonSwitchView_table_sepia_big",
        "buttonSwitchPartDay_sepia_day_small",
        "buttonSearch_day_big",
        "buttonOriginal_day_big",
        // Library.
        "boxLibraryView",
        "boxLeftSide",
        "switchLibBox",
        "buttonRecentlyRead",
        "buttonAll",
        "buttonFavorites",
        "buttonFormats",
        "buttonFormatsExpanded",
        "buttonFormat",
        "buttonLeftSideAdd",
        "buttonLeftSideDelete",
        "buttonSwitchShelfView",
        "buttonSwitchTableView",
        "buttonImport",
        "buttonExport",
        "buttonClearLibrary",
        "buttonRestoreAll",
        "buttonClearTrash",
        "boxLibraryTable",
        "bookTableScrollbar",
        "labelEmptySearch",
        "bookListView",
        "folderListView",
        "scrollBarListView",
        "editFolderName",
    };
    for (const char *name : names)
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestStyleSheet::everyObjectNameHasARule()
{
    QFETCH(QString, name);
    static const QString sheet = readAll(QStringLiteral(":/style/style.css"));
    const QRegularExpression selector(
            QStringLiteral("#%1(?![A-Za-z0-9_])").arg(QRegularExpression::escape(name)));
    QVERIFY2(selector.match(sheet).hasMatch(), qPrintable(name));
}

void TestStyleSheet::sheetAppliesWithoutWarnings()
{
    // The widgets as the program makes them: Buttons where it uses Buttons,
    // plain push buttons where it uses those.
    QWidget window;
    auto *layout = new QVBoxLayout(&window);
    const char *const buttons[] = { "buttonOk",
                                    "buttonSkip",
                                    "buttonBigAddBook",
                                    "buttonLibrary",
                                    "windowClose",
                                    "buttonCloseSettings",
                                    "buttonNavigateBack",
                                    "buttonFormats",
                                    "buttonAll",
                                    "buttonExportNotes",
                                    "buttonSearch",
                                    "backToPageButton",
                                    "buttonNotes_day_small",
                                    "buttonSwitchView_table_sepia_big" };
    for (const char *name : buttons) {
        auto *button = new Button(&window);
        button->setObjectName(QLatin1String(name));
        layout->addWidget(button);
    }
    const char *const plain[]
            = { "buttonCancel", "buttonBackground", "buttonSaveSettings",   "buttonMessageCancel",
                "buttonURL",    "buttonOpenFolder", "buttonRestoreProfiles" };
    for (const char *name : plain) {
        auto *button = new QPushButton(&window);
        button->setObjectName(QLatin1String(name));
        layout->addWidget(button);
    }
    auto *tab = new TabButton(&window);
    tab->setObjectName(QStringLiteral("buttonTabSystem"));
    layout->addWidget(tab);
    auto *description = new ButtonDescription(&window);
    description->setObjectName(QStringLiteral("buttonContinueReading"));
    layout->addWidget(description);

    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    reloadStyleSheet();
    window.show();
    QApplication::processEvents();
    window.grab();
    qInstallMessageHandler(previous);
    warnings.removeAll(QStringLiteral("This plugin does not support propagateSizeHints()"));
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(QLatin1Char('\n'))));

    // The sheet reached the widgets.
    auto *ok = window.findChild<Button *>(QStringLiteral("buttonOk"));
    QCOMPARE(ok->iconNormal(), QStringLiteral(":/style/images/ok.png"));
    QCOMPARE(ok->colorTextNormal(), QColor(Qt::white));
    auto *formats = window.findChild<Button *>(QStringLiteral("buttonFormats"));
    QCOMPARE(formats->iconAlignment(), Qt::Alignment(Qt::AlignLeft));
    QCOMPARE(formats->menuIconSize(), QSize(9, 9));
    QCOMPARE(description->iconPaddingRight(), 8);
    QCOMPARE(static_cast<Button *>(description)->iconPaddingRight(), 0);
    qApp->setStyleSheet(QString());
}

void TestStyleSheet::reloadReplacesTheSheet()
{
    auto *application = qobject_cast<QApplication *>(QCoreApplication::instance());
    application->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
    reloadStyleSheet();
    const QString once = application->styleSheet();
    QCOMPARE(once, readAll(QStringLiteral(":/style/style.css")));
    reloadStyleSheet();
    QCOMPARE(application->styleSheet(), once);
    QCOMPARE(QApplication::font().styleStrategy(), QFont::PreferAntialias);
    QVERIFY(!readAll(QStringLiteral(":/style/scrollbar_template.css")).isEmpty());
    QVERIFY(readAll(QStringLiteral(":/style/scrollbar_template.css"))
                    .contains(QLatin1String("%background_color%")));
    application->setStyleSheet(QString());
}

VL_TEST_WIDGETS_MAIN(TestStyleSheet)
#include "tst_stylesheet.moc"
