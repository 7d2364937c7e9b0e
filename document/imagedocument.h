#pragma once

#include "document/idocument.h"

#include <QImage>
#include <QObject>
#include <QPair>

// Base of the documents whose pages are pictures (comic archives, PDF). It
// keeps the current page, the column count and the zoom scale and does the
// page navigation; each image document supplies its pages.
//
// Navigation (page, columns, scale) is read and written on the GUI thread
// only. pageImage() and pageImages() are also called from the viewers'
// worker threads, so implementations must not touch the navigation state
// there.
class ImageDocument : public QObject, public IDocument
{
    Q_OBJECT
    Q_INTERFACES(IDocument)
public:
    explicit ImageDocument(QObject *parent = nullptr);
    ~ImageDocument() override;

    // Opens the book; false when it cannot be shown.
    virtual bool load(const QString &filePath) = 0;
    // The picture of one page; a null image when the page cannot be made.
    virtual QImage pageImage(int page) = 0;
    // pageImage(first), then pageImage(second): the two-page view.
    virtual QPair<QImage, QImage> pageImages(int first, int second);
    int pageCount() override = 0;
    // Stores the zoom factor and always signals it, also when unchanged.
    virtual void setScale(double scale);
    virtual bool isValidPage(int page) = 0;

    double scale() const { return m_scale; }

    int currentPage() override;
    int columnCount() override;
    // 1 or 2; anything else is taken as 1. Always signals.
    void setColumnCount(int count) override;

signals:
    void pageNumberChanged(int number);
    void columnCountChanged(int columns);
    void scaleChanged(double scaleValue);

public slots:
    void nextPage();
    void previousPage();
    // A page isValidPage() refuses makes page 1 current. Always signals.
    void setPage(int number) override;
    void moveToEnd() override;
    void moveToHome() override;

private:
    Q_DISABLE_COPY_MOVE(ImageDocument)

    int m_columnCount = 1;
    int m_page = 1;
    double m_scale = 1.0;
};
