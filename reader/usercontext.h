#pragma once

#include "document/tocitem.h"
#include "library/db/bookdto.h"
#include "pages/readingcontext.h"
#include "reader/messagepresenter.h"
#include "reader/note.h"
#include "reader/viewerbookmark.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class BookModel;
class IDocument;
class TextViewer;

// The one controller of what is being read: the open book's library record,
// its document, the search text, and the operations the tool bar, the side
// panels and the main window run on the book (navigation, bookmarks, notes
// count, font size, colour profile, columns, saving the position and the
// progress texts). It hides the difference between reflowable books, whose
// TextViewer does the work, and page-image documents, which the document
// itself or the library serves.
//
// Made once, without a parent, by the application object, which owns it;
// the reading frame fills it when a book is opened. GUI thread only.
//
// The document is not owned. The controller follows the document object's
// life, so once the viewer that owns it deletes it, document() answers null
// and every operation that needs a document does nothing.
class UserContext : public ReadingContext
{
    Q_OBJECT
public:
    explicit UserContext(QObject *parent = nullptr);
    ~UserContext() override;

    // The library's book model, which shows changed rows; not owned, may be
    // null (then only the database is written).
    void setBookModel(BookModel *model);
    void setMessagePresenter(MessagePresenter presenter);

    void setBook(const BookDto &book);
    BookDto &book() { return m_book; }
    // Null, or a document whose class derives from QObject (all of them do).
    void setDocument(IDocument *document);
    IDocument *document() const;
    // The viewer of a reflowable document; null for page-image documents
    // and between books.
    TextViewer *textViewer() const;

    void setSearchingText(const QString &text) override;
    QString searchingText() const { return m_searchingText; }

    QList<ViewerBookmark> bookmarks();
    void removeBookmark(int index);
    QList<Note> notes() const;
    void editNote(const QString &id);
    void removeNote(const QString &id);
    QList<TocItem> tableOfContents();
    void restorePosition();

    // The library window's last choices, kept in "settings.ini".
    int lastTypeCategory() const;
    int lastCustomCategory() const;
    int lastGeneralCategory() const;
    void setLastTypeCategory(int category);
    void setLastCustomCategory(int category);
    void setLastGeneralCategory(int category);

    // The page part of the progress text: "7", or "7-8" for two columns
    // unless the page is the last one.
    static QString pageText(int page, int count, int columns);

    // The bounds of a text profile's font size.
    static constexpr int MinFontSize = 8;
    static constexpr int MaxFontSize = 40;

public slots:
    void navigateToPosition(int newPosition) override;
    void navigateToPositionPath(const QString &newPosition) override;
    void navigateToPage(int newPage) override;
    void clearSearch() override;
    void setNotesCount(int count);
    void addBookmark();
    void nextProfile();
    void switchColumnCount();
    void increaseFont();
    void decreaseFont();
    void savePosition();
    void updateBookInfo();

private:
    Q_DISABLE_COPY_MOVE(UserContext)

    void showMessage(const QString &title, const QString &text);
    void changeFontSize(int step);
    int readCategory(const QString &key, int fallback) const;
    void writeCategory(const QString &key, int value);
    // Viewer page and page count of the whole book, as the progress texts
    // count them.
    bool pagesOfBook(int *page, int *count) const;

    QString m_searchingText;
    IDocument *m_document = nullptr;
    // The document as an object: cleared by Qt when the document is deleted.
    QPointer<QObject> m_documentObject;
    BookDto m_book;
    QPointer<BookModel> m_bookModel;
    MessagePresenter m_presenter;
};
