/*
 * Page script of the reading view and the pagination helper.
 *
 * The program never puts this file into a book's page: it evaluates the whole
 * text followed by one call each time it talks to the page, so every function
 * here is defined afresh before each call and nothing is kept in script
 * variables between calls. All state lives in the page itself: the wrapper
 * elements #content, #inner and #custom_epub, the element ids, the note spans
 * and the "left" style of #content, which is the page offset.
 *
 * Arguments named w are the page width in pixels (one page step), g the gap
 * between columns.
 */

var VOR_ID_TAGS = ["div", "p", "span", "h1", "h2", "h3", "h4", "h5", "h6", "pre", "a"];
var VOR_POSITION_TAGS = {
    DIV: true, P: true, SPAN: true, H1: true, H2: true, H3: true, H4: true, H5: true,
    H6: true, PRE: true
};
var VOR_NOTE_CLASS = "vor_note";
var VOR_NOTE_ID_CLASS = "vor_note_id_";
var VOR_FIRST_VISIBLE_CLASS = "first_visible";
// Wider than any book's columns laid side by side.
var VOR_UNBOUNDED = 100000000;

/* ---- helpers ---------------------------------------------------------- */

function vorUpperName(node) {
    return String(node.nodeName).toUpperCase();
}

function vorIsPositionTag(node, withAnchor) {
    var name = vorUpperName(node);
    return VOR_POSITION_TAGS[name] === true || (withAnchor && name === "A");
}

function vorHasElementChildren(node) {
    for (var child = node.firstChild; child; child = child.nextSibling) {
        if (child.nodeType === 1)
            return true;
    }
    return false;
}

function vorIsText(node) {
    return node && (node.nodeType === 3 || node.nodeType === 4);
}

/* Every element in document order, as a plain array (the page may change
 * while the caller walks it). */
function vorAllElements() {
    var list = document.getElementsByTagName("*");
    var result = [];
    for (var i = 0; i < list.length; ++i)
        result.push(list[i]);
    return result;
}

function vorElementsWithClass(name) {
    var list = document.getElementsByClassName(name);
    var result = [];
    for (var i = 0; i < list.length; ++i)
        result.push(list[i]);
    return result;
}

function vorClassNames(element) {
    var text = element.getAttribute ? element.getAttribute("class") : null;
    if (!text)
        return [];
    var parts = String(text).split(/\s+/);
    var result = [];
    for (var i = 0; i < parts.length; ++i) {
        if (parts[i].length > 0)
            result.push(parts[i]);
    }
    return result;
}

function vorHasClass(element, name) {
    var names = vorClassNames(element);
    for (var i = 0; i < names.length; ++i) {
        if (names[i] === name)
            return true;
    }
    return false;
}

function vorRemoveClass(element, name) {
    var names = vorClassNames(element);
    var kept = [];
    for (var i = 0; i < names.length; ++i) {
        if (names[i] !== name)
            kept.push(names[i]);
    }
    if (kept.length > 0)
        element.setAttribute("class", kept.join(" "));
    else
        element.removeAttribute("class");
}

function vorAddClass(element, name) {
    if (vorHasClass(element, name))
        return;
    var names = vorClassNames(element);
    names.push(name);
    element.setAttribute("class", names.join(" "));
}

function vorNoteClassOf(element) {
    var names = vorClassNames(element);
    for (var i = 0; i < names.length; ++i) {
        if (names[i].indexOf(VOR_NOTE_ID_CLASS) === 0)
            return names[i];
    }
    return null;
}

function vorContent() {
    return document.getElementById("content");
}

function vorEndMarker() {
    return document.getElementById("custom_epub");
}

/* The page offset: the "left" style of #content in pixels. */
function vorContentLeft() {
    var content = vorContent();
    if (!content)
        return 0;
    var left = parseFloat(content.style.left);
    return isNaN(left) ? 0 : left;
}

function vorSetContentLeft(left) {
    var content = vorContent();
    if (content)
        content.style.left = left + "px";
}

/* Left edge of an element in the view, to the nearest pixel. */
function vorViewLeft(element) {
    return Math.round(element.getBoundingClientRect().left);
}

function vorPageCountFromLeft(left, width) {
    if (!(width > 0))
        return 1;
    var ratio = left / width;
    return ratio <= 1 ? 1 : Math.ceil(ratio);
}

/* ---- set-up ----------------------------------------------------------- */

/* The program's book pages keep a file's body out of the layout until its
 * root element carries this attribute: the web engine would otherwise build
 * and lay out every box of the file as loaded, all of which the wrapping
 * below throws away. */
var VOR_WRAPPED_ATTRIBUTE = "data-vor-wrapped";

function init(uid) {
    var body = document.body;
    if (!body)
        return;
    // Wrap once: a second call on the same page must not nest the wrappers.
    if (!vorEndMarker()) {
        body.innerHTML = "<div id='content'><div id='inner'>" + body.innerHTML
                + "<div id='custom_epub'>&#160;</div></div></div>";
    }
    document.documentElement.setAttribute(VOR_WRAPPED_ATTRIBUTE, "");

    var breaks = body.getElementsByTagName("br");
    var list = [];
    for (var i = 0; i < breaks.length; ++i)
        list.push(breaks[i]);
    for (var j = 0; j < list.length; ++j) {
        var br = list[j];
        var before = br.previousSibling;
        if (before && before.nodeType === 1 && vorUpperName(before) === "SPAN"
            && !before.firstChild && before.getAttribute("data-vor-br") !== null)
            continue;
        var span = document.createElement("span");
        span.setAttribute("data-vor-br", "");
        br.parentNode.insertBefore(span, br);
    }

    var counter = 0;
    var elements = vorAllElements();
    var wanted = {};
    for (var t = 0; t < VOR_ID_TAGS.length; ++t)
        wanted[VOR_ID_TAGS[t].toUpperCase()] = true;
    for (var k = 0; k < elements.length; ++k) {
        var element = elements[k];
        var name = vorUpperName(element);
        if (!wanted[name] || element.id)
            continue;
        var anchorName = name === "A" ? element.getAttribute("name") : null;
        if (anchorName) {
            element.id = anchorName;
        } else {
            counter += 1;
            element.id = counter + "_" + uid;
        }
    }
}

/* The spacing counts from a normal line (1.2 times the font size): lines
 * exactly one font size apart let the descenders of one line run into the
 * next. */
function applyLineSpacing(value) {
    var percent = parseFloat(value);
    if (!(percent > 0))
        return;
    var height = String(Math.round(percent * 1.2) / 100);
    var paragraphs = document.getElementsByTagName("p");
    for (var i = 0; i < paragraphs.length; ++i)
        paragraphs[i].style.lineHeight = height;
}

/* ---- reading style ---------------------------------------------------- */

var VOR_STYLE_ID = "vor_reading_style";

function vorCssColor(text) {
    var value = String(text === null || text === undefined ? "" : text);
    return /^#[0-9a-fA-F]{3,8}$/.test(value) ? value : "";
}

/* A family name as a CSS string; characters that could end the string or
 * the rule are dropped. */
function vorCssFamily(text) {
    var value = String(text === null || text === undefined ? "" : text);
    value = value.replace(/["'\\;{}<>\r\n]/g, "");
    return value.replace(/^\s+|\s+$/g, "").length > 0 ? "\"" + value + "\"" : "";
}

/* The reader's style over the book's own: the book's content kept within
 * its column, the reader's font family and size, and (when given) the
 * colours of the reader's profile over every colour and background of the
 * book; pictures keep theirs and note highlights their colour. Both the view
 * and the pagination helper call it with the same family and size, so that
 * both lay the text out alike; only the view gives colours. */
function applyReadingStyle(family, size, background, color) {
    var rules = [
        "#inner { word-wrap: break-word; }",
        "#inner * { max-width: 100% !important; min-width: 0 !important; }",
        "#inner pre, #inner pre * { white-space: pre-wrap !important;"
                + " word-wrap: break-word !important; }",
        "#inner td, #inner th { word-wrap: break-word; }",
        "#inner img, #inner svg, #inner video, #inner object { height: auto; }"
    ];
    var cssFamily = vorCssFamily(family);
    if (cssFamily.length > 0) {
        rules.push("body { font-family: " + cssFamily + " !important; }");
        rules.push("#inner *:not(pre):not(code):not(tt):not(kbd):not(samp) {"
                   + " font-family: inherit !important; }");
    }
    var pixels = parseInt(size, 10);
    if (pixels > 0)
        rules.push("html, body { font-size: " + pixels + "px !important; }");
    var back = vorCssColor(background);
    var fore = vorCssColor(color);
    if (back.length > 0 && fore.length > 0) {
        rules.push("html, body { background-color: " + back + " !important; color: " + fore
                   + " !important; }");
        rules.push("#inner, #inner *:not(." + VOR_NOTE_CLASS + ") {"
                   + " background-color: transparent !important; color: " + fore
                   + " !important; }");
        rules.push("." + VOR_NOTE_CLASS + " { color: #000000 !important; }");
    }
    var style = document.getElementById(VOR_STYLE_ID);
    if (!style) {
        style = document.createElement("style");
        style.id = VOR_STYLE_ID;
        style.setAttribute("type", "text/css");
        var holder = document.head || document.getElementsByTagName("head")[0]
                || document.documentElement;
        if (!holder)
            return;
        holder.appendChild(style);
    }
    style.textContent = rules.join("\n");

    // Long words break rather than run over the column's edge, except in
    // floats: a book's narrow float (a paragraph number two percent wide)
    // would show its digits one under the other.
    var inner = document.getElementById("inner");
    if (!inner)
        return;
    var elements = inner.getElementsByTagName("*");
    for (var i = 0; i < elements.length; ++i) {
        var computed = window.getComputedStyle(elements[i]);
        if (computed && computed.cssFloat !== "none" && computed.cssFloat !== "")
            elements[i].style.wordWrap = "normal";
    }
}

/* ---- layout and pages ------------------------------------------------- */

/* The column geometry #inner was last laid out for. */
var VOR_COLUMNS_ATTRIBUTE = "data-vor-columns";

function paginate(columnCount, gap, width, height, topbottom_margine) {
    var images = document.getElementsByTagName("img");
    for (var i = 0; i < images.length; ++i) {
        images[i].style.maxHeight = (height - 2 * topbottom_margine - gap) + "px";
        images[i].style.maxWidth = "100%";
    }
    var content = vorContent();
    var inner = document.getElementById("inner");
    var end = vorEndMarker();
    if (!content || !inner || !end)
        return 1;
    var columnWidth = width / columnCount;
    content.style.position = "fixed";
    content.style.top = topbottom_margine + "px";
    content.style.left = (gap / 2) + "px";
    content.style.width = (columnWidth - gap) + "px";

    inner.style.webkitColumnWidth = columnWidth + "px";
    inner.style.columnWidth = columnWidth + "px";
    inner.style.webkitColumnCount = 2;
    inner.style.columnCount = 2;
    inner.style.webkitColumnGap = gap + "px";
    inner.style.columnGap = gap + "px";
    inner.style.height = (height - 2 * topbottom_margine) + "px";
    // Laid out afresh: a column block whose size changed keeps lines where
    // the old columns ended, cut in two by the new column foot. A block of
    // the same size, or one never laid out in columns, is not: building its
    // boxes anew costs as much as the first layout of the whole file.
    var geometry = [columnWidth, gap, height, topbottom_margine].join(" ");
    var before = inner.getAttribute(VOR_COLUMNS_ATTRIBUTE);
    inner.setAttribute(VOR_COLUMNS_ATTRIBUTE, geometry);
    if (before !== null && before !== geometry) {
        inner.style.display = "none";
        void inner.offsetHeight;
        inner.style.display = "";
    }
    // Columns paint what runs past their foot below it, and the top of the
    // next column's first line above the next one; the clip keeps those
    // pieces of lines off the margins, so a page shows whole lines only.
    content.style.clip = "rect(0px, " + VOR_UNBOUNDED + "px, "
            + (height - 2 * topbottom_margine) + "px, " + (-gap / 2) + "px)";

    return vorPageCountFromLeft(vorViewLeft(end), width);
}

function mark_first_visible() {
    var marked = vorElementsWithClass(VOR_FIRST_VISIBLE_CLASS);
    for (var i = 0; i < marked.length; ++i)
        vorRemoveClass(marked[i], VOR_FIRST_VISIBLE_CLASS);
    var elements = vorAllElements();
    for (var k = 0; k < elements.length; ++k) {
        var element = elements[k];
        if (vorIsPositionTag(element, false) && element.id && !vorHasElementChildren(element)
            && vorViewLeft(element) > 0) {
            vorAddClass(element, VOR_FIRST_VISIBLE_CLASS);
            return element;
        }
    }
    return null;
}

function setPageDim(columnCount, gap, width, height, topbottom_margine, page) {
    mark_first_visible();
    var pageCount = paginate(columnCount, gap, width, height, topbottom_margine);
    var currentPage = 0;
    var marked = vorElementsWithClass(VOR_FIRST_VISIBLE_CLASS);
    if (marked.length > 0) {
        currentPage = getPageByElement(marked[0], width);
        if (currentPage > 0)
            setPage(currentPage, width, gap);
    }
    return { currentPage: currentPage, pageCount: pageCount, debug: "" };
}

function globalOffsetLeft(element) {
    var rect = element.getBoundingClientRect();
    var scroll = window.pageXOffset || 0;
    var clientLeft = document.documentElement ? document.documentElement.clientLeft || 0 : 0;
    return Math.round(rect.left + scroll - clientLeft);
}

/* Pages are w-wide strips counted from the start of #content. */
function getPageByElement(elm, w) {
    // A text node has no box of its own; its element stands for it.
    if (elm && elm.nodeType === 3)
        elm = elm.parentNode;
    if (!elm || elm.nodeType !== 1 || !(w > 0))
        return 0;
    var x = globalOffsetLeft(elm) - vorContentLeft();
    var page = Math.floor(x / w) + 1;
    return page < 1 ? 1 : page;
}

function next(w) {
    vorSetContentLeft(vorContentLeft() - w);
}

function prev(w) {
    vorSetContentLeft(vorContentLeft() + w);
}

function setPage(page, w, g) {
    vorSetContentLeft((page - 1) * (-w) + g / 2);
}

function getCurrentPage(w, g) {
    if (!(w > 0))
        return 1;
    var left = vorContentLeft();
    var page = 1;
    while (left < 0) {
        left += w;
        page += 1;
    }
    return page;
}

function moveToEnd(w, g) {
    var end = vorEndMarker();
    if (!end)
        return 1;
    // Measured as if the first page were showing, whatever page shows now.
    var left = globalOffsetLeft(end) - vorContentLeft() + g / 2;
    var page = vorPageCountFromLeft(Math.round(left), w);
    setPage(page, w, g);
    return page;
}

/* ---- reading positions ------------------------------------------------ */

function vorReadingPositionElement() {
    var elements = vorAllElements();
    for (var k = 0; k < elements.length; ++k) {
        var element = elements[k];
        if (vorIsPositionTag(element, true) && element.id && !vorHasElementChildren(element)
            && vorViewLeft(element) > 0)
            return element;
    }
    return null;
}

function getReadingPos() {
    var element = vorReadingPositionElement();
    return element ? element.id : null;
}

function getReadingPosXPath() {
    var element = vorReadingPositionElement();
    return element ? makeXPath(element) : null;
}

function vorMoveToElement(element, w, g) {
    if (!element)
        return 0;
    var page = getPageByElement(element, w);
    if (page > 0)
        setPage(page, w, g);
    return page;
}

function setReadingPos(id, w, g) {
    return vorMoveToElement(document.getElementById(id), w, g);
}

function setReadingPosByXPath(path, w, g) {
    return vorMoveToElement(getElementByXpath(path), w, g);
}

function getPageById(id, w) {
    var element = document.getElementById(id);
    return element ? getPageByElement(element, w) : 0;
}

function getPageByXPath(path, w) {
    var element = getElementByXpath(path);
    // A note's path may run through the highlights of other notes (their
    // spans and the text they split), which a page without them lacks: the
    // nearest element the page has is on the same page.
    var rest = String(path);
    while (!element && rest.lastIndexOf("/") > 0) {
        rest = rest.substring(0, rest.lastIndexOf("/"));
        element = getElementByXpath(rest);
    }
    return element ? getPageByElement(element, w) : 0;
}

function getTextById(id) {
    var element = document.getElementById(id);
    if (!element)
        return "";
    var text = element.innerText;
    return text === undefined || text === null ? element.textContent : text;
}

/* ---- paths ------------------------------------------------------------ */

function makeXPath(node) {
    if (!node || node.nodeType === 9)
        return "";
    var parent = node.parentNode;
    if (vorIsText(node)) {
        var k = 1;
        for (var sibling = node.previousSibling; sibling; sibling = sibling.previousSibling) {
            if (vorIsText(sibling))
                k += 1;
        }
        return makeXPath(parent) + "/text()[" + k + "]";
    }
    if (node.nodeType !== 1)
        return makeXPath(parent);
    var index = 1;
    for (var before = node.previousSibling; before; before = before.previousSibling) {
        if (before.nodeType === 1 && before.nodeName === node.nodeName
            && before.namespaceURI === node.namespaceURI)
            index += 1;
    }
    return makeXPath(parent) + "/" + node.nodeName + "[" + index + "]";
}

function vorStepIndex(step) {
    var match = /\[\s*(\d+)\s*\]\s*$/.exec(step);
    return match ? parseInt(match[1], 10) : 1;
}

function vorStepName(step) {
    var bracket = step.indexOf("[");
    return (bracket >= 0 ? step.substring(0, bracket) : step).replace(/\s+/g, "");
}

function getElementByXpath(path) {
    if (path === null || path === undefined)
        return null;
    var steps = String(path).toLowerCase().split("/");
    var current = document;
    for (var i = 0; i < steps.length; ++i) {
        var step = steps[i].replace(/^\s+|\s+$/g, "");
        if (step.length === 0)
            continue;
        var index = vorStepIndex(step);
        if (step.indexOf("text()") === 0) {
            var seen = 0;
            for (var child = current.firstChild; child; child = child.nextSibling) {
                if (vorIsText(child)) {
                    seen += 1;
                    if (seen === index)
                        return child;
                }
            }
            return null;
        }
        var name = vorStepName(step);
        var candidates = current.getElementsByTagName(name);
        var found = null;
        if (name === "html") {
            found = candidates.length > 0 ? candidates[0] : null;
        } else {
            var count = 0;
            for (var c = 0; c < candidates.length; ++c) {
                if (candidates[c].parentNode === current) {
                    count += 1;
                    if (count === index) {
                        found = candidates[c];
                        break;
                    }
                }
            }
        }
        if (!found)
            return null;
        current = found;
    }
    return current === document ? null : current;
}

/* ---- bookmarks and search --------------------------------------------- */

function getFirstVisibleElement(gap, width) {
    var body = document.body;
    if (!body)
        return null;
    var elements = body.getElementsByTagName("*");
    for (var i = 0; i < elements.length; ++i) {
        var element = elements[i];
        if (vorHasElementChildren(element))
            continue;
        var left = element.getBoundingClientRect().left;
        if (left >= gap / 2 && left < width && element.textContent
            && element.textContent.length > 0)
            return element;
    }
    return null;
}

function getBookmarkData(gap, width) {
    var element = getFirstVisibleElement(gap, width);
    if (!element)
        return null;
    var text = element.innerText;
    return { path: makeXPath(element), text: text === undefined ? element.textContent : text };
}

/* A hit is the innermost element with a position (and an id) whose text
 * holds the needle: a paragraph with the word in italics or beside a link is
 * found as that paragraph, an item of a list as the block around it. Only
 * the elements whose text holds the needle are entered, since no element
 * below one that lacks it can hold it. */
function findText(text, w) {
    var needle = String(text).toLowerCase();
    var hits = [];
    if (needle.length === 0 || !document.body)
        return hits;
    var holds = function (element) {
        return (element.textContent || "").toLowerCase().indexOf(needle) >= 0;
    };
    if (!holds(document.body))
        return hits;
    // A walk with its own stack: a book may nest elements deeper than the
    // script engine lets functions call themselves. "found": a hit lies
    // below; "missing": some element below holds the needle with no hit of
    // its own (a list item), so the nearest element with a position
    // around it has to be one.
    var stack = [{ element: document.body, child: document.body.firstChild,
                   found: false, missing: false }];
    while (stack.length > 0) {
        var frame = stack[stack.length - 1];
        var child = frame.child;
        if (child) {
            frame.child = child.nextSibling;
            if (child.nodeType === 1 && holds(child)) {
                stack.push({ element: child, child: child.firstChild,
                             found: false, missing: false });
            }
            continue;
        }
        stack.pop();
        var element = frame.element;
        if ((!frame.found || frame.missing) && element.id && vorIsPositionTag(element, true)) {
            hits.push({ id: element.id, text: element.textContent || "",
                        page: getPageByElement(element, w) });
            frame.found = true;
            frame.missing = false;
        }
        if (stack.length > 0) {
            var parent = stack[stack.length - 1];
            parent.found = parent.found || frame.found;
            parent.missing = parent.missing || frame.missing || !frame.found;
        }
    }
    return hits;
}

function findText2(text, w) {
    return findText(text, w);
}

/* ---- note highlights -------------------------------------------------- */

function vorWrapPart(node, from, to, color, id) {
    var text = node.data;
    from = Math.max(0, Math.min(from, text.length));
    to = Math.max(from, Math.min(to, text.length));
    if (to <= from)
        return;
    var parent = node.parentNode;
    var span = document.createElement("span");
    span.style.backgroundColor = color;
    span.setAttribute("class", VOR_NOTE_CLASS + " " + VOR_NOTE_ID_CLASS + id);
    span.appendChild(document.createTextNode(text.substring(from, to)));
    if (from > 0)
        parent.insertBefore(document.createTextNode(text.substring(0, from)), node);
    parent.insertBefore(span, node);
    if (to < text.length)
        parent.insertBefore(document.createTextNode(text.substring(to)), node);
    parent.removeChild(node);
}

function vorWrapRange(range, color, id) {
    var start = range.startContainer;
    var end = range.endContainer;
    var nodes = [];
    var root = range.commonAncestorContainer;
    if (vorIsText(root)) {
        nodes.push(root);
    } else {
        var walker = document.createTreeWalker(root, 4 /* SHOW_TEXT */, null, false);
        var started = false;
        for (var node = walker.nextNode(); node; node = walker.nextNode()) {
            if (node === start) {
                started = true;
                if (node.data.length > 0)
                    nodes.push(node);
            } else if (node === end) {
                if (node.data.length > 0)
                    nodes.push(node);
                break;
            } else if (started || (!vorIsText(start) && range.intersectsNode(node))) {
                if (!vorIsText(end) && !range.intersectsNode(node))
                    break;
                started = true;
                if (/\S/.test(node.data))
                    nodes.push(node);
            }
        }
    }
    if (nodes.length === 0)
        return;
    var startOffset = nodes[0] === start ? range.startOffset : 0;
    var last = nodes[nodes.length - 1];
    var endOffset = last === end ? range.endOffset : last.data.length;
    if (nodes.length === 1) {
        vorWrapPart(nodes[0], startOffset, endOffset, color, id);
        return;
    }
    vorWrapPart(nodes[0], startOffset, nodes[0].data.length, color, id);
    for (var i = 1; i < nodes.length - 1; ++i)
        vorWrapPart(nodes[i], 0, nodes[i].data.length, color, id);
    vorWrapPart(last, 0, endOffset, color, id);
}

function highlightSelection(color, id) {
    var selection = window.getSelection();
    if (!selection || selection.rangeCount < 1)
        return null;
    var range = selection.getRangeAt(0);
    var remembered = {
        start: makeXPath(range.startContainer),
        startOffset: range.startOffset,
        end: makeXPath(range.endContainer),
        endOffset: range.endOffset
    };
    vorWrapRange(range, color, id);
    selection.removeAllRanges();
    return remembered;
}

function selectTextNodesBetween(startPath, startOffset, endPath, endOffset, color, id) {
    var start = getElementByXpath(startPath);
    var end = getElementByXpath(endPath);
    if (!start || !end)
        return false;
    var range = document.createRange();
    try {
        range.setStart(start, startOffset);
        range.setEnd(end, endOffset);
    } catch (e) {
        return false;
    }
    vorWrapRange(range, color, id);
    return true;
}

function changeNoteColorById(newColor, id) {
    var spans = vorElementsWithClass(VOR_NOTE_ID_CLASS + id);
    var changed = false;
    for (var i = 0; i < spans.length; ++i) {
        if (vorUpperName(spans[i]) !== "SPAN")
            continue;
        spans[i].style.backgroundColor = newColor;
        changed = true;
    }
    return changed;
}

function removeNoteById(id) {
    var spans = vorElementsWithClass(VOR_NOTE_ID_CLASS + id);
    var removed = false;
    for (var i = 0; i < spans.length; ++i) {
        var span = spans[i];
        if (vorUpperName(span) !== "SPAN")
            continue;
        var parent = span.parentNode;
        while (span.firstChild)
            parent.insertBefore(span.firstChild, span);
        parent.removeChild(span);
        parent.normalize();
        removed = true;
    }
    return removed;
}

function getNoteInfo(id, w) {
    var elements = vorElementsWithClass(VOR_NOTE_ID_CLASS + id);
    if (elements.length === 0)
        return null;
    var rect = elements[0].getBoundingClientRect();
    return { left: rect.left, top: rect.top, page: getPageByElement(elements[0], w) };
}

function selectedNoteIdAtPoint(x, y) {
    var element = document.elementFromPoint(x, y);
    return element ? vorNoteClassOf(element) : null;
}

function vorNoteClassAbove(node) {
    for (var current = node; current; current = current.parentNode) {
        if (current.nodeType === 1 && vorHasClass(current, VOR_NOTE_CLASS))
            return vorNoteClassOf(current);
    }
    return null;
}

function selectedNoteId() {
    var selection = window.getSelection();
    if (!selection || selection.rangeCount < 1)
        return null;
    var range = selection.getRangeAt(0);
    return vorNoteClassAbove(range.startContainer) || vorNoteClassAbove(range.endContainer);
}

function changeNoteColorAtSelection(colour) {
    var name = selectedNoteId();
    if (name)
        changeNoteColorById(colour, name.substring(VOR_NOTE_ID_CLASS.length));
    window.getSelection().removeAllRanges();
}

function removeNoteAtSelection() {
    var name = selectedNoteId();
    if (name)
        removeNoteById(name.substring(VOR_NOTE_ID_CLASS.length));
    window.getSelection().removeAllRanges();
}

function selectVisibleNotesElements(w) {
    var result = [];
    var reported = {};
    var elements = vorElementsWithClass(VOR_NOTE_CLASS);
    for (var i = 0; i < elements.length; ++i) {
        var boxes = elements[i].getClientRects();
        // A highlight in a hidden element has no box; the others still do.
        if (!boxes || boxes.length === 0)
            continue;
        var box = boxes[0];
        if (!(box.left > 0 && box.left < w))
            continue;
        var names = vorClassNames(elements[i]);
        for (var k = 0; k < names.length; ++k) {
            if (names[k].indexOf(VOR_NOTE_ID_CLASS) >= 0 && !reported[names[k]]) {
                reported[names[k]] = true;
                result.push({ left: box.left, top: box.top, id: names[k] });
            }
        }
    }
    return result;
}
