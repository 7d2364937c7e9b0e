#pragma once

#include <QByteArray>

namespace epub {

// Removes what could run code from a book's XHTML document before the web
// view loads it: script elements, on* event attributes and links or sources
// with a "javascript:" or "vbscript:" address.
//
// Works on the markup as text rather than on a parsed tree, so that a
// document which is not well-formed XML is stripped too instead of reaching
// the viewer with its scripts, and everything else in the file (formatting,
// entities, doctype) stays byte for byte. Any ASCII-compatible encoding
// works unchanged; UTF-16 is recognised by its byte-order mark.
class ScriptStripper
{
public:
    // The content without scripts; changed tells whether anything was
    // removed (the caller rewrites the file only then).
    static QByteArray strip(const QByteArray &content, bool *changed);
};

} // namespace epub
