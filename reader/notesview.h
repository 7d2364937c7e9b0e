#pragma once

#include "pages/sidepanel.h"
#include "reader/messagepresenter.h"
#include "reader/note.h"
#include "reader/panelconfirmation.h"

#include <QList>
#include <QPointer>

#include <functional>

class Button;
class NoteSortFilterModel;
class NoteTreeView;
class NotesModel;
class QComboBox;
class QLabel;
class QPushButton;
class SearchEdit;
class UserContext;

// The notes panel: the open book's notes grouped by chapter title, with
// filters for the colour, the comment state and a search text, sorted by
// date (newest first) when filled. A double click or "GO TO..." sends the
// reader to the note (navigateToPositionPath); the pencil opens the note's
// balloon in the page for editing; the trash deletes the note after the
// reader confirms; "Save as HTML" exports all notes of the book.
class NotesView : public SidePanel
{
    Q_OBJECT
public:
    // Asks where to export: the chosen path, empty when cancelled.
    using SaveFileChooser = std::function<QString(const QString &caption, const QString &filter,
                                                  const QString &fileName)>;

    // The controller is the application's one; not owned, may be null.
    explicit NotesView(UserContext *context, QWidget *parent = nullptr);
    ~NotesView() override;

    void setNotes(const QList<Note> &notes);
    void loadFromOpenBook() override;
    void resetFilters() override;
    void selectFilterText() override;
    void retranslate();

    void setConfirmation(PanelConfirmation confirmation);
    void setSaveFileChooser(SaveFileChooser chooser);
    // Tells the reader when an export could not be written.
    void setMessagePresenter(MessagePresenter presenter);

    NotesModel *model() const { return m_model; }
    NoteSortFilterModel *proxy() const { return m_proxy; }
    NoteTreeView *notesTree() const { return m_notesTree; }
    QComboBox *colorCombo() const { return m_colorCombo; }
    QComboBox *commentCombo() const { return m_commentCombo; }
    SearchEdit *searchEdit() const { return m_searchEdit; }
    // Why the last export wrote nothing; empty after a written one.
    QString lastExportError() const { return m_exportError; }

signals:
    // Declared for the window; the panel does not emit it.
    void navigateToProgress(float progress);

public slots:
    void buttonExport();
    void buttonHide();
    void buttonGoTo();
    void initCommentFilters();
    void onNotesDoubleClick(const QModelIndex &index);
    void onNoteDeleteClicked(const QModelIndex &index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(NotesView)

    void onColorActivated(int index);
    void onCommentActivated(int index);
    void onRowClicked(const QModelIndex &index);

    QPointer<UserContext> m_context;
    QLabel *m_titleLabel = nullptr;
    NoteTreeView *m_notesTree = nullptr;
    NotesModel *m_model = nullptr;
    NoteSortFilterModel *m_proxy = nullptr;
    Button *m_backButton = nullptr;
    Button *m_closeButton = nullptr;
    Button *m_exportButton = nullptr;
    QPushButton *m_goToButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    QComboBox *m_commentCombo = nullptr;
    QComboBox *m_colorCombo = nullptr;
    SearchEdit *m_searchEdit = nullptr;
    PanelConfirmation m_confirmation;
    SaveFileChooser m_saveFileChooser;
    MessagePresenter m_presenter;
    QString m_exportCaption;
    QString m_exportFilter;
    QString m_exportError;
};
