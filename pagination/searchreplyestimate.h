#pragma once

#include "pagination/paginationrequest.h"

// What the helper's reply to a search may come to, worked out from the
// book's files before the request goes. Every hit carries the whole text of
// the element that holds it and its position twice (with the hit and with
// its page), so a common word in a long book needs many times the block a
// layout needs. A block made for the estimate at once spares the helper a
// second layout of the whole book; an estimate that falls short is mended
// by the client asking again.
//
// Answers the bytes the reply adds to the request: 0 when the request holds
// no search. Errs on the large side: every paragraph-like run of text that
// holds the word counts whole, whether the page script takes it or not.
namespace SearchReplyEstimate {

qint64 hitBytes(const PaginationRequest &request);

// The same for one file's content, `name` being its name in the request.
qint64 hitBytes(const QString &content, const QString &name, const QString &word);

} // namespace SearchReplyEstimate
