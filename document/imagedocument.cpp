#include "document/imagedocument.h"

ImageDocument::ImageDocument(QObject *parent)
    : QObject(parent)
{
}

ImageDocument::~ImageDocument() = default;

QPair<QImage, QImage> ImageDocument::pageImages(int first, int second)
{
    QImage firstImage = pageImage(first);
    QImage secondImage = pageImage(second);
    return qMakePair(firstImage, secondImage);
}

void ImageDocument::setScale(double scale)
{
    m_scale = scale;
    emit scaleChanged(m_scale);
}

int ImageDocument::currentPage()
{
    return m_page;
}

int ImageDocument::columnCount()
{
    return m_columnCount;
}

void ImageDocument::setColumnCount(int count)
{
    m_columnCount = (count == 1 || count == 2) ? count : 1;
    emit columnCountChanged(m_columnCount);
}

void ImageDocument::nextPage()
{
    const int count = pageCount();
    if (count == 0 || m_page >= count)
        return;
    if (m_columnCount == 2 && m_page != count - 1)
        setPage(m_page + 2);
    else
        setPage(m_page + 1);
}

void ImageDocument::previousPage()
{
    if (pageCount() == 0 || m_page <= 1)
        return;
    if (m_page == 2)
        setPage(1);
    else
        setPage(m_page - m_columnCount);
}

void ImageDocument::setPage(int number)
{
    m_page = isValidPage(number) ? number : 1;
    emit pageNumberChanged(m_page);
}

void ImageDocument::moveToEnd()
{
    setPage(pageCount());
}

void ImageDocument::moveToHome()
{
    setPage(1);
}
