#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/model/foldermodel.h"
#include "library/view/folderdelegate.h"
#include "library/view/foldereditor.h"
#include "library/view/folderlistview.h"

#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>

namespace {

// The context menu seam: records that a menu ran and picks an item by text.
QString s_choice;
int s_menus = 0;

QAction *pickAction(QMenu *menu, const QPoint &)
{
    ++s_menus;
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (action->text() == s_choice)
            return action;
    }
    return nullptr;
}

} // namespace

class TestFolderListView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void construction();
    void contextMenu_data();
    void contextMenu();
    void deleteKey();
    void editInPlace();
    void dropBooks_data();
    void dropBooks();

private:
    QList<int> m_books;
    QList<int> m_categories;
    FolderModel *m_model = nullptr;
    FolderListView *m_view = nullptr;
};

void TestFolderListView::initTestCase()
{
    BookProvider *provider = BookProvider::instance();
    QVERIFY2(provider->createConnection(), qPrintable(provider->lastError()));
    for (int i = 0; i < 3; ++i) {
        BookDto book;
        book.title = QStringLiteral("Book %1").arg(i);
        book.fullPath = QStringLiteral("/books/%1.epub").arg(i);
        m_books.append(provider->addBook(book));
    }
    const QString longName = QStringLiteral("A category whose name is far too long for the list");
    for (const QString &title : { QStringLiteral("Essays"), longName, QStringLiteral("Poetry") })
        m_categories.append(provider->addCategory(title, 0));
}

void TestFolderListView::init()
{
    m_model = new FolderModel;
    m_model->updateData();
    m_view = new FolderListView(m_model);
    m_view->setMenuRunner(pickAction);
    m_view->resize(270, 300);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view));
    s_menus = 0;
}

void TestFolderListView::cleanup()
{
    delete m_view;
    delete m_model;
}

void TestFolderListView::construction()
{
    QCOMPARE(m_view->objectName(), QStringLiteral("folderListView"));
    QCOMPARE(m_view->verticalScrollBar()->objectName(), QStringLiteral("scrollBarListView"));
    QCOMPARE(m_view->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(m_view->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(m_view->dragDropMode(), QAbstractItemView::DragDrop);
    QCOMPARE(m_view->viewport()->width(), 259);
    QCOMPARE(m_view->visualRect(m_model->index(0, 0)).height(), 27);
    QCOMPARE(FolderDelegate::rowText(m_model->indexOfCategory(m_categories[0])),
             QStringLiteral("Essays (0)"));
}

void TestFolderListView::contextMenu_data()
{
    QTest::addColumn<QString>("choice");
    QTest::addColumn<int>("renames");
    QTest::addColumn<int>("removes");
    QTest::newRow("rename") << QStringLiteral("Rename") << 1 << 0;
    QTest::newRow("delete") << QStringLiteral("Delete") << 0 << 1;
    QTest::newRow("closed without a choice") << QString() << 0 << 0;
}

void TestFolderListView::contextMenu()
{
    QFETCH(QString, choice);
    QFETCH(int, renames);
    QFETCH(int, removes);
    s_choice = choice;
    QSignalSpy rename(m_view, &FolderListView::renameFolder);
    QSignalSpy remove(m_view, &FolderListView::removeFolder);
    const QRect row = m_view->visualRect(m_model->index(2, 0));
    m_view->onRequestContextMenu(row.center());
    QCOMPARE(s_menus, 1);
    QCOMPARE(rename.count(), renames);
    QCOMPARE(remove.count(), removes);
    const QList<QVariant> arguments = renames ? rename.value(0)
            : removes                         ? remove.value(0)
                                              : QList<QVariant>();
    if (!arguments.isEmpty())
        QCOMPARE(arguments.first().value<QModelIndex>().row(), 2);

    // Empty space below the last row opens no menu.
    m_view->onRequestContextMenu(QPoint(10, m_view->viewport()->height() - 5));
    QCOMPARE(s_menus, 1);
}

void TestFolderListView::deleteKey()
{
    QSignalSpy remove(m_view, &FolderListView::removeFolder);
    m_view->setFocus();
    m_view->setCurrentIndex(QModelIndex());
    QTest::keyClick(m_view, Qt::Key_Delete);
    QCOMPARE(remove.count(), 1);
    QVERIFY(!remove.first().first().value<QModelIndex>().isValid());

    m_view->setCurrentIndex(m_model->index(1, 0));
    QTest::keyClick(m_view, Qt::Key_Delete);
    QCOMPARE(remove.count(), 2);
    QCOMPARE(remove.last().first().value<QModelIndex>().row(), 1);
    QTest::keyClick(m_view, Qt::Key_Up);
    QCOMPARE(m_view->currentIndex().row(), 0);
}

// Finishing an edit commits, closes the editor and reloads the list, also
// when the name did not change.
void TestFolderListView::editInPlace()
{
    QSignalSpy resets(m_model, &QAbstractItemModel::modelReset);
    const QModelIndex poetry = m_model->indexOfCategory(m_categories[2]);
    m_view->edit(poetry);
    auto *editor = m_view->findChild<FolderEditor *>();
    QVERIFY(editor);
    QCOMPARE(editor->objectName(), QStringLiteral("whiteBox"));
    QCOMPARE(editor->text(), QStringLiteral("Poetry"));
    QCOMPARE(editor->lineEdit()->selectedText(), QStringLiteral("Poetry"));
    editor->lineEdit()->setFocus();
    QTest::keyClick(editor->lineEdit(), Qt::Key_Return);
    QVERIFY(resets.count() >= 1);
    QCOMPARE(BookProvider::instance()->findCategory(m_categories[2]).title,
             QStringLiteral("Poetry"));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_view->findChild<FolderEditor *>());

    m_view->edit(m_model->indexOfCategory(m_categories[2]));
    editor = m_view->findChild<FolderEditor *>();
    QVERIFY(editor);
    editor->lineEdit()->setFocus();
    editor->lineEdit()->setText(QStringLiteral("Verse"));
    QTest::keyClick(editor->lineEdit(), Qt::Key_Enter);
    QCOMPARE(BookProvider::instance()->findCategory(m_categories[2]).title,
             QStringLiteral("Verse"));
    QCOMPARE(m_model->indexOfCategory(m_categories[2]).data().toString(), QStringLiteral("Verse"));
    QVERIFY(BookProvider::instance()->renameCategory(m_categories[2], QStringLiteral("Poetry")));
}

void TestFolderListView::dropBooks_data()
{
    QTest::addColumn<bool>("onRow");
    QTest::addColumn<int>("bound");
    QTest::newRow("on a row") << true << 2;
    QTest::newRow("below the rows") << false << 0;
}

void TestFolderListView::dropBooks()
{
    QFETCH(bool, onRow);
    QFETCH(int, bound);
    const int essays = m_categories[0];
    QMimeData data;
    data.setData(BookModel::bookIdMimeType(),
                 QStringLiteral("%1|%2|").arg(m_books[0]).arg(m_books[2]).toUtf8());
    const QPoint at = onRow ? m_view->visualRect(m_model->indexOfCategory(essays)).center()
                            : QPoint(20, m_view->viewport()->height() - 5);

    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_view->viewport(), &enter);
    QVERIFY(enter.isAccepted());
    QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_view->viewport(), &move);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_view->viewport(), &drop);

    QCOMPARE(BookProvider::instance()->booksInCategory(essays).size(), bound);
    QCOMPARE(m_model->indexOfCategory(essays).data(FolderModel::BookCountRole).toInt(), bound);
    for (int id : qAsConst(m_books))
        BookProvider::instance()->removeBookFromCategory(id, essays);
}

VL_TEST_WIDGETS_MAIN(TestFolderListView)
#include "tst_folderlistview.moc"
