#include "tests/support/testenvironment.h"

#include "library/model/bookmodel.h"
#include "library/view/bookcontextmenu.h"

#include <QAction>
#include <QApplication>
#include <QStandardItemModel>
#include <QTimer>

namespace {

// Each book as a word of flags: "F" a favourite, "T" in the trash, "C" in
// the user category with id 7.
using Books = QStringList;

QList<CategoryDto> categories(int count)
{
    QList<CategoryDto> list;
    for (int i = 0; i < count; ++i) {
        CategoryDto category;
        category.id = 10 + i;
        category.title = QString(QChar(QLatin1Char('A' + i)));
        list.append(category);
    }
    return list;
}

// The items as the user reads them: "-" a separator, "Move to: A|B" the
// submenu with its entries.
QStringList itemsOf(const QMenu *menu)
{
    QStringList items;
    const QList<QAction *> actions = menu->actions();
    for (const QAction *action : actions) {
        if (action->isSeparator()) {
            items.append(QStringLiteral("-"));
        } else if (action->menu()) {
            QStringList entries;
            const QList<QAction *> inner = action->menu()->actions();
            for (const QAction *entry : inner)
                entries.append(entry->text());
            items.append(action->text() + QStringLiteral(": ") + entries.join(QLatin1Char('|')));
        } else {
            items.append(action->text());
        }
    }
    return items;
}

QAction *findItem(const QMenu *menu, const QString &text)
{
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (action->menu()) {
            if (QAction *inner = findItem(action->menu(), text))
                return inner;
        } else if (action->text() == text) {
            return action;
        }
    }
    return nullptr;
}

} // namespace

class TestBookContextMenu : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void items_data();
    void items();
    void choices_data();
    void choices();
    void titleInReadItem_data();
    void titleInReadItem();
    void invalidFirstIndexShowsNothing();
    void runsAsPopup();

private:
    QModelIndexList makeBooks(const Books &books, const QStringList &titles = QStringList());
    QString record(BookContextMenu *menu);

    std::unique_ptr<QStandardItemModel> m_model;
    QString m_emitted;
};

void TestBookContextMenu::init()
{
    m_model = std::make_unique<QStandardItemModel>();
    m_emitted.clear();
}

QModelIndexList TestBookContextMenu::makeBooks(const Books &books, const QStringList &titles)
{
    QModelIndexList indexes;
    for (int i = 0; i < books.size(); ++i) {
        auto *item = new QStandardItem;
        item->setData(titles.value(i, QStringLiteral("Book %1").arg(i + 1)), BookModel::TitleRole);
        item->setData(books.at(i).contains(QLatin1Char('F')), BookModel::FavoriteRole);
        item->setData(books.at(i).contains(QLatin1Char('T')), BookModel::DeletedRole);
        item->setData(books.at(i).contains(QLatin1Char('C')) ? 7 : 0, BookModel::CategoryIdRole);
        m_model->appendRow(item);
        indexes.append(item->index());
    }
    return indexes;
}

// What the menu emitted: the signal's name, the rows it carried and, for
// the category signals, the category id.
QString TestBookContextMenu::record(BookContextMenu *menu)
{
    auto rows = [](const QModelIndexList &indexes) {
        QStringList list;
        for (const QModelIndex &index : indexes)
            list.append(QString::number(index.row()));
        return list.join(QLatin1Char(','));
    };
    auto one = [this, rows](const char *name) {
        return [this, rows, name](const QModelIndex &index) {
            m_emitted
                    += QLatin1String(name) + QLatin1Char(':') + rows({ index }) + QLatin1Char(' ');
        };
    };
    auto many = [this, rows](const char *name) {
        return [this, rows, name](const QModelIndexList &indexes) {
            m_emitted += QLatin1String(name) + QLatin1Char(':') + rows(indexes) + QLatin1Char(' ');
        };
    };
    auto withCategory = [this, rows](const char *name) {
        return [this, rows, name](const QModelIndexList &indexes, int category) {
            m_emitted += QStringLiteral("%1:%2:%3 ")
                                 .arg(QLatin1String(name), rows(indexes))
                                 .arg(category);
        };
    };
    connect(menu, &BookMenu::read, this, one("read"));
    connect(menu, &BookMenu::edit, this, one("edit"));
    connect(menu, &BookMenu::properties, this, one("properties"));
    connect(menu, &BookMenu::toFavorites, this, many("toFavorites"));
    connect(menu, &BookMenu::fromFavorites, this, many("fromFavorites"));
    connect(menu, &BookMenu::remove, this, many("remove"));
    connect(menu, &BookMenu::restore, this, many("restore"));
    connect(menu, &BookMenu::deleteFromLibrary, this, many("deleteFromLibrary"));
    connect(menu, &BookMenu::toFolder, this, withCategory("toFolder"));
    connect(menu, &BookMenu::deleteFromCategory, this, withCategory("deleteFromCategory"));
    return QString();
}

void TestBookContextMenu::items_data()
{
    QTest::addColumn<Books>("books");
    QTest::addColumn<int>("categoryCount");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("one book, no categories")
            << Books { "" } << 0
            << QStringList { "Read Book 1", "-", "Edit",         "Add to Favorites",
                             "Delete",      "-", "Properties..." };
    QTest::newRow("favourite in a category, three categories")
            << Books { "FC" } << 3 << QStringList { "Read Book 1",
                                                    "-",
                                                    "Edit",
                                                    "Remove from Favorites",
                                                    "Move to: A|B|C",
                                                    "Delete",
                                                    "Remove from category",
                                                    "-",
                                                    "Properties..." };
    QTest::newRow("one book in the trash")
            << Books { "TFC" } << 3
            << QStringList { "Read Book 1", "-", "Restore", "Delete", "-", "Properties..." };
    QTest::newRow("trashed and not")
            << Books { "", "T" } << 3 << QStringList { "Restore", "Delete" };
    QTest::newRow("two favourites") << Books { "F", "F" } << 0
                                    << QStringList { "Remove from Favorites", "-", "-", "Delete" };
    QTest::newRow("a favourite and another")
            << Books { "F", "" } << 1
            << QStringList {
                   "Add to Favorites", "Remove from Favorites", "-", "Move to: A", "-", "Delete"
               };
    QTest::newRow("first without a category")
            << Books { "", "C" } << 2
            << QStringList { "Add to Favorites", "-", "Move to: A|B", "-", "Delete" };
    QTest::newRow("first in a category")
            << Books { "C", "" } << 2 << QStringList { "Add to Favorites",     "-", "Move to: A|B",
                                                       "Remove from category", "-", "Delete" };
}

void TestBookContextMenu::items()
{
    QFETCH(Books, books);
    QFETCH(int, categoryCount);
    QFETCH(QStringList, expected);
    BookContextMenu menu(makeBooks(books), categories(categoryCount));
    QVERIFY(menu.fill());
    QCOMPARE(itemsOf(&menu), expected);
    // Filled again, the menu is the same, not twice as long.
    QVERIFY(menu.fill());
    QCOMPARE(itemsOf(&menu), expected);
}

void TestBookContextMenu::choices_data()
{
    QTest::addColumn<Books>("books");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("emitted");
    QTest::newRow("read") << Books { "C" } << "Read Book 1"
                          << "read:0 ";
    QTest::newRow("edit") << Books { "" } << "Edit"
                          << "edit:0 ";
    QTest::newRow("properties") << Books { "T" } << "Properties..."
                                << "properties:0 ";
    QTest::newRow("to favourites") << Books { "", "F" } << "Add to Favorites"
                                   << "toFavorites:0,1 ";
    QTest::newRow("from favourites") << Books { "F" } << "Remove from Favorites"
                                     << "fromFavorites:0 ";
    QTest::newRow("to the trash") << Books { "", "" } << "Delete"
                                  << "remove:0,1 ";
    QTest::newRow("move to a category") << Books { "C", "" } << "B"
                                        << "toFolder:0,1:11 ";
    QTest::newRow("out of the category") << Books { "C", "" } << "Remove from category"
                                         << "deleteFromCategory:0,1:7 ";
    QTest::newRow("restore") << Books { "T" } << "Restore"
                             << "restore:0 ";
    // A selection with any book in the trash deletes the whole selection for
    // good, including the books outside the trash.
    QTest::newRow("delete for good") << Books { "", "T" } << "Delete"
                                     << "deleteFromLibrary:0,1 ";
}

void TestBookContextMenu::choices()
{
    QFETCH(Books, books);
    QFETCH(QString, item);
    QFETCH(QString, emitted);
    BookContextMenu menu(makeBooks(books), categories(2));
    record(&menu);
    QVERIFY(menu.fill());
    QAction *action = findItem(&menu, item);
    QVERIFY2(action, qPrintable(item));
    menu.choose(action);
    QCOMPARE(m_emitted, emitted);
    // Anything that is not an item of this menu emits nothing.
    QAction stranger(QStringLiteral("Edit"), nullptr);
    menu.choose(&stranger);
    menu.choose(nullptr);
    QCOMPARE(m_emitted, emitted);
}

void TestBookContextMenu::titleInReadItem_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty") << QString() << QStringLiteral("Read ");
    // "&" marks a shortcut letter in menus: doubled, it shows as itself.
    QTest::newRow("ampersand") << QStringLiteral("Tom & Jerry")
                               << QStringLiteral("Read Tom && Jerry");
    QTest::newRow("markup") << QStringLiteral("<b>Bold</b>") << QStringLiteral("Read <b>Bold</b>");
    QTest::newRow("long") << QString(200, QLatin1Char('w')) << QString();
}

void TestBookContextMenu::titleInReadItem()
{
    QFETCH(QString, title);
    QFETCH(QString, expected);
    BookContextMenu menu(makeBooks({ "" }, { title }), {});
    QVERIFY(menu.fill());
    const QString text = menu.actions().first()->text();
    if (!expected.isEmpty()) {
        QCOMPARE(text, expected);
        return;
    }
    const QString shown = text.mid(QStringLiteral("Read ").size());
    QVERIFY(shown.endsWith(QChar(0x2026)));
    QVERIFY(menu.fontMetrics().horizontalAdvance(shown) <= BookContextMenu::titleWidth);
    QVERIFY(shown.size() > 10);
}

void TestBookContextMenu::invalidFirstIndexShowsNothing()
{
    for (const QModelIndexList &indexes :
         { QModelIndexList(), QModelIndexList { QModelIndex() } }) {
        BookContextMenu menu(indexes, categories(1));
        QVERIFY(!menu.fill());
        QVERIFY(menu.actions().isEmpty());
        menu.build(QPoint(10, 10));
        QVERIFY(!QApplication::activePopupWidget());
    }
}

// The real popup: Escape closes it without a choice; a chosen item is
// emitted before build() returns.
void TestBookContextMenu::runsAsPopup()
{
    BookContextMenu menu(makeBooks({ "" }), categories(1));
    record(&menu);
    // A popup that never showed is closed all the same: the test goes on.
    QTimer::singleShot(50, [&menu] {
        if (QWidget *popup = QApplication::activePopupWidget())
            QTest::keyClick(popup, Qt::Key_Escape);
        else
            menu.hide();
    });
    menu.build(QPoint(20, 20));
    QVERIFY(m_emitted.isEmpty());

    QTimer::singleShot(50, [&menu] {
        QWidget *popup = QApplication::activePopupWidget();
        if (!popup) {
            menu.hide();
            return;
        }
        menu.setActiveAction(menu.actions().constLast());
        QTest::keyClick(popup, Qt::Key_Return);
    });
    menu.build(QPoint(20, 20));
    QCOMPARE(m_emitted, QStringLiteral("properties:0 "));
}

VL_TEST_WIDGETS_MAIN(TestBookContextMenu)
#include "tst_bookcontextmenu.moc"
