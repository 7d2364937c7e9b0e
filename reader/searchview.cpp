#include "reader/searchview.h"

#include "document/idocument.h"
#include "reader/readerpanelparts.h"
#include "reader/searchedit.h"
#include "reader/searchmodel.h"
#include "reader/searchtable.h"
#include "reader/textviewer.h"
#include "reader/usercontext.h"
#include "widgets/button.h"
#include "widgets/panelparts.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QVBoxLayout>

SearchView::SearchView(UserContext *context, QWidget *parent)
    : SidePanel(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("settingsViewContent"));
    m_model = new SearchModel(this);
    m_titleLabel = makeReaderPanelTitle(this);
    m_searchEdit = new SearchEdit(this);
    m_searchEdit->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_table = new SearchTable(this);
    m_table->setModel(m_model);
    m_backButton = makePanelBackButton(this);
    m_closeButton = makePanelCloseButton(this);

    auto *searchBox = new QFrame(this);
    searchBox->setObjectName(QStringLiteral("settingBox"));
    auto *searchLayout = new QVBoxLayout(searchBox);
    searchLayout->setContentsMargins(20, 13, 20, 20);
    searchLayout->setSpacing(0);
    searchLayout->addWidget(m_searchEdit);
    searchLayout->addSpacing(14);
    searchLayout->addWidget(makeReaderPanelWhiteBox(m_table, 0, searchBox), 1);

    m_cancelButton = makeReaderPanelCommand("buttonCancel", this);
    m_goToButton = makeReaderPanelCommand("buttonSaveSettings", this);
    layOutReaderPanel(this, nullptr,
                      makeReaderPanelTitleRow(m_backButton, m_titleLabel, m_closeButton), searchBox,
                      makeReaderPanelCommandBar(m_cancelButton, m_goToButton, this));

    connect(m_backButton, &QPushButton::clicked, this, &SearchView::hideWindow);
    connect(m_closeButton, &QPushButton::clicked, this, &SearchView::hideWindow);
    connect(m_cancelButton, &QPushButton::clicked, this, &SearchView::onCancel);
    connect(m_goToButton, &QPushButton::clicked, this, &SearchView::onButtonGoTo);
    connect(m_table, &QTableView::doubleClicked, this, &SearchView::onResultsDoubleClick);
    connect(m_searchEdit, &SearchBox::search, this, [this](const QString &text) {
        if (m_context) {
            const QScopedValueRollback<bool> storing(m_storingText, true);
            m_context->setSearchingText(text);
        }
        beginSearch();
    });
    connect(m_searchEdit, &SearchBox::clean, this, &SearchView::onCleanSearch);
    if (m_context) {
        connect(m_context, &UserContext::searhingTextChanged, this,
                &SearchView::onSearchingTextChanged);
    }

    retranslate();
}

SearchView::~SearchView() = default;

void SearchView::onSearchingTextChanged()
{
    // A search asked for elsewhere (the window's search line) while the
    // panel is open fills the panel too.
    if (m_storingText || !isVisible() || !m_context)
        return;
    m_searchEdit->setText(m_context->searchingText().trimmed());
    beginSearch();
}

void SearchView::beginSearch()
{
    if (!m_context)
        return;
    const QString text = m_context->searchingText();
    IDocument *document = m_context->document();
    if (!document)
        return;
    if (TextViewer *viewer = document->viewer()) {
        connect(viewer, &TextViewer::finishedSearch, this, &SearchView::onFinishedSearch,
                Qt::UniqueConnection);
        // The viewer's answer to this very text is shown at once; a newer
        // search replaces it when it ends.
        if (!viewer->isPaginating() && viewer->readingState().searchedText == text)
            m_model->setResults(viewer->searchResults());
        return;
    }
    m_model->setResults(document->search(text));
}

void SearchView::beginSearch(const QString &what)
{
    if (m_context) {
        const QScopedValueRollback<bool> storing(m_storingText, true);
        m_context->setSearchingText(what);
    }
    beginSearch();
}

void SearchView::onSearch(const QString &text)
{
    Q_UNUSED(text)
    beginSearch();
}

void SearchView::onFinishedSearch()
{
    TextViewer *viewer = m_context ? m_context->textViewer() : nullptr;
    if (viewer && sender() == viewer)
        m_model->setResults(viewer->searchResults());
}

void SearchView::onCleanSearch()
{
    m_model->clear();
    if (m_context && m_context->document())
        m_context->document()->clearSearch();
}

void SearchView::onCancel()
{
    onCleanSearch();
    emit hideWindow();
}

void SearchView::buttonHide()
{
    emit hideWindow();
}

void SearchView::buttonGoTo()
{
    emit navigateToPosition(m_table->currentIndex().data(SearchModel::OrderRole).toInt());
    emit hideWindow();
}

void SearchView::onResultsDoubleClick(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    if (index.data(SearchModel::PageResultRole).toBool())
        emit navigateToPage(index.data(SearchModel::PageRole).toInt());
    else
        emit navigateToPosition(index.data(SearchModel::OrderRole).toInt());
    emit hideWindow();
}

void SearchView::onButtonGoTo()
{
    onResultsDoubleClick(m_table->currentIndex());
}

void SearchView::showEvent(QShowEvent *event)
{
    m_searchEdit->selectAll();
    m_model->clear();
    const QString text = m_context ? m_context->searchingText().trimmed() : QString();
    m_searchEdit->setText(text);
    if (!text.isEmpty())
        beginSearch();
    SidePanel::showEvent(event);
}

void SearchView::keyPressEvent(QKeyEvent *event)
{
    // Keys stop here: the page behind the panel must not turn.
    if (event->key() == Qt::Key_Escape)
        emit hideWindow();
}

void SearchView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SidePanel::changeEvent(event);
}

void SearchView::retranslate()
{
    m_titleLabel->setText(tr("Search"));
    m_goToButton->setText(tr("GO TO..."));
    m_cancelButton->setText(tr("CANCEL"));
}
