#pragma once

#include <QObject>
#include <QString>

// What the main window needs of the per-book reading controller: the state
// of the open book for the bottom bar and the navigation that the side
// panels ask for. The reading controller derives from this. GUI thread only.
class ReadingContext : public QObject
{
    Q_OBJECT
public:
    explicit ReadingContext(QObject *parent = nullptr);
    ~ReadingContext() override;

signals:
    // The open book's title, its progress text, and whether it is loading.
    void bookInfoChanged(const QString &title, const QString &progress, bool wsLoading);
    void notesCountChanged(int count);
    void searhingTextChanged(const QString &text);

public slots:
    virtual void navigateToPage(int page) = 0;
    virtual void navigateToPosition(int position) = 0;
    virtual void navigateToPositionPath(const QString &position) = 0;
    virtual void clearSearch() = 0;
    // Stores the text to search in the open book and emits
    // searhingTextChanged().
    virtual void setSearchingText(const QString &text) = 0;

private:
    Q_DISABLE_COPY_MOVE(ReadingContext)
};
