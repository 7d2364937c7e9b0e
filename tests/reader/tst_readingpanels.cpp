#include "reader/bookmarkmodel.h"
#include "reader/searchedit.h"
#include "reader/searchmodel.h"
#include "reader/searchtabledelegate.h"
#include "reader/searchview.h"
#include "reader/tocmodel.h"
#include "reader/toctreeview.h"
#include "reader/tocview.h"
#include "tests/support/testenvironment.h"

#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

// The panels' models and keys without a book: what rows show, and which
// requests the panels send for clicks and keys.
class tst_ReadingPanels : public QObject
{
    Q_OBJECT

private slots:
    void contentsRows();
    void bookmarkRows_data();
    void bookmarkRows();
    void contentsPanelRequests();
    void searchRows();
    void searchPanelRequests();
    void searchLine();
};

void tst_ReadingPanels::contentsRows()
{
    TocItem child { QStringLiteral("1.1 <b>Start</b>"), QStringLiteral("ch1.xhtml#a"), 1, 0, {} };
    TocItem top { QStringLiteral("One"), QStringLiteral("ch1.xhtml"), 0, 7, { child } };
    TocModel model;
    model.setToc({ top, TocItem { QStringLiteral("Two"), QString(), 2, -1, {} } });
    QCOMPARE(model.rowCount(), 2);
    const QModelIndex one = model.index(0, 0);
    QCOMPARE(model.rowCount(one), 1);
    const QModelIndex nested = model.index(0, 1, one);
    QCOMPARE(model.parent(nested), one);
    QCOMPARE(nested.siblingAtColumn(0).data().toString(), QStringLiteral("1.1 <b>Start</b>"));
    QCOMPARE(nested.data().toString(), QStringLiteral("..."));
    QCOMPARE(model.index(1, 1).data().toString(), QStringLiteral("..."));
    QCOMPARE(one.siblingAtColumn(1).data().toInt(), 7);
    QCOMPARE(nested.data(TocModel::NavigationRole).toInt(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Chapter title"));
    QVERIFY(!model.index(0, 2).isValid());
    model.setToc({});
    QCOMPARE(model.rowCount(), 0);
}

void tst_ReadingPanels::bookmarkRows_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("pageText");
    QTest::newRow("counted") << 12 << "Ch %1 (30%)" << "12";
    QTest::newRow("not yet counted") << 0 << "Ch %1 (...)" << "...";
    QTest::newRow("missing") << -1 << "Ch %1 (...)" << "...";
}

void tst_ReadingPanels::bookmarkRows()
{
    QFETCH(int, page);
    QFETCH(QString, title);
    QFETCH(QString, pageText);
    ViewerBookmark bookmark;
    bookmark.title = QStringLiteral("Ch %1");
    bookmark.page = page;
    bookmark.progress = 30;
    bookmark.id = 100004;
    BookmarkModel model(nullptr);
    model.setBookmarks({ bookmark });
    QCOMPARE(model.index(0, 0).data().toString(), title);
    QCOMPARE(model.index(0, 1).data().toString(), pageText);
    QCOMPARE(model.index(0, 2).data(BookmarkModel::NavigationRole).toInt(), 100004);
    QVERIFY(model.removeBookmark(0));
    QCOMPARE(model.rowCount(), 0);
}

void tst_ReadingPanels::contentsPanelRequests()
{
    TocView panel(nullptr);
    panel.setToc({ TocItem { QStringLiteral("One"), QString(), 4, 1, {} } });
    QSignalSpy went(&panel, &SidePanel::navigateToPosition);
    QSignalSpy hidden(&panel, &SidePanel::hideWindow);
    // No current row goes to the first entry.
    panel.buttonGoTo();
    QCOMPARE(went.takeFirst().first().toInt(), 0);
    panel.onTocTableDoubleClick(panel.tocModel()->index(0, 1));
    QCOMPARE(went.takeFirst().first().toInt(), 4);
    QCOMPARE(hidden.count(), 2);
    QTest::keyClick(&panel, Qt::Key_A);
    QCOMPARE(hidden.count(), 2);
    QTest::keyClick(&panel, Qt::Key_Escape);
    QCOMPARE(hidden.count(), 3);
}

void tst_ReadingPanels::searchRows()
{
    SearchResult titled;
    titled.title = QStringLiteral("<i>Chapter</i> & more");
    titled.page = 12;
    titled.text = QStringLiteral("the <b>word</b> here");
    titled.position = 200001;
    SearchResult plain;
    plain.page = 3;
    plain.isPageJump = true;
    SearchModel model;
    model.setResults({ titled, plain });
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("<i>Chapter</i> & more, Page 12"));
    QCOMPARE(model.index(1, 0).data().toString(), QStringLiteral("Page 3"));
    QCOMPARE(model.index(0, 0).data(SearchModel::OrderRole).toInt(), 200001);
    QVERIFY(model.index(1, 0).data(SearchModel::PageResultRole).toBool());
    QCOMPARE(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(),
             QStringLiteral("Results"));
    // The book's title is text in the rich row; the hit keeps its marking.
    QCOMPARE(SearchTableDelegate::richText(model.index(0, 0)),
             QStringLiteral("<b>&lt;i&gt;Chapter&lt;/i&gt; &amp; more, Page 12</b><br/>"
                            "the <b>word</b> here"));
}

void tst_ReadingPanels::searchPanelRequests()
{
    SearchView panel(nullptr);
    SearchResult byPage;
    byPage.page = 9;
    byPage.position = 77;
    byPage.isPageJump = true;
    SearchResult byPosition;
    byPosition.page = 4;
    byPosition.position = 200003;
    panel.model()->setResults({ byPage, byPosition });
    QSignalSpy pages(&panel, &SidePanel::navigateToPage);
    QSignalSpy positions(&panel, &SidePanel::navigateToPosition);
    QSignalSpy hidden(&panel, &SidePanel::hideWindow);
    panel.onResultsDoubleClick(panel.model()->index(0, 0));
    QCOMPARE(pages.takeFirst().first().toInt(), 9);
    panel.onResultsDoubleClick(panel.model()->index(1, 0));
    QCOMPARE(positions.takeFirst().first().toInt(), 200003);
    panel.onResultsDoubleClick(QModelIndex());
    QCOMPARE(hidden.count(), 2);
    QTest::keyClick(&panel, Qt::Key_Escape);
    QCOMPARE(hidden.count(), 3);
    // Showing the panel with no stored text starts nothing and empties it.
    panel.show();
    QCOMPARE(panel.model()->rowCount(), 0);
}

void tst_ReadingPanels::searchLine()
{
    SearchEdit edit;
    QSignalSpy searched(&edit, &SearchBox::search);
    QSignalSpy cleaned(&edit, &SearchBox::clean);
    QCOMPARE(edit.buttonPage(), 0);
    edit.setText(QStringLiteral("  whale "));
    QCOMPARE(edit.buttonPage(), 1);
    QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
    QCOMPARE(searched.takeFirst().first().toString(), QStringLiteral("whale"));
    edit.clear();
    QCOMPARE(edit.text(), QString());
    QCOMPARE(edit.buttonPage(), 0);
    QCOMPARE(cleaned.count(), 0);
    // Return in an empty line searches for the empty text.
    QTest::keyClick(edit.lineEdit(), Qt::Key_Return);
    QCOMPARE(searched.takeFirst().first().toString(), QString());
}

VL_TEST_WIDGETS_MAIN(tst_ReadingPanels)
#include "tst_readingpanels.moc"
