#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/model/booksortfiltermodel.h"
#include "library/view/booklistview.h"
#include "library/view/booklistviewdelegate.h"
#include "tests/document/picturefixture.h"
#include "widgets/stylesheet.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QUrl>

namespace {

const QColor red(200, 30, 30);
const QColor highlight(74, 108, 193);
const QColor ground(250, 0, 250);

// Pure white pixels: glyph cores of text drawn in the highlighted-text
// colour. The default cover itself has none.
int whitePixels(const QImage &image, const QRect &area)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            count += image.pixel(x, y) == qRgb(255, 255, 255);
    }
    return count;
}

} // namespace

class TestBookListView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void construction();
    void tiles_data();
    void tiles();
    void unknownTitleOnDefaultCover();
    void selectedTileHasHighlightUnderGround();
    void deleteKeyThenStandardKeys();
    void droppedFiles();
    void dragCarriesEveryBookOnce();
    void clickSelectsTheBooksRow();
    void emptySearchLabel();
    void screenshots();

private:
    QModelIndex indexOf(const QString &title) const;
    QImage paintTile(const QString &title, QStyle::State state) const;

    QTemporaryDir m_dir;
    QString m_cover;
    BookModel *m_model = nullptr;
    BookSortFilterModel *m_sort = nullptr;
    BookListView *m_view = nullptr;
};

void TestBookListView::initTestCase()
{
    qRegisterMetaType<QFileInfoList>("QFileInfoList");
    QVERIFY(m_dir.isValid());
    BookProvider *provider = BookProvider::instance();
    QVERIFY2(provider->createConnection(), qPrintable(provider->lastError()));
    reloadStyleSheet();

    QImage cover(120, 180, QImage::Format_RGB32);
    cover.fill(red);
    m_cover = m_dir.filePath(QStringLiteral("red.jpg"));
    QVERIFY(cover.save(m_cover, "JPG", 95));
    // A cover whose header claims 30000 x 30000 pixels, and one that is no
    // picture at all.
    const QString huge = m_dir.filePath(QStringLiteral("huge.png"));
    const QString text = m_dir.filePath(QStringLiteral("words.jpg"));
    for (const auto &file : { qMakePair(huge, PictureFixture::pngClaiming(30000, 30000)),
                              qMakePair(text, QByteArray("not a picture")) }) {
        QFile out(file.first);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(file.second);
    }

    const struct
    {
        const char *title;
        const char *author;
        QString cover;
    } books[] = {
        { "Covered", "Anna Writer", m_cover },
        { "Bare", "Anna Writer", QString() },
        { "Moved away", "Anna Writer", m_dir.filePath(QStringLiteral("gone.png")) },
        { "Claims a huge cover", "Anna Writer", huge },
        { "Cover of words", "Anna Writer", text },
        { "", "Ben Writer", QString() },
        { "Unknown", "Ben Writer", QString() },
    };
    uint time = 1500000000;
    for (const auto &entry : books) {
        BookDto book;
        book.title = QString::fromUtf8(entry.title);
        book.author = QString::fromUtf8(entry.author);
        book.cover = entry.cover;
        book.timeAdded = time++;
        book.fullPath = m_dir.filePath(book.title + QStringLiteral(".epub"));
        QVERIFY(provider->addBook(book) > 0);
    }
}

void TestBookListView::init()
{
    m_model = new BookModel;
    m_sort = new BookSortFilterModel;
    m_sort->setSourceModel(m_model);
    m_model->selectByCategory(BookModel::CategoryAll);
    m_sort->sort(BookModel::DateColumn, Qt::AscendingOrder);
    m_view = new BookListView(m_sort);
    m_view->resize(900, 600);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
}

void TestBookListView::cleanup()
{
    delete m_view;
    delete m_sort;
    delete m_model;
}

QModelIndex TestBookListView::indexOf(const QString &title) const
{
    for (int row = 0; row < m_sort->rowCount(); ++row) {
        const QModelIndex index = m_sort->index(row, BookModel::TitleColumn);
        if (index.data(BookModel::TitleRole).toString() == title)
            return index;
    }
    return QModelIndex();
}

QImage TestBookListView::paintTile(const QString &title, QStyle::State state) const
{
    const QSize size = BookListViewDelegate::tileSize();
    QImage image(size, QImage::Format_RGB32);
    image.fill(ground);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.initFrom(m_view);
    option.rect = QRect(QPoint(0, 0), size);
    option.state = state | QStyle::State_Enabled;
    option.palette.setColor(QPalette::Highlight, highlight);
    option.palette.setColor(QPalette::HighlightedText, Qt::white);
    m_view->bookDelegate()->paint(&painter, option, indexOf(title));
    return image;
}

void TestBookListView::construction()
{
    QCOMPARE(m_view->objectName(), QStringLiteral("bookListView"));
    QCOMPARE(m_view->viewMode(), QListView::IconMode);
    QCOMPARE(m_view->flow(), QListView::LeftToRight);
    QCOMPARE(m_view->resizeMode(), QListView::Adjust);
    QCOMPARE(m_view->movement(), QListView::Static);
    QCOMPARE(m_view->spacing(), 20);
    QCOMPARE(m_view->selectionMode(), QAbstractItemView::ExtendedSelection);
    QCOMPARE(m_view->contextMenuPolicy(), Qt::CustomContextMenu);
    QCOMPARE(m_view->dragDropMode(), QAbstractItemView::InternalMove);
    QVERIFY(m_view->dragEnabled());
    QVERIFY(m_view->viewport()->acceptDrops());
    QCOMPARE(m_view->verticalScrollBar()->objectName(), QStringLiteral("scrollBarListView"));
    QCOMPARE(m_view->itemDelegate(), m_view->bookDelegate());
    QCOMPARE(m_view->bookDelegate()->sizeHint(QStyleOptionViewItem(), QModelIndex()),
             QSize(129, 192));
    QCOMPARE(m_view->bookDelegate()->property("trashSelectHigh").toString(),
             QStringLiteral(":/style/images/deleteselecthigh.png"));
    QCOMPARE(m_view->bookDelegate()->property("rateRated").toString(),
             QStringLiteral(":/style/images/raterated.png"));
    // Tiles wrap: the second row starts below the first.
    const QRect first = m_view->visualRect(m_sort->index(0, 0));
    const QRect last = m_view->visualRect(m_sort->index(m_sort->rowCount() - 1, 0));
    QCOMPARE(first.size(), QSize(129, 192));
    QVERIFY(last.top() > first.bottom());
}

void TestBookListView::tiles_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<bool>("defaultCover");
    QTest::newRow("cover file") << "Covered" << false;
    QTest::newRow("no cover") << "Bare" << true;
    QTest::newRow("cover file gone") << "Moved away" << true;
    QTest::newRow("cover header beyond limits") << "Claims a huge cover" << true;
    QTest::newRow("cover file no picture") << "Cover of words" << true;
}

// A cover fills the tile; a book without a usable one shows the default
// cover with its title above and its author below, as text.
void TestBookListView::tiles()
{
    QFETCH(QString, title);
    QFETCH(bool, defaultCover);
    const QImage tile = paintTile(title, QStyle::State_None);
    const QRect cover = BookListViewDelegate::coverRect(tile.rect());
    const int third = cover.height() / 3;
    const QRect titleBand(cover.left() + 5, cover.top() + 5, cover.width() - 10, third);
    const QRect authorBand(cover.left() + 5, cover.bottom() - third - 5, cover.width() - 10, third);
    const QRect middle(cover.left() + 5, cover.top() + third + 10, cover.width() - 10, 20);
    if (!defaultCover) {
        const QColor centre = tile.pixelColor(cover.center());
        QVERIFY(qAbs(centre.red() - red.red()) < 10 && qAbs(centre.green() - red.green()) < 10);
        QCOMPARE(whitePixels(tile, titleBand), 0);
        QCOMPARE(whitePixels(tile, authorBand), 0);
        return;
    }
    QVERIFY(whitePixels(tile, titleBand) > 10);
    QVERIFY(whitePixels(tile, authorBand) > 10);
    QCOMPARE(whitePixels(tile, middle), 0);
    // Every book without a cover draws the same author band.
    const QImage bare = paintTile(QStringLiteral("Bare"), QStyle::State_None);
    QCOMPARE(tile.copy(authorBand), bare.copy(authorBand));
}

void TestBookListView::unknownTitleOnDefaultCover()
{
    const QImage empty = paintTile(QString(), QStyle::State_None);
    const QImage unknown = paintTile(QStringLiteral("Unknown"), QStyle::State_None);
    QCOMPARE(empty, unknown);
    QVERIFY(empty != paintTile(QStringLiteral("Bare"), QStyle::State_None));
}

// The highlight goes under the tile ground, where it shows left of the
// cover, and frames the cover; the cover itself stays as it is.
void TestBookListView::selectedTileHasHighlightUnderGround()
{
    const QImage selected = paintTile(QStringLiteral("Covered"), QStyle::State_Selected);
    const QImage plain = paintTile(QStringLiteral("Covered"), QStyle::State_None);
    QCOMPARE(selected.pixelColor(0, 96), highlight);
    QCOMPARE(plain.pixelColor(0, 96), ground);
    const QRect cover = BookListViewDelegate::coverRect(selected.rect());
    for (const QPoint &edge :
         { cover.topLeft(), cover.bottomRight(), QPoint(cover.center().x(), cover.top() + 2) })
        QCOMPARE(selected.pixelColor(edge), highlight);
    const int frame = BookListViewDelegate::selectionFrameWidth;
    const QRect inside = cover.adjusted(frame, frame, -frame, -frame);
    QCOMPARE(selected.copy(inside), plain.copy(inside));
}

void TestBookListView::deleteKeyThenStandardKeys()
{
    QSignalSpy deleteKey(m_view, &BookShelf::onDeleteKey);
    m_view->setFocus();
    m_view->setCurrentIndex(m_sort->index(0, 0));
    QTest::keyClick(m_view, Qt::Key_Delete);
    QCOMPARE(deleteKey.count(), 1);
    QCOMPARE(m_view->currentIndex().row(), 0);
    QTest::keyClick(m_view, Qt::Key_Right);
    QCOMPARE(deleteKey.count(), 1);
    QCOMPARE(m_view->currentIndex().row(), 1);
}

void TestBookListView::droppedFiles()
{
    QSignalSpy dropped(m_view, &BookShelf::droppedFiles);
    const QPoint inside = m_view->viewport()->rect().center();
    auto drop = [this, inside](QMimeData *data) {
        QDragEnterEvent enter(inside, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view->viewport(), &enter);
        QDragMoveEvent move(inside, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view->viewport(), &move);
        QDropEvent event(inside, Qt::CopyAction, data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_view->viewport(), &event);
        return enter.isAccepted();
    };

    QMimeData files;
    files.setUrls({ QUrl::fromLocalFile(QStringLiteral("/books/c.epub")),
                    QUrl::fromLocalFile(QStringLiteral("/books/a.fb2")),
                    QUrl(QStringLiteral("https://example.org/b.epub")) });
    QVERIFY(drop(&files));
    QCOMPARE(dropped.count(), 1);
    const QFileInfoList received = dropped.first().first().value<QFileInfoList>();
    QCOMPARE(received.size(), 3);
    QCOMPARE(received.at(0).filePath(), QStringLiteral("/books/c.epub"));
    QCOMPARE(received.at(1).filePath(), QStringLiteral("/books/a.fb2"));
    QCOMPARE(received.at(2).filePath(), QString());

    // Book ids (a drag from the shelf itself) bring no files and move nothing.
    const QRect before = m_view->visualRect(m_sort->index(0, 0));
    std::unique_ptr<QMimeData> books(m_sort->mimeData({ m_sort->index(0, 0) }));
    drop(books.get());
    QCOMPARE(dropped.count(), 1);
    QCOMPARE(m_view->visualRect(m_sort->index(0, 0)), before);
    QCOMPARE(m_sort->rowCount(), m_model->rowCount());
}

// The table beside the shelf selects whole rows in the shared selection:
// each book is dragged once, and the image is the first book's cover.
void TestBookListView::dragCarriesEveryBookOnce()
{
    QItemSelectionModel *selection = m_view->selectionModel();
    const QStringList titles
            = { QStringLiteral("Covered"), QStringLiteral("Bare"), QStringLiteral("Moved away"),
                QStringLiteral("Unknown"), QString() };
    for (const QString &title : titles)
        selection->select(indexOf(title), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    const QModelIndexList books = m_view->selectedBooks();
    QCOMPARE(books.size(), 5);
    QStringList ids;
    for (const QString &title : titles) {
        QVERIFY(books.contains(indexOf(title)));
        ids.append(QString::number(indexOf(title).data(BookModel::BookIdRole).toInt()));
    }
    std::unique_ptr<QMimeData> data(m_sort->mimeData(books));
    QStringList carried = QString::fromUtf8(data->data(BookModel::bookIdMimeType()))
                                  .split(QLatin1Char('|'), Qt::SkipEmptyParts);
    carried.sort();
    ids.sort();
    QCOMPARE(carried, ids);

    const QPixmap image = BookListView::dragPixmap({ indexOf(QStringLiteral("Covered")) });
    QCOMPARE(image.size(), QSize(128, 192));
    const QColor centre = image.toImage().pixelColor(64, 96);
    QVERIFY(qAbs(centre.red() - red.red()) < 10);
    QCOMPARE(BookListView::dragPixmap({ indexOf(QStringLiteral("Bare")) }).height(), 192);
}

void TestBookListView::clickSelectsTheBooksRow()
{
    const QModelIndex book = indexOf(QStringLiteral("Bare"));
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      m_view->visualRect(book).center());
    const QModelIndexList rows = m_view->selectionModel()->selectedRows(BookModel::TitleColumn);
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first(), book);
    QCOMPARE(m_view->selectedBooks(), rows);
}

// The message covers the shelf's visible area, also after a resize.
void TestBookListView::emptySearchLabel()
{
    QLabel *label = m_view->emptySearchLabel();
    m_view->showEmptySearch(QStringLiteral("No eBooks found for 'zzz'"));
    QVERIFY(label->isVisible());
    m_view->resize(700, 500);
    QCoreApplication::processEvents();
    QCOMPARE(label->geometry(), m_view->viewport()->geometry());
    m_view->hideEmptySearch();
    QVERIFY(label->isHidden());
}

// Pictures of the shelf for a look by eye, when asked for.
void TestBookListView::screenshots()
{
    const QString folder = qEnvironmentVariable("VL_SCREENSHOT_DIR");
    if (folder.isEmpty())
        QSKIP("VL_SCREENSHOT_DIR not set");
    QDir().mkpath(folder);
    m_view->selectionModel()->select(indexOf(QStringLiteral("Bare")),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    m_view->selectionModel()->select(indexOf(QStringLiteral("Covered")),
                                     QItemSelectionModel::Select | QItemSelectionModel::Rows);
    QCoreApplication::processEvents();
    QVERIFY(m_view->grab().save(QDir(folder).filePath(QStringLiteral("shelf-selected.png"))));
}

VL_TEST_WIDGETS_MAIN(TestBookListView)
#include "tst_booklistview.moc"
