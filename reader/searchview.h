#pragma once

#include "pages/sidepanel.h"

#include <QPointer>

class Button;
class QLabel;
class QPushButton;
class SearchEdit;
class SearchModel;
class SearchTable;
class UserContext;

// The in-book search panel: a search line, the list of hits and GO TO and
// CANCEL. The search text lives in the reading controller. A reflowable
// book is searched by its viewer, which announces the end with
// finishedSearch(); a page-image document answers at once. The panel never
// moves the view itself: it asks for a position (navigateToPosition) or a
// page (navigateToPage, for hits reached by page number).
class SearchView : public SidePanel
{
    Q_OBJECT
public:
    // The controller is the application's one; not owned, may be null.
    explicit SearchView(UserContext *context, QWidget *parent = nullptr);
    ~SearchView() override;

    SearchModel *model() const { return m_model; }
    SearchEdit *searchEdit() const { return m_searchEdit; }
    SearchTable *resultsTable() const { return m_table; }

signals:
    void clean();

public slots:
    void beginSearch();
    void beginSearch(const QString &what);
    void buttonHide();
    void buttonGoTo();
    void onResultsDoubleClick(const QModelIndex &index);
    void onSearch(const QString &text);
    void onButtonGoTo();
    void onCleanSearch();
    void onFinishedSearch();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(SearchView)

    void retranslate();
    void onCancel();
    void onSearchingTextChanged();

    QPointer<UserContext> m_context;
    SearchModel *m_model = nullptr;
    QLabel *m_titleLabel = nullptr;
    SearchEdit *m_searchEdit = nullptr;
    SearchTable *m_table = nullptr;
    Button *m_backButton = nullptr;
    Button *m_closeButton = nullptr;
    QPushButton *m_goToButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    // Set while the panel itself stores a search text, whose search it
    // starts on its own.
    bool m_storingText = false;
};
