#include "reader/bookoperations.h"

BookOperations::BookOperations() = default;

BookOperations *BookOperations::instance()
{
    static BookOperations hub;
    return &hub;
}
