#pragma once

#include "document/tocitem.h"
#include "pages/sidepanel.h"
#include "reader/panelconfirmation.h"
#include "reader/viewerbookmark.h"

#include <QList>
#include <QPointer>

class BookmarkModel;
class BookmarkTable;
class Button;
class QLabel;
class QPushButton;
class TabButton;
class TabWidget;
class TocModel;
class TocTreeView;
class UserContext;

// The contents panel: the open book's table of contents and its bookmarks
// on two tabs. A double click or "GO TO..." sends the reader to the row's
// navigation number (navigateToPosition) and closes the panel; a click on a
// bookmark's trash removes it after the reader confirms. The window fills
// it (loadFromOpenBook()) right before it slides in.
//
// It works from the reading controller only, so it serves every kind of
// book: reflowable books through their viewer, page-image books through
// their document and the library's bookmarks.
class TocView : public SidePanel
{
    Q_OBJECT
public:
    // The controller is the application's one; not owned, may be null.
    explicit TocView(UserContext *context, QWidget *parent = nullptr);
    ~TocView() override;

    void setToc(const QList<TocItem> &entries);
    void setBookmarks(const QList<ViewerBookmark> &bookmarks);
    void loadFromOpenBook() override;
    void setConfirmation(PanelConfirmation confirmation);

    TocModel *tocModel() const { return m_tocModel; }
    BookmarkModel *bookmarkModel() const { return m_bookmarkModel; }
    TocTreeView *tocTree() const { return m_tree; }
    BookmarkTable *bookmarkTable() const { return m_table; }
    TabWidget *tabWidget() const { return m_tabs; }

signals:
    // Declared for the window; the panel does not emit it.
    void navigateToProgress(float progress);

public slots:
    void buttonHide();
    void buttonGoTo();
    void onTocTableDoubleClick(const QModelIndex &index);
    void onBookmarksDoubleClick(const QModelIndex &index);
    void onBookmarkClicked(const QModelIndex &index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(TocView)

    void retranslate();

    QPointer<UserContext> m_context;
    TocModel *m_tocModel = nullptr;
    BookmarkModel *m_bookmarkModel = nullptr;
    Button *m_closeButton = nullptr;
    Button *m_backButton = nullptr;
    QLabel *m_titleLabel = nullptr;
    TabWidget *m_tabs = nullptr;
    TabButton *m_tocTab = nullptr;
    TabButton *m_bookmarksTab = nullptr;
    TocTreeView *m_tree = nullptr;
    BookmarkTable *m_table = nullptr;
    QPushButton *m_goToButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    PanelConfirmation m_confirmation;
};
