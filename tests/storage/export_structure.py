#!/usr/bin/python3
"""Reads exported notes back with independent parsers and prints what they hold, one block a line.

    export_structure.py markdown FILE...   through cmark-gfm with its task-list extension
    export_structure.py html FILE...       through html5lib's strict parser (any parse error fails)

For each file, the blocks in order, then a line "=====":
    H<level>|<runs>             a heading
    P|<runs>                    a paragraph that holds text
    list                        the start of a list (not of a nested one)
    L<depth> <marker>|<runs>    a list item; marker "[ ]", "[x]", "+" or "-"
    C                           a code block, then one ">" line per line of it
Runs are the text with "{flags}" where the character styles change (S strong, H highlight/mark,
C comment/emphasis) and "{}" at the end if a style is still on; "\\", "{", "}", "[" and "]" of the
text are escaped with a backslash; a link is "\\x02<runs>\\x03<destination>\\x04" (control characters,
which no export holds). Strong and emphasis on spaces are not reported: Markdown cannot start or
end them on a space.
Exits 1 with a message on standard error when a file does not parse or holds something else.
"""

import subprocess
import sys
import xml.etree.ElementTree as ET

FLAGS = "SHC"
SPACES = (" ", "\u00a0")


class Runs:
    def __init__(self, marker_chars=0):
        self.parts = []
        self.style = ""
        self.marker = ""
        self.marker_chars = marker_chars  # leading characters that are the item's marker

    def add(self, text, flags):
        for ch in text:
            if self.marker_chars > 0:
                self.marker += ch
                self.marker_chars -= 1
                continue
            style = "".join(f for f in FLAGS if f in flags and (f == "H" or ch not in SPACES))
            if style != self.style:
                self.parts.append("{" + style + "}")
                self.style = style
            if ch in "\\{}[]":
                self.parts.append("\\")
            self.parts.append(ch)

    def raw(self, text):
        self.parts.append(text)

    def text(self):
        return "".join(self.parts) + ("{}" if self.style else "")


def fail(message):
    raise ValueError(message)


# --- Markdown through cmark-gfm ---

NS = "{http://commonmark.org/xml/1.0}"
HTML_TAGS = {"<strong>": ("S", 1), "</strong>": ("S", -1), "<em>": ("C", 1), "</em>": ("C", -1),
             "<mark>": ("H", 1), "</mark>": ("H", -1)}


def name(e):
    return e.tag[len(NS):] if e.tag.startswith(NS) else e.tag


def md_inline(e, runs, flags, raw_html):
    for c in e:
        t = name(c)
        active = set(flags) | {f for f, n in raw_html.items() if n > 0}
        if t == "text":
            runs.add(c.text or "", active)
        elif t == "strong":
            md_inline(c, runs, flags | {"S"}, raw_html)
        elif t == "emph":
            md_inline(c, runs, flags | {"C"}, raw_html)
        elif t == "link":
            runs.raw("\x02")
            md_inline(c, runs, flags, raw_html)
            runs.raw("\x03" + c.get("destination") + "\x04")
        elif t == "html_inline":
            tag = c.text or ""
            if tag in HTML_TAGS:
                flag, step = HTML_TAGS[tag]
                raw_html[flag] = raw_html.get(flag, 0) + step
            elif not tag.startswith("<!--"):
                fail("unexpected raw HTML " + tag)
        else:
            fail("unexpected inline " + t)


def md_runs(e, marker_chars=0):
    runs = Runs(marker_chars)
    md_inline(e, runs, set(), {})
    return runs


def md_item(item, depth, out):
    t = name(item)
    children = list(item)
    paragraph = children[0] if children and name(children[0]) == "paragraph" else None
    if t == "tasklist":
        marker = "[x]" if item.get("completed") == "true" else "[ ]"
        text = md_runs(paragraph).text() if paragraph is not None else ""
    else:
        if paragraph is None:
            fail("a list item without its sign")
        # "+ text": the sign, then the space after it
        runs = md_runs(paragraph, 1)
        marker = runs.marker
        text = runs.text()
        if text.startswith(" "):
            text = text[1:]
    out.append("L%d %s|%s" % (depth, marker, text))
    for c in children:
        if c is paragraph:
            continue
        if name(c) != "list":
            fail("unexpected block in a list item: " + name(c))
        for nested in c:
            md_item(nested, depth + 1, out)


def markdown(path):
    xml = subprocess.run(["/usr/bin/cmark-gfm", "-e", "tasklist", "-t", "xml", path],
                         capture_output=True, check=True).stdout
    out = []
    for block in ET.fromstring(xml):
        t = name(block)
        if t == "heading":
            out.append("H%s|%s" % (block.get("level"), md_runs(block).text()))
        elif t == "paragraph":
            text = md_runs(block).text()
            if text:
                out.append("P|" + text)
        elif t == "code_block":
            out.append("C")
            out.extend(">" + line for line in (block.text or "").split("\n")[:-1])
        elif t == "list":
            out.append("list")
            for item in block:
                md_item(item, 0, out)
        elif t == "html_block" and (block.text or "").startswith("<!--"):
            pass
        else:
            fail("unexpected block " + t)
    return out


# --- HTML through html5lib ---

HTML_FLAGS = {"strong": "S", "mark": "H", "em": "C"}
MARKERS = {"unchecked": "[ ]", "checked": "[x]", "positive": "+", "negative": "-"}


def html_inline(e, runs, flags):
    def add(text):
        # Line feeds only lay the markup out; the notes' text holds none.
        runs.add((text or "").replace("\n", ""), flags)

    add(e.text)
    for c in e:
        if c.tag == "ul":
            continue  # a nested list is read as items of its own
        if c.tag in HTML_FLAGS:
            html_inline(c, runs, flags | {HTML_FLAGS[c.tag]})
        elif c.tag == "a":
            runs.raw("\x02")
            html_inline(c, runs, flags)
            runs.raw("\x03" + c.get("href") + "\x04")
        elif c.tag != "br":
            fail("unexpected element " + c.tag)
        add(c.tail)


def html_item(li, depth, out):
    if li.tag != "li":
        fail("a list holds " + li.tag)
    marker = MARKERS.get(li.get("class"))
    if marker is None:
        fail("a list item of class %s" % li.get("class"))
    task = marker.startswith("[")
    runs = Runs(2 if task else 0)  # the check mark and its space
    html_inline(li, runs, set())
    if task and runs.marker != ("\u2611 " if marker == "[x]" else "\u2610 "):
        fail("a check mark that does not match its class: " + runs.marker)
    out.append("L%d %s|%s" % (depth, marker, runs.text()))
    for c in li:
        if c.tag == "ul":
            for nested in c:
                html_item(nested, depth + 1, out)


def html_blocks(parent, out):
    for c in parent:
        if c.tag == "section":
            html_blocks(c, out)
        elif c.tag in ("h1", "h2", "h3", "h4", "h5", "h6"):
            runs = Runs()
            html_inline(c, runs, set())
            out.append("H%s|%s" % (c.tag[1], runs.text()))
        elif c.tag == "p":
            runs = Runs()
            html_inline(c, runs, set())
            if runs.text():
                out.append("P|" + runs.text())
        elif c.tag == "pre":
            out.append("C")
            out.extend(">" + line for line in "".join(c.itertext()).split("\n"))
        elif c.tag == "ul":
            out.append("list")
            for li in c:
                html_item(li, 0, out)
        else:
            fail("unexpected block " + c.tag)


def html(path):
    import html5lib
    parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
    with open(path, "rb") as f:
        document = parser.parse(f.read())
    out = []
    html_blocks(document.find("body"), out)
    return out


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    reader = {"markdown": markdown, "html": html}[sys.argv[1]]
    for path in sys.argv[2:]:
        try:
            lines = reader(path)
        except Exception as error:  # the parser's own errors included
            print("%s: %s: %s" % (path, type(error).__name__, error), file=sys.stderr)
            return 1
        for line in lines:
            print(line)
        print("=====")
    return 0


if __name__ == "__main__":
    sys.exit(main())
