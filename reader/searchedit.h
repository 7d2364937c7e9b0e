#pragma once

#include "pages/searchbox.h"

class Button;
class QLineEdit;
class QStackedLayout;

// A rounded search line with a search button that turns into a clear
// button while there is text. Return or the search button asks for a
// search of the trimmed text; the clear button empties the line and says
// so (clean()). Used in the main window's tool bar, the notes panel and the
// search panel.
class SearchEdit : public SearchBox
{
    Q_OBJECT
public:
    explicit SearchEdit(QWidget *parent = nullptr);

    QString text() const override;
    void setText(const QString &text) override;
    // Empties the line without a signal.
    void clear() override;
    void setCompleter(QCompleter *completer) override;
    void setPlaceholderText(const QString &text) override;
    void selectAll() override;

    QLineEdit *lineEdit() const { return m_edit; }
    // 0: the search button shows, 1: the clear button.
    int buttonPage() const;

public slots:
    void textChanged(const QString &text);
    void riseSearch();

private:
    Q_DISABLE_COPY_MOVE(SearchEdit)

    QLineEdit *m_edit = nullptr;
    QStackedLayout *m_buttons = nullptr;
    Button *m_searchButton = nullptr;
    Button *m_clearButton = nullptr;
};
