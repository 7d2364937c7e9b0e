#pragma once

#include <QString>

// The page script that the text viewer and the pagination helper evaluate in
// front of every call into a page, and the quoting of values put into those
// calls.
class PageScript
{
public:
    // Resource path of the script; the program must link the engine resources.
    static QString resourcePath();
    // The script text read as UTF-8, or an empty string when the resource is
    // not linked into the program.
    static QString text();

    // `value` as a JavaScript string literal, quotes included. Book ids,
    // element paths and search texts come from the book or the user; they must
    // never be able to end the literal or the call they are put into.
    static QString quoted(const QString &value);
};
