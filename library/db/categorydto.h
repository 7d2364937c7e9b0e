#pragma once

#include <QMetaType>
#include <QString>

// One user category (a folders row) with the number of its books.
struct CategoryDto
{
    int id = 0;
    // Stored and returned as the caller gave it.
    int parentId = 0;
    QString title;
    int bookCount = 0;
};

Q_DECLARE_METATYPE(CategoryDto)
