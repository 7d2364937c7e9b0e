#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/model/booksortfiltermodel.h"
#include "library/view/bookeditpropertiesview.h"
#include "widgets/button.h"
#include "widgets/stylesheet.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>

class TestBookEditPropertiesView : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void loads();
    void savesOnlyWhatChanged_data();
    void savesOnlyWhatChanged();
    void emptyTitleIsStoredEmpty();
    void closingWritesNothing_data();
    void closingWritesNothing();
    void failedSaveKeepsTheTypedValues();
    void storedAfterRestart();

private:
    int m_id = -1;
    BookModel *m_model = nullptr;
    BookSortFilterModel *m_sort = nullptr;
    BookEditPropertiesView *m_editor = nullptr;
    QStringList m_messages;
};

void TestBookEditPropertiesView::initTestCase()
{
    BookProvider *provider = BookProvider::instance();
    QVERIFY2(provider->createConnection(), qPrintable(provider->lastError()));
    reloadStyleSheet();
}

// One book, freshly stored for every test, shown in a sorted model as on
// the library screen.
void TestBookEditPropertiesView::init()
{
    BookProvider *provider = BookProvider::instance();
    BookDto book;
    book.title = QStringLiteral("Old <b>title</b>");
    book.author = QStringLiteral("Old author");
    book.fullPath = QStringLiteral("/books/%1.epub").arg(QTest::currentDataTag());
    book.timeAdded = 1500000000;
    book.metadata.insert(6, QStringLiteral("Old description"));
    m_id = provider->addBook(book);
    QVERIFY(m_id > 0);

    m_model = new BookModel;
    m_sort = new BookSortFilterModel;
    m_sort->setSourceModel(m_model);
    m_model->selectAll();
    m_messages.clear();
    m_editor = new BookEditPropertiesView(m_model);
    m_editor->setShowMessage([this](QWidget *, const QString &title, const QString &text) {
        m_messages.append(title + QStringLiteral(": ") + text);
    });
    m_editor->resize(800, 500);
    m_editor->show();
    m_editor->setBookId(m_id);
}

void TestBookEditPropertiesView::cleanup()
{
    delete m_editor;
    delete m_sort;
    delete m_model;
    BookProvider::instance()->deleteFromLibrary(m_id);
}

void TestBookEditPropertiesView::loads()
{
    QCOMPARE(m_editor->objectName(), QStringLiteral("settingsViewContent"));
    QCOMPARE(m_editor->bookId(), m_id);
    QCOMPARE(m_editor->headerLabel()->text(), QStringLiteral("Edit Old <b>title</b>"));
    QCOMPARE(m_editor->headerLabel()->textFormat(), Qt::PlainText);
    QCOMPARE(m_editor->titleEdit()->text(), QStringLiteral("Old <b>title</b>"));
    QCOMPARE(m_editor->authorEdit()->text(), QStringLiteral("Old author"));
    QCOMPARE(m_editor->descriptionEdit()->toPlainText(), QStringLiteral("Old description"));

    // A book that is not there: empty fields.
    m_editor->setBookId(987654);
    QCOMPARE(m_editor->headerLabel()->text(), QStringLiteral("Edit "));
    QVERIFY(m_editor->titleEdit()->text().isEmpty());
    QVERIFY(m_editor->descriptionEdit()->toPlainText().isEmpty());
}

void TestBookEditPropertiesView::savesOnlyWhatChanged_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("author");
    QTest::addColumn<QString>("description");
    QTest::newRow("title") << "New title" << QString() << QString();
    QTest::newRow("author") << QString() << "New author" << QString();
    QTest::newRow("description") << QString() << QString() << "New description";
    QTest::newRow("all three") << "New title"
                               << "New author"
                               << "New description";
    QTest::newRow("nothing") << QString() << QString() << QString();
}

// While the editor is open, the reader stores a position, the library a
// favourite flag and another writer a new author. Saving writes the
// fields the user changed and leaves all of those alone.
void TestBookEditPropertiesView::savesOnlyWhatChanged()
{
    QFETCH(QString, title);
    QFETCH(QString, author);
    QFETCH(QString, description);
    BookProvider *provider = BookProvider::instance();
    QVERIFY(provider->setReadingPosition(m_id, 1234, 56));
    QVERIFY(provider->setFavorite(m_id, 1));
    QVERIFY(provider->setTitleAndAuthor(m_id, QStringLiteral("Old <b>title</b>"),
                                        QStringLiteral("Meanwhile author")));
    QVERIFY(provider->setMetaData(m_id, 6, QStringLiteral("Meanwhile description")));

    if (!title.isNull())
        m_editor->titleEdit()->setText(title);
    if (!author.isNull())
        m_editor->authorEdit()->setText(author);
    if (!description.isNull())
        m_editor->descriptionEdit()->setPlainText(description);
    QSignalSpy hide(m_editor, &BookPropertiesPanel::onHideWindow);
    QSignalSpy changed(m_sort, &QAbstractItemModel::dataChanged);
    QTest::mouseClick(m_editor->findChild<QPushButton *>(QStringLiteral("buttonSaveSettings")),
                      Qt::LeftButton);
    QCOMPARE(hide.count(), 1);
    QCOMPARE(hide.first().first().value<QWidget *>(), m_editor);
    QVERIFY(m_messages.isEmpty());

    const BookDto stored = provider->findBookById(m_id);
    QCOMPARE(stored.title, title.isNull() ? QStringLiteral("Old <b>title</b>") : title);
    QCOMPARE(stored.author, author.isNull() ? QStringLiteral("Meanwhile author") : author);
    QCOMPARE(provider->getMetaData(m_id, 6),
             description.isNull() ? QStringLiteral("Meanwhile description") : description);
    QCOMPARE(stored.position, 1234);
    QCOMPARE(stored.maxPosition, 56);
    QCOMPARE(stored.isFavorite, 1);

    // The shelf and the table see the new values without a new selection.
    const bool wrote = !title.isNull() || !author.isNull() || !description.isNull();
    QCOMPARE(changed.isEmpty(), !wrote);
    const QModelIndex row = m_sort->index(0, BookModel::TitleColumn);
    if (wrote) {
        QCOMPARE(row.data().toString(), stored.title);
        QCOMPARE(row.sibling(0, BookModel::AuthorColumn).data().toString(), stored.author);
    }
}

void TestBookEditPropertiesView::emptyTitleIsStoredEmpty()
{
    m_editor->titleEdit()->clear();
    QVERIFY(m_editor->save());
    QCOMPARE(BookProvider::instance()->findBookById(m_id).title, QString());
    QCOMPARE(m_sort->index(0, BookModel::TitleColumn).data().toString(), QStringLiteral("Unknown"));
    m_editor->setBookId(m_id);
    QVERIFY(m_editor->titleEdit()->text().isEmpty());
}

void TestBookEditPropertiesView::closingWritesNothing_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("CANCEL") << "buttonCancel";
    QTest::newRow("close") << "buttonCloseSettings";
    QTest::newRow("back") << "buttonNavigateBack";
    QTest::newRow("Escape") << "escape";
}

void TestBookEditPropertiesView::closingWritesNothing()
{
    QFETCH(QString, how);
    m_editor->titleEdit()->setText(QStringLiteral("Typed title"));
    m_editor->descriptionEdit()->setPlainText(QStringLiteral("Typed description"));
    QSignalSpy hide(m_editor, &BookPropertiesPanel::onHideWindow);
    if (how == QLatin1String("escape"))
        QTest::keyClick(m_editor, Qt::Key_Escape);
    else
        QTest::mouseClick(m_editor->findChild<QPushButton *>(how), Qt::LeftButton);
    QCOMPARE(hide.count(), 1);
    QCOMPARE(BookProvider::instance()->findBookById(m_id).title,
             QStringLiteral("Old <b>title</b>"));
    QCOMPARE(BookProvider::instance()->getMetaData(m_id, 6), QStringLiteral("Old description"));
    // Opened again, the editor shows the stored values.
    m_editor->setBookId(m_id);
    QCOMPARE(m_editor->titleEdit()->text(), QStringLiteral("Old <b>title</b>"));
    QCOMPARE(m_editor->descriptionEdit()->toPlainText(), QStringLiteral("Old description"));
    // Other keys on the frame do nothing.
    QTest::keyClick(m_editor, Qt::Key_Return);
    QCOMPARE(hide.count(), 1);
}

// The book went while the editor was open: nothing is written, the editor
// stays with what was typed and says so.
void TestBookEditPropertiesView::failedSaveKeepsTheTypedValues()
{
    QVERIFY(BookProvider::instance()->deleteFromLibrary(m_id));
    m_editor->titleEdit()->setText(QStringLiteral("Typed title"));
    m_editor->descriptionEdit()->setPlainText(QStringLiteral("Typed description"));
    QSignalSpy hide(m_editor, &BookPropertiesPanel::onHideWindow);
    QVERIFY(!m_editor->save());
    QCOMPARE(hide.count(), 0);
    QCOMPARE(m_messages.size(), 1);
    QVERIFY(m_messages.first().startsWith(QStringLiteral("Save failed: ")));
    QVERIFY(m_messages.first().contains(QStringLiteral("no longer in the library")));
    QCOMPARE(m_editor->titleEdit()->text(), QStringLiteral("Typed title"));
    QCOMPARE(BookProvider::instance()->getMetaData(m_id, 6), QString());
}

void TestBookEditPropertiesView::storedAfterRestart()
{
    m_editor->titleEdit()->setText(QStringLiteral("Kept title"));
    m_editor->authorEdit()->setText(QStringLiteral("Kept author"));
    m_editor->descriptionEdit()->setPlainText(QStringLiteral("Kept\ndescription"));
    QVERIFY(m_editor->save());

    // The library opened anew, as at the next start.
    QVERIFY(BookProvider::instance()->createConnection());
    BookModel model;
    model.selectAll();
    BookEditPropertiesView editor(&model);
    editor.setBookId(m_id);
    QCOMPARE(editor.titleEdit()->text(), QStringLiteral("Kept title"));
    QCOMPARE(editor.authorEdit()->text(), QStringLiteral("Kept author"));
    QCOMPARE(editor.descriptionEdit()->toPlainText(), QStringLiteral("Kept\ndescription"));
    QCOMPARE(model.index(model.rowOfBook(m_id), BookModel::TitleColumn).data().toString(),
             QStringLiteral("Kept title"));
}

VL_TEST_WIDGETS_MAIN(TestBookEditPropertiesView)
#include "tst_bookeditpropertiesview.moc"
