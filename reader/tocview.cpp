#include "reader/tocview.h"

#include "reader/bookmarkmodel.h"
#include "reader/bookmarktable.h"
#include "reader/readerpanelparts.h"
#include "reader/tocmodel.h"
#include "reader/toctreeview.h"
#include "reader/usercontext.h"
#include "widgets/button.h"
#include "widgets/panelparts.h"
#include "widgets/tabbutton.h"
#include "widgets/tabwidget.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int TocTab = 0;
constexpr int BookmarksTab = 1;

QFrame *makePage(QWidget *content, QWidget *parent)
{
    auto *page = new QFrame(parent);
    page->setObjectName(QStringLiteral("settingBox"));
    auto *pageLayout = new QVBoxLayout(page);
    pageLayout->setContentsMargins(20, 20, 20, 20);
    pageLayout->addWidget(makeReaderPanelWhiteBox(content, 8, page));
    return page;
}

} // namespace

TocView::TocView(UserContext *context, QWidget *parent)
    : SidePanel(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("settingsViewContent"));
    m_tocModel = new TocModel(this);
    m_bookmarkModel = new BookmarkModel(context, this);

    m_closeButton = makePanelCloseButton(this);
    m_backButton = makePanelBackButton(this);
    m_titleLabel = makeReaderPanelTitle(this);

    m_tree = new TocTreeView(this);
    m_tree->setModel(m_tocModel);
    m_table = new BookmarkTable(this);
    m_table->setModel(m_bookmarkModel);

    m_tabs = new TabWidget(this);
    m_tocTab = new TabButton;
    m_tocTab->setObjectName(QStringLiteral("buttonTabToc"));
    m_bookmarksTab = new TabButton;
    m_bookmarksTab->setObjectName(QStringLiteral("buttonTabBookmarks"));
    m_tabs->insertTab(makePage(m_tree, m_tabs), TocTab, m_tocTab);
    m_tabs->insertTab(makePage(m_table, m_tabs), BookmarksTab, m_bookmarksTab);

    m_goToButton = makeReaderPanelCommand("buttonSaveSettings", this);
    m_cancelButton = makeReaderPanelCommand("buttonCancel", this);
    layOutReaderPanel(this, nullptr,
                      makeReaderPanelTitleRow(m_backButton, m_titleLabel, m_closeButton), m_tabs,
                      makeReaderPanelCommandBar(m_cancelButton, m_goToButton, this));

    connect(m_closeButton, &QPushButton::clicked, this, &TocView::buttonHide);
    connect(m_backButton, &QPushButton::clicked, this, &TocView::buttonHide);
    connect(m_cancelButton, &QPushButton::clicked, this, &TocView::buttonHide);
    connect(m_goToButton, &QPushButton::clicked, this, &TocView::buttonGoTo);
    connect(m_tree, &QTreeView::doubleClicked, this, &TocView::onTocTableDoubleClick);
    connect(m_table, &QTableView::doubleClicked, this, &TocView::onBookmarksDoubleClick);
    connect(m_table, &QTableView::clicked, this, &TocView::onBookmarkClicked);

    retranslate();
    m_tabs->setCurrentIndex(TocTab);
}

TocView::~TocView() = default;

void TocView::setToc(const QList<TocItem> &entries)
{
    m_tocModel->setToc(entries);
}

void TocView::setBookmarks(const QList<ViewerBookmark> &bookmarks)
{
    m_bookmarkModel->setBookmarks(bookmarks);
}

void TocView::loadFromOpenBook()
{
    if (!m_context) {
        setToc({});
        setBookmarks({});
        return;
    }
    setToc(m_context->tableOfContents());
    setBookmarks(m_context->bookmarks());
}

void TocView::setConfirmation(PanelConfirmation confirmation)
{
    m_confirmation = std::move(confirmation);
}

void TocView::buttonHide()
{
    emit hideWindow();
}

void TocView::buttonGoTo()
{
    QModelIndex current;
    if (m_tabs->currentIndex() == TocTab)
        current = m_tree->currentIndex();
    else if (m_tabs->currentIndex() == BookmarksTab)
        current = m_table->currentIndex();
    const int position = current.isValid() ? current.data(TocModel::NavigationRole).toInt() : 0;
    emit navigateToPosition(position);
    emit hideWindow();
}

void TocView::onTocTableDoubleClick(const QModelIndex &index)
{
    bool ok = false;
    const int position = index.data(TocModel::NavigationRole).toInt(&ok);
    if (!ok)
        return;
    emit navigateToPosition(position);
    emit hideWindow();
}

void TocView::onBookmarksDoubleClick(const QModelIndex &index)
{
    emit navigateToPosition(index.data(BookmarkModel::NavigationRole).toInt());
    emit hideWindow();
}

void TocView::onBookmarkClicked(const QModelIndex &index)
{
    if (!index.isValid() || index.column() != 2)
        return;
    const int row = index.row();
    if (!confirmInPanel(m_confirmation,
                        tr("Delete bookmark", "delete bookmark: caption"),
                        tr("Are you sure you want to delete this bookmark?", "delete bookmark: text"),
                        this)) {
        return;
    }
    m_bookmarkModel->removeBookmark(row);
}

void TocView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        emit hideWindow();
        return;
    }
    event->ignore();
}

void TocView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SidePanel::changeEvent(event);
}

void TocView::retranslate()
{
    m_titleLabel->setText(tr("Table of contents"));
    m_tocTab->setText(tr("Table of contents"));
    m_bookmarksTab->setText(tr("Bookmarks"));
    m_cancelButton->setText(tr("CANCEL"));
    m_goToButton->setText(tr("GO TO..."));
    m_tree->viewport()->update();
    m_table->viewport()->update();
}
