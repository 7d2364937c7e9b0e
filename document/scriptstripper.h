#pragma once

#include <QByteArray>

// Removes what could run code or reach outside a book from a document before
// a web page loads it: script elements, on* event attributes, links or
// sources with a "javascript:" or "vbscript:" address, inline documents
// ("srcdoc", "data:" frames), page refreshes, and internal DTD declarations
// that could bring markup or outside files back through an entity.
//
// Works on the markup as text rather than on a parsed tree, so that a
// document which is not well-formed is stripped too instead of reaching the
// page with its scripts, and everything else in the file (formatting,
// entities, doctype) stays byte for byte. Wherever the HTML and the XML
// reading of the text differ (comments, CDATA sections, doctype, quotes in
// odd places, raw-text elements), the stripper takes the shorter opaque
// stretch, so markup either parser could see is looked at. Any ASCII-
// compatible encoding works unchanged; UTF-16 is recognised by its byte-order
// mark. Linear in the size of the document; callable from any thread.
class ScriptStripper
{
public:
    // The content without scripts; changed tells whether anything was
    // removed (the caller rewrites the file only then).
    static QByteArray strip(const QByteArray &content, bool *changed);
};
