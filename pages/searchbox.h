#pragma once

#include <QFrame>
#include <QString>

class QCompleter;

// The search line of the main window's tool bar: it filters the library on
// pages 0 and 1 and searches the open book on page 2. The reading view's
// search edit derives from this.
class SearchBox : public QFrame
{
    Q_OBJECT
public:
    explicit SearchBox(QWidget *parent = nullptr);
    ~SearchBox() override;

    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual void clear() = 0;
    // Null removes the completer.
    virtual void setCompleter(QCompleter *completer) = 0;
    virtual void setPlaceholderText(const QString &text) = 0;
    // Focuses the edit and selects all of its text.
    virtual void selectAll() = 0;

signals:
    // The user asked to search for the text.
    void search(const QString &text);
    // The text changed.
    void changed(const QString &text);
    // The user cleared the text.
    void clean();

private:
    Q_DISABLE_COPY_MOVE(SearchBox)
};
