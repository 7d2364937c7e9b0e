#pragma once

#include "pages/readerpage.h"
#include "pages/readingcontext.h"
#include "pages/searchbox.h"
#include "pages/sidepanel.h"

class QLabel;
class QLineEdit;

// Stand-ins for the pages and panels whose parts of the program are not
// built yet. They show a short notice, log what was asked of them and never
// pretend to have done it: the reader page opens nothing (so the window
// returns to the library).

class PlaceholderReaderPage : public ReaderPage
{
    Q_OBJECT
public:
    explicit PlaceholderReaderPage(QWidget *parent = nullptr);

    bool openBook(const BookDto &book) override;
    void beginResize() override { }
    void endResize() override { }
    void setFullScreen(bool) override { }
    void back() override { }
    void print() override { }
};

// A panel that only says what it will hold; Escape closes it.
class PlaceholderSidePanel : public SidePanel
{
    Q_OBJECT
public:
    PlaceholderSidePanel(const QString &objectName, QWidget *parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// A plain line edit behind the tool bar's search face: Return searches,
// every edit reports the text, and emptying the line reports a clean.
class LineSearchBox : public SearchBox
{
    Q_OBJECT
public:
    explicit LineSearchBox(QWidget *parent = nullptr);

    QString text() const override;
    void setText(const QString &text) override;
    void clear() override;
    void setCompleter(QCompleter *completer) override;
    void setPlaceholderText(const QString &text) override;
    void selectAll() override;

    QLineEdit *lineEdit() const { return m_edit; }

private:
    QLineEdit *m_edit = nullptr;
};

// The reading controller while no reading view exists: nothing is open, so
// there is nothing to navigate.
class IdleReadingContext : public ReadingContext
{
    Q_OBJECT
public:
    explicit IdleReadingContext(QObject *parent = nullptr);

public slots:
    void navigateToPage(int) override { }
    void navigateToPosition(int) override { }
    void navigateToPositionPath(const QString &) override { }
    void clearSearch() override { }
    void setSearchingText(const QString &text) override { emit searhingTextChanged(text); }
};
