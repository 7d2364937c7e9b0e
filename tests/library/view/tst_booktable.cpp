#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/model/booksortfiltermodel.h"
#include "library/view/booktable.h"
#include "library/view/booktabledelegate.h"
#include "library/view/booktableheader.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QPixmapCache>
#include <QScrollBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QUrl>

namespace {

QColor pixel(const QImage &image, int x, int y)
{
    return QColor(image.pixel(x, y));
}

// Same size, and on average each colour channel within a few steps.
bool looksAlike(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.isNull())
        return false;
    qint64 difference = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            difference += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q))
                    + qAbs(qBlue(p) - qBlue(q));
        }
    }
    return difference / (3 * qint64(a.width()) * a.height()) < 6;
}

} // namespace

class TestBookTable : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void construction();
    void columnWidths_data();
    void columnWidths();
    void deleteKey();
    void droppedFiles();
    void dragPixmap();
    void headerSortsTextColumnsOnly();
    void emptySearchLabel();
    void progressCell_data();
    void progressCell();
    void titleCellThumbnails();
    void iconFollowsSelectionAndHover_data();
    void iconFollowsSelectionAndHover();

private:
    QModelIndex rowOf(const QString &title, int column) const;
    QImage paintCell(const QModelIndex &index, const QSize &size, QStyle::State state) const;

    QTemporaryDir m_dir;
    QString m_cover;
    BookModel *m_model = nullptr;
    BookSortFilterModel *m_sort = nullptr;
    BookTable *m_table = nullptr;
};

void TestBookTable::initTestCase()
{
    qRegisterMetaType<QFileInfoList>("QFileInfoList");
    QVERIFY(m_dir.isValid());
    BookProvider *provider = BookProvider::instance();
    QVERIFY2(provider->createConnection(), qPrintable(provider->lastError()));

    QImage cover(120, 180, QImage::Format_RGB32);
    cover.fill(QColor(200, 30, 30));
    m_cover = m_dir.filePath(QStringLiteral("red.png"));
    QVERIFY(cover.save(m_cover));

    const struct
    {
        const char *title;
        int progress;
        int favorite;
        QString cover;
    } books[] = {
        { "Started", 37, 0, m_cover },
        { "Finished", 100, 1, m_cover },
        { "Fresh", 0, 0, QString() },
        { "Nearly", 9, 0, m_dir.filePath(QStringLiteral("gone.png")) },
    };
    uint time = 1500000000;
    for (const auto &entry : books) {
        BookDto book;
        book.title = QLatin1String(entry.title);
        book.author = QStringLiteral("Author");
        book.maxPosition = entry.progress;
        book.isFavorite = entry.favorite;
        book.cover = entry.cover;
        book.timeAdded = time++;
        book.fullPath = QStringLiteral("/books/%1.epub").arg(book.title);
        QVERIFY(provider->addBook(book) > 0);
    }
}

void TestBookTable::init()
{
    m_model = new BookModel;
    m_sort = new BookSortFilterModel;
    m_sort->setSourceModel(m_model);
    m_model->selectByCategory(BookModel::CategoryAll);
    m_table = new BookTable(m_sort);
    m_table->resize(1200, 400);
    m_table->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_table));
}

void TestBookTable::cleanup()
{
    delete m_table;
    delete m_sort;
    delete m_model;
}

QModelIndex TestBookTable::rowOf(const QString &title, int column) const
{
    for (int row = 0; row < m_sort->rowCount(); ++row) {
        if (m_sort->index(row, BookModel::TitleColumn).data().toString() == title)
            return m_sort->index(row, column);
    }
    return QModelIndex();
}

QImage TestBookTable::paintCell(const QModelIndex &index, const QSize &size,
                                QStyle::State state) const
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.initFrom(m_table);
    option.rect = QRect(QPoint(0, 0), size);
    option.state = state | QStyle::State_Enabled;
    option.palette.setColor(QPalette::Highlight, QColor(74, 108, 193));
    option.palette.setColor(QPalette::HighlightedText, Qt::white);
    option.palette.setColor(QPalette::Text, Qt::black);
    m_table->bookDelegate()->paint(&painter, option, index);
    return image;
}

void TestBookTable::construction()
{
    QCOMPARE(m_table->objectName(), QStringLiteral("boxLibraryTable"));
    QCOMPARE(m_table->verticalScrollBar()->objectName(), QStringLiteral("bookTableScrollbar"));
    QCOMPARE(m_table->emptySearchLabel()->objectName(), QStringLiteral("labelEmptySearch"));
    QCOMPARE(m_table->horizontalHeader(), m_table->bookHeader());
    QVERIFY(m_table->isColumnHidden(BookModel::FormatColumn));
    QCOMPARE(m_table->selectionBehavior(), QAbstractItemView::SelectRows);
    QCOMPARE(m_table->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(m_table->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(m_table->dragDropMode(), QAbstractItemView::InternalMove);
    QVERIFY(m_table->isSortingEnabled());
    // Rows stay 50 pixels high whatever the font.
    QFont big = m_table->font();
    big.setPixelSize(40);
    m_table->setFont(big);
    QCOMPARE(m_table->rowHeight(0), 50);
    QCOMPARE(m_table->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
}

void TestBookTable::columnWidths_data()
{
    QTest::addColumn<bool>("favoriteHidden");
    QTest::addColumn<bool>("restoreHidden");
    QTest::addColumn<int>("author");
    // Reserved width: 230 plus 35 for each icon column shown.
    QTest::newRow("normal mode") << false << true << 220;
    QTest::newRow("trash mode") << true << false << 220;
    QTest::newRow("both hidden") << true << true << 231;
    QTest::newRow("both shown") << false << false << 210;
}

void TestBookTable::columnWidths()
{
    QFETCH(bool, favoriteHidden);
    QFETCH(bool, restoreHidden);
    QFETCH(int, author);
    m_table->setFavoriteColumnHidden(favoriteHidden);
    m_table->setRestoreColumnHidden(restoreHidden);
    m_table->resize(1000, 400);
    QCoreApplication::processEvents();
    QCOMPARE(m_table->viewport()->width(), 1000);
    QCOMPARE(m_table->columnWidth(BookModel::AuthorColumn), author);
    QCOMPARE(m_table->columnWidth(BookModel::ProgressColumn), 80);
    QCOMPARE(m_table->columnWidth(BookModel::DateColumn), 60);
    QCOMPARE(m_table->columnWidth(BookModel::NotesColumn), 60);
    QCOMPARE(m_table->columnWidth(BookModel::DeletedColumn), 55);
    if (!favoriteHidden)
        QCOMPARE(m_table->columnWidth(BookModel::FavoriteColumn), 35);
    if (!restoreHidden)
        QCOMPARE(m_table->columnWidth(BookModel::StoredAuthorColumn), 35);
    QCOMPARE(m_table->emptySearchLabel()->geometry(), m_table->viewport()->geometry());

    // The title takes the rest, so the delete column ends at the right edge.
    QHeaderView *header = m_table->horizontalHeader();
    QCOMPARE(header->sectionViewportPosition(BookModel::DeletedColumn) + 55, 1000);
}

void TestBookTable::deleteKey()
{
    QSignalSpy deleteKey(m_table, &BookTable::onDeleteKey);
    m_table->setFocus();
    m_table->setCurrentIndex(m_sort->index(0, 0));
    QTest::keyClick(m_table, Qt::Key_Down);
    QCOMPARE(m_table->currentIndex().row(), 1);
    QCOMPARE(deleteKey.count(), 0);
    QTest::keyClick(m_table, Qt::Key_Delete);
    QCOMPARE(deleteKey.count(), 1);
    QTest::keyClick(m_table, Qt::Key_Delete);
    QCOMPARE(deleteKey.count(), 2);
}

void TestBookTable::droppedFiles()
{
    QSignalSpy dropped(m_table, &BookTable::droppedFiles);
    const QStringList paths
            = { m_dir.filePath("c.epub"), m_dir.filePath("a.fb2"), m_dir.filePath("b.pdf") };
    QMimeData files;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    files.setUrls(urls);
    const QPoint inside = m_table->viewport()->rect().center();

    // An outside drag is taken even though the table only moves its own rows.
    QDragEnterEvent enter(inside, Qt::CopyAction | Qt::MoveAction, &files, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(m_table->viewport(), &enter);
    QVERIFY(enter.isAccepted());

    QDropEvent drop(inside, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_table->viewport(), &drop);
    QCOMPARE(dropped.count(), 1);
    const QFileInfoList received = dropped.first().first().value<QFileInfoList>();
    QCOMPARE(received.size(), 3);
    for (int i = 0; i < paths.size(); ++i)
        QCOMPARE(received.at(i).filePath(), paths.at(i));

    QMimeData text;
    text.setText(QStringLiteral("not files"));
    QDropEvent plain(inside, Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_table->viewport(), &plain);
    QCOMPARE(dropped.count(), 1);
}

void TestBookTable::dragPixmap()
{
    const QPixmap cover = BookTable::dragPixmap({ rowOf(QStringLiteral("Started"), 0) });
    QCOMPARE(cover.height(), 192);
    QCOMPARE(cover.width(), 128);
    QCOMPARE(cover.toImage().pixelColor(64, 96), QColor(200, 30, 30));

    QPixmap standard;
    QVERIFY(standard.load(BookTableDelegate::defaultCover()));
    standard = standard.scaledToHeight(192, Qt::SmoothTransformation);
    const QModelIndexList cases[] = {
        { rowOf(QStringLiteral("Started"), 0), rowOf(QStringLiteral("Finished"), 0) },
        { rowOf(QStringLiteral("Fresh"), 0) },
        { rowOf(QStringLiteral("Nearly"), 0) },
    };
    // The cover is read scaled, not decoded whole and then scaled: the same
    // picture, give or take the rounding of the two ways.
    for (const QModelIndexList &rows : cases)
        QVERIFY(looksAlike(BookTable::dragPixmap(rows).toImage(), standard.toImage()));
}

void TestBookTable::headerSortsTextColumnsOnly()
{
    QHeaderView *header = m_table->horizontalHeader();
    auto clickSection = [header](int section) {
        const int x = header->sectionViewportPosition(section) + header->sectionSize(section) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(x, header->height() / 2));
    };
    auto progressColumn = [this] {
        QList<int> values;
        for (int row = 0; row < m_sort->rowCount(); ++row)
            values.append(m_sort->index(row, BookModel::ProgressColumn).data().toInt());
        return values;
    };
    clickSection(BookModel::ProgressColumn);
    QCOMPARE(header->sortIndicatorSection(), int(BookModel::ProgressColumn));
    const QList<int> first = progressColumn();
    QList<int> sorted = first;
    std::sort(sorted.begin(), sorted.end());
    if (header->sortIndicatorOrder() == Qt::DescendingOrder)
        std::reverse(sorted.begin(), sorted.end());
    QCOMPARE(first, sorted);
    QVERIFY(header->isSortIndicatorShown());

    clickSection(BookModel::FavoriteColumn);
    QVERIFY(!header->isSortIndicatorShown());
    QCOMPARE(header->sortIndicatorSection(), int(BookModel::ProgressColumn));
    QCOMPARE(progressColumn(), first);
    QVERIFY(!header->sectionsClickable());

    clickSection(BookModel::ProgressColumn);
    QVERIFY(header->isSortIndicatorShown());
    std::reverse(sorted.begin(), sorted.end());
    QCOMPARE(progressColumn(), sorted);
}

void TestBookTable::emptySearchLabel()
{
    QLabel *label = m_table->emptySearchLabel();
    QVERIFY(label->isHidden());
    m_table->showEmptySearch(QStringLiteral("No eBooks found for 'zzz'"));
    QVERIFY(label->isVisible());
    QCOMPARE(label->text(), QStringLiteral("No eBooks found for 'zzz'"));
    QCOMPARE(label->alignment(), Qt::AlignCenter);
    m_table->resize(700, 300);
    QCoreApplication::processEvents();
    QCOMPARE(label->geometry(), m_table->viewport()->geometry());
    m_table->hideEmptySearch();
    QVERIFY(label->isHidden());
}

void TestBookTable::progressCell_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("selected");
    QTest::addColumn<int>("filled");
    QTest::addColumn<QColor>("track");
    QTest::addColumn<QColor>("fill");
    const QColor track(232, 234, 239), trackSelected(69, 102, 183);
    const QColor fill(144, 155, 176), fillSelected(51, 80, 145);
    // A 101-pixel cell: 37 % of it is 37.37 pixels, cut to 37.
    QTest::newRow("37 %") << "Started" << false << 37 << track << fill;
    QTest::newRow("on start") << "Fresh" << false << 0 << track << fill;
    QTest::newRow("finished") << "Finished" << false << 101 << track << fill;
    QTest::newRow("selected") << "Started" << true << 37 << trackSelected << fillSelected;
}

void TestBookTable::progressCell()
{
    QFETCH(QString, title);
    QFETCH(bool, selected);
    QFETCH(int, filled);
    QFETCH(QColor, track);
    QFETCH(QColor, fill);
    const QImage image = paintCell(rowOf(title, BookModel::ProgressColumn), QSize(101, 50),
                                   selected ? QStyle::State_Selected : QStyle::State_None);
    // The bar is rows 43 to 48 of the 50; row 46 is inside.
    int counted = 0;
    for (int x = 0; x < image.width(); ++x) {
        const QColor color = pixel(image, x, 46);
        if (color == fill)
            ++counted;
        else
            QCOMPARE(color, track);
    }
    QCOMPARE(counted, filled);
    const QColor background = selected ? QColor(74, 108, 193) : QColor(Qt::white);
    QCOMPARE(pixel(image, 100, 49), background);
    QCOMPARE(pixel(image, 100, 42), background);
    QCOMPARE(pixel(image, 100, 43), counted > 100 ? fill : track);

    // "finished" is drawn in green.
    bool green = false;
    for (int y = 0; y < 43 && !green; ++y) {
        for (int x = 0; x < image.width() && !green; ++x)
            green = pixel(image, x, y) == QColor(86, 162, 57);
    }
    QCOMPARE(green, title == QLatin1String("Finished") && !selected);
}

void TestBookTable::titleCellThumbnails()
{
    QPixmapCache::clear();
    paintCell(rowOf(QStringLiteral("Started"), 0), QSize(300, 50), QStyle::State_None);
    QPixmap thumbnail;
    QVERIFY(QPixmapCache::find(BookTableDelegate::thumbnailCacheKey(m_cover), &thumbnail));
    QCOMPARE(thumbnail.size(), QSize(32, 49));
    // The second book with that cover uses the same entry; the books without
    // a cover file get the default cover's.
    paintCell(rowOf(QStringLiteral("Finished"), 0), QSize(300, 50), QStyle::State_None);
    QVERIFY(!QPixmapCache::find(
            BookTableDelegate::thumbnailCacheKey(BookTableDelegate::defaultCover()), &thumbnail));
    const QImage missing
            = paintCell(rowOf(QStringLiteral("Nearly"), 0), QSize(300, 50), QStyle::State_None);
    QVERIFY(QPixmapCache::find(
            BookTableDelegate::thumbnailCacheKey(BookTableDelegate::defaultCover()), &thumbnail));
    QCOMPARE(missing.copy(5, 1, 32, 49), thumbnail.toImage().convertToFormat(QImage::Format_RGB32));

    const QImage red = paintCell(rowOf(QStringLiteral("Started"), 0), QSize(300, 50),
                                 QStyle::State_Selected);
    QCOMPARE(pixel(red, 20, 25), QColor(200, 30, 30));
    // The frame beside the thumbnail, then the selection colour.
    QCOMPARE(pixel(red, 2, 25), QColor(146, 166, 214));
    QCOMPARE(pixel(red, 299, 2), QColor(74, 108, 193));
    const QImage plain
            = paintCell(rowOf(QStringLiteral("Started"), 0), QSize(300, 50), QStyle::State_None);
    QCOMPARE(pixel(plain, 2, 25), QColor(241, 241, 241));
}

void TestBookTable::iconFollowsSelectionAndHover_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("image");
    const int selected = QStyle::State_Selected, hover = QStyle::State_MouseOver;
    const int star = BookModel::FavoriteColumn;
    QTest::newRow("star") << "Started" << star << 0 << "rateunrated.png";
    QTest::newRow("star hovered") << "Started" << star << hover << "rateunratedhigh.png";
    QTest::newRow("star selected and hovered")
            << "Started" << star << (selected | hover) << "rateunratedselecthigh.png";
    QTest::newRow("favourite selected") << "Finished" << star << selected << "raterated.png";
    QTest::newRow("favourite hovered and selected")
            << "Finished" << star << (selected | hover) << "rateratedhigh.png";
    QTest::newRow("restore selected")
            << "Started" << int(BookModel::StoredAuthorColumn) << selected << "uneraseselect.png";
    QTest::newRow("delete hovered")
            << "Started" << int(BookModel::DeletedColumn) << hover << "deletehigh.png";
}

void TestBookTable::iconFollowsSelectionAndHover()
{
    QFETCH(QString, title);
    QFETCH(int, column);
    QFETCH(int, state);
    QFETCH(QString, image);
    const QSize size(55, 50);
    const QImage painted
            = paintCell(rowOf(title, column), size, QStyle::State(state) | QStyle::State_None);

    QImage expected(size, QImage::Format_RGB32);
    expected.fill(Qt::white);
    QPainter painter(&expected);
    if (state & QStyle::State_Selected)
        painter.fillRect(expected.rect(), QColor(74, 108, 193));
    const QPixmap icon = QIcon(QStringLiteral(":/style/images/") + image).pixmap(18, 18);
    QVERIFY(!icon.isNull());
    QRect rect = expected.rect();
    if (column == BookModel::DeletedColumn)
        rect.adjust(0, 0, -5, 0);
    QApplication::style()->drawItemPixmap(&painter, rect, Qt::AlignCenter, icon);
    painter.end();
    QCOMPARE(painted, expected);
}

VL_TEST_WIDGETS_MAIN(TestBookTable)
#include "tst_booktable.moc"
