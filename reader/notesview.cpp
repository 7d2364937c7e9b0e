#include "reader/notesview.h"

#include "document/textdocument.h"
#include "reader/comboboxcoloritemdelegate.h"
#include "reader/notesmodel.h"
#include "reader/notesortfiltermodel.h"
#include "reader/notetreeview.h"
#include "reader/readerpanelparts.h"
#include "reader/searchedit.h"
#include "reader/textviewer.h"
#include "reader/usercontext.h"
#include "widgets/button.h"
#include "widgets/comboboxitemdelegate.h"
#include "widgets/panelparts.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

constexpr int FilterHeight = 37;

} // namespace

NotesView::NotesView(UserContext *context, QWidget *parent)
    : SidePanel(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("settingsViewContent"));
    m_titleLabel = makeReaderPanelTitle(this);

    m_model = new NotesModel(this);
    m_proxy = new NoteSortFilterModel(this);
    m_proxy->setSourceModel(m_model);
    m_notesTree = new NoteTreeView(this);
    m_notesTree->setFocusPolicy(Qt::StrongFocus);
    m_notesTree->setExpandsOnDoubleClick(false);
    m_notesTree->setModel(m_proxy);

    m_backButton = makePanelBackButton(this);
    m_closeButton = makePanelCloseButton(this);
    m_exportButton = new Button(this);
    m_exportButton->setObjectName(QStringLiteral("buttonExportNotes"));
    m_exportButton->setIconSize(QSize(16, 16));
    m_goToButton = makeReaderPanelCommand("buttonSaveSettings", this);
    m_cancelButton = makeReaderPanelCommand("buttonCancel", this);

    m_commentCombo = new QComboBox(this);
    m_commentCombo->setFixedHeight(FilterHeight);
    m_commentCombo->setMinimumWidth(37);
    m_commentCombo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_commentCombo->setItemDelegate(new ComboBoxItemDelegate(m_commentCombo));

    m_colorCombo = new QComboBox(this);
    m_colorCombo->setFixedHeight(FilterHeight);
    m_colorCombo->setMinimumWidth(42);
    m_colorCombo->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_colorCombo->setItemDelegate(new ComboBoxColorItemDelegate(m_colorCombo));
    // Item i stands for entry i of the note palette; item 0 for every colour.
    const QStringList icons = { QStringLiteral(":/style/images/colpicker.png"),
                                QStringLiteral(":/style/images/col1.png"),
                                QStringLiteral(":/style/images/col2.png"),
                                QStringLiteral(":/style/images/col3.png"),
                                QStringLiteral(":/style/images/col4.png"),
                                QStringLiteral(":/style/images/col5.png") };
    for (const QString &icon : icons)
        m_colorCombo->addItem(QIcon(icon), QString());

    m_searchEdit = new SearchEdit(this);
    m_searchEdit->setFocusPolicy(Qt::StrongFocus);
    m_searchEdit->setFixedHeight(FilterHeight);
    m_searchEdit->setMinimumWidth(37);
    m_searchEdit->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    auto *filterBox = new QFrame(this);
    filterBox->setObjectName(QStringLiteral("settingBox"));
    auto *filterLayout = new QVBoxLayout(filterBox);
    filterLayout->setContentsMargins(20, 20, 20, 20);
    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(m_colorCombo);
    filterRow->addSpacing(6);
    filterRow->addWidget(m_commentCombo);
    filterRow->addStretch();
    filterRow->addWidget(m_searchEdit);
    filterLayout->addLayout(filterRow);
    filterLayout->addSpacing(8);
    filterLayout->addWidget(makeReaderPanelWhiteBox(m_notesTree, 0, filterBox));

    layOutReaderPanel(this, m_closeButton,
                      makeReaderPanelTitleRow(m_backButton, m_titleLabel, m_exportButton),
                      filterBox, makeReaderPanelCommandBar(m_cancelButton, m_goToButton, this));

    connect(m_backButton, &QPushButton::clicked, this, &NotesView::buttonHide);
    connect(m_closeButton, &QPushButton::clicked, this, &NotesView::buttonHide);
    connect(m_cancelButton, &QPushButton::clicked, this, &NotesView::buttonHide);
    connect(m_goToButton, &QPushButton::clicked, this, &NotesView::buttonGoTo);
    connect(m_exportButton, &QPushButton::clicked, this, &NotesView::buttonExport);
    connect(m_notesTree, &QTreeView::doubleClicked, this, &NotesView::onNotesDoubleClick);
    connect(m_notesTree, &QTreeView::clicked, this, &NotesView::onRowClicked);
    connect(m_colorCombo, QOverload<int>::of(&QComboBox::activated), this,
            &NotesView::onColorActivated);
    connect(m_commentCombo, QOverload<int>::of(&QComboBox::activated), this,
            &NotesView::onCommentActivated);
    connect(m_searchEdit, &SearchBox::changed, m_proxy, &NoteSortFilterModel::setSearchText);

    retranslate();
}

NotesView::~NotesView() = default;

void NotesView::setConfirmation(PanelConfirmation confirmation)
{
    m_confirmation = std::move(confirmation);
}

void NotesView::setSaveFileChooser(SaveFileChooser chooser)
{
    m_saveFileChooser = std::move(chooser);
}

void NotesView::setMessagePresenter(MessagePresenter presenter)
{
    m_presenter = std::move(presenter);
}

void NotesView::setNotes(const QList<Note> &notes)
{
    m_model->setNotes(notes);
    m_notesTree->expandAll();
    m_notesTree->sortByColumn(4, Qt::DescendingOrder);
    m_notesTree->setFocus();
}

void NotesView::loadFromOpenBook()
{
    setNotes(m_context ? m_context->notes() : QList<Note>());
}

void NotesView::resetFilters()
{
    m_colorCombo->setCurrentIndex(0);
    m_commentCombo->setCurrentIndex(0);
    m_searchEdit->clear();
    m_proxy->setSearchText(QString());
    m_model->setCommentFilter(NotesModel::AllNotes);
    m_model->setColorFilter(noteColors().first());
    m_proxy->invalidate();
}

void NotesView::selectFilterText()
{
    m_searchEdit->selectAll();
}

void NotesView::retranslate()
{
    m_titleLabel->setText(tr("Notes"));
    m_cancelButton->setText(tr("CANCEL"));
    m_goToButton->setText(tr("GO TO..."));
    m_exportButton->setText(tr("Save as HTML"));
    m_searchEdit->setPlaceholderText(tr("Search notes"));
    initCommentFilters();
    m_notesTree->viewport()->update();
}

void NotesView::initCommentFilters()
{
    const int current = qMax(0, m_commentCombo->currentIndex());
    const QSignalBlocker blocker(m_commentCombo);
    m_commentCombo->clear();
    m_commentCombo->addItems({ tr("All notes"), tr("With comments"), tr("Without comments") });
    m_commentCombo->setCurrentIndex(current);
}

void NotesView::onColorActivated(int index)
{
    m_model->setColorFilter(noteColors().value(index, noteColors().first()));
    m_proxy->invalidate();
    m_notesTree->expandAll();
}

void NotesView::onCommentActivated(int index)
{
    m_model->setCommentFilter(index);
    m_proxy->invalidate();
    m_notesTree->expandAll();
}

void NotesView::buttonHide()
{
    emit hideWindow();
}

void NotesView::buttonGoTo()
{
    const QString location = m_notesTree->currentIndex().data(NotesModel::LocationRole).toString();
    if (location.isEmpty())
        return;
    emit navigateToPositionPath(location);
    emit hideWindow();
}

void NotesView::onNotesDoubleClick(const QModelIndex &index)
{
    Q_UNUSED(index)
    buttonGoTo();
}

void NotesView::onRowClicked(const QModelIndex &index)
{
    // A removal may take the row away under the click.
    const QPersistentModelIndex first(index.siblingAtColumn(0));
    onNoteDeleteClicked(index);
    if (!first.isValid())
        return;
    if (m_notesTree->isExpanded(first))
        m_notesTree->collapse(first);
    else
        m_notesTree->expand(first);
}

void NotesView::onNoteDeleteClicked(const QModelIndex &index)
{
    if (index.data(NotesModel::KindRole).toInt() != NoteEntry::NoteRow)
        return;
    if (index.column() == NotesModel::EditColumn) {
        const QString id = m_proxy->mapToSource(index).data(NotesModel::IdRole).toString();
        emit hideWindow();
        if (m_context)
            m_context->editNote(id);
        return;
    }
    if (index.column() != NotesModel::DeleteColumn)
        return;
    if (!confirmInPanel(m_confirmation, tr("Delete note", "delete note: caption"),
                        tr("Are you sure you want to delete this note?", "delete note: text"),
                        this)) {
        return;
    }
    const QModelIndex source = m_proxy->mapToSource(index).siblingAtColumn(0);
    const QString id = source.data(NotesModel::IdRole).toString();
    if (!m_model->removeRow(source.row(), source.parent()))
        return;
    if (m_context)
        m_context->removeNote(id);
    m_proxy->invalidate();
}

void NotesView::buttonExport()
{
    if (m_exportCaption.isEmpty()) {
        m_exportCaption = tr("Export notes to HTML");
        m_exportFilter = tr("HTML Files (*.html *.htm)");
    }
    m_exportError.clear();
    TextViewer *viewer = m_context ? m_context->textViewer() : nullptr;
    QString fileName;
    if (viewer) {
        fileName = QStringLiteral("Notes-%1.html")
                           .arg(QFileInfo(viewer->bookPath()).completeBaseName());
    }
    QString path;
    if (m_saveFileChooser) {
        path = m_saveFileChooser(m_exportCaption, m_exportFilter, fileName);
    } else {
        QFileDialog dialog(nullptr, m_exportCaption, QString(), m_exportFilter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.selectFile(fileName);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            path = dialog.selectedFiles().constFirst();
    }
    if (path.isEmpty() || !viewer)
        return;

    QSaveFile file(path);
    const QByteArray html = viewer->exportNotesHtml().toUtf8();
    if (!file.open(QIODevice::WriteOnly) || file.write(html) != html.size() || !file.commit()) {
        m_exportError = file.errorString();
        presentMessage(m_presenter, tr("Error"),
                       tr("The notes could not be saved to \"%1\": %2").arg(path, m_exportError));
    }
}

void NotesView::keyPressEvent(QKeyEvent *event)
{
    // Keys stop here: the page behind the panel must not turn.
    if (event->key() == Qt::Key_Escape)
        emit hideWindow();
}

void NotesView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::LanguageChange)
        retranslate();
    SidePanel::changeEvent(event);
}
