#include "library/db/bookdto.h"

// The texts that come from a books column start empty rather than null, so
// that a record that was never read compares like one read from empty
// columns; the hash and the category title stay null.
BookDto::BookDto()
    : cover(QLatin1String(""))
    , fullPath(QLatin1String(""))
    , author(QLatin1String(""))
    , title(QLatin1String(""))
{
}
