#!/usr/bin/python3
"""Reads exported notes back with independent parsers (cmark-gfm, strict html5lib); prints per
FILE its blocks, one a line, then "=====". Exits 1 on what does not parse or fit.

    export_structure.py markdown|html FILE...

Blocks: "H<level>|<runs>", "P|<runs>" (one with text), "list" (a top-level list starts), "L<depth>
<marker>|<runs>" (marker "[ ]", "[x]", "+" or "-"), "C" then ">" and each line of a code block.
Runs: the text with "{flags}" where the styles change (S strong, H highlight, C emphasis; strong
and emphasis not on spaces, where Markdown cannot start or end them), "{}" at the end if one is
still on, "\\{}[]" escaped; a link's destination must be its text or "http://" and it.
"""

import subprocess
import sys
import xml.etree.ElementTree as ET


class Runs:
    def __init__(self, marker_chars=0):
        self.parts, self.style, self.marker, self.plain = [], "", "", ""
        self.marker_chars = marker_chars  # leading characters that are the item's marker

    def add(self, text, flags):
        for ch in text:
            if self.marker_chars > 0:
                self.marker += ch
                self.marker_chars -= 1
                continue
            style = "".join(f for f in "SHC" if f in flags and (f == "H" or ch not in " \u00a0"))
            if style != self.style:
                self.parts.append("{" + style + "}")
                self.style = style
            self.parts.append("\\" + ch if ch in "\\{}[]" else ch)
            self.plain += ch

    def link(self, destination, read_text):
        start = len(self.plain)
        read_text()
        if destination not in (self.plain[start:], "http://" + self.plain[start:]):
            raise ValueError("a link to %s on %s" % (destination, self.plain[start:]))

    def text(self):
        return "".join(self.parts) + ("{}" if self.style else "")


# --- Markdown through cmark-gfm ---

NS = "{http://commonmark.org/xml/1.0}"
HTML_TAGS = {"<strong>": ("S", 1), "</strong>": ("S", -1), "<em>": ("C", 1), "</em>": ("C", -1),
             "<mark>": ("H", 1), "</mark>": ("H", -1)}


def name(e):
    return e.tag[len(NS):] if e.tag.startswith(NS) else e.tag


def md_inline(e, runs, flags, raw_html):
    for c in e:
        t = name(c)
        if t == "text":
            runs.add(c.text or "", set(flags) | {f for f, n in raw_html.items() if n > 0})
        elif t in ("strong", "emph"):
            md_inline(c, runs, flags | {"S" if t == "strong" else "C"}, raw_html)
        elif t == "link":
            runs.link(c.get("destination"), lambda: md_inline(c, runs, flags, raw_html))
        elif t == "html_inline" and (c.text or "") in HTML_TAGS:
            flag, step = HTML_TAGS[c.text]
            raw_html[flag] = raw_html.get(flag, 0) + step
        elif t != "html_inline" or not (c.text or "").startswith("<!--"):
            raise ValueError("unexpected inline %s %s" % (t, c.text))


def md_runs(e, marker_chars=0):
    runs = Runs(marker_chars)
    md_inline(e, runs, set(), {})
    return runs


def md_item(item, depth, out):
    children = list(item)
    paragraph = children[0] if children and name(children[0]) == "paragraph" else None
    if name(item) == "tasklist":
        marker = "[x]" if item.get("completed") == "true" else "[ ]"
        text = md_runs(paragraph).text() if paragraph is not None else ""
    else:
        if paragraph is None:
            raise ValueError("a list item without its sign")
        runs = md_runs(paragraph, 1)  # "+ text": the sign, then the space after it
        marker, text = runs.marker, runs.text()
        text = text[1:] if text.startswith(" ") else text
    out.append("L%d %s|%s" % (depth, marker, text))
    for c in children:
        if c is not paragraph:
            if name(c) != "list":
                raise ValueError("unexpected block in a list item: " + name(c))
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
            out += ["P|" + text] if text else []
        elif t == "code_block":
            out += ["C"] + [">" + line for line in (block.text or "").split("\n")[:-1]]
        elif t == "list":
            out.append("list")
            for item in block:
                md_item(item, 0, out)
        elif t != "html_block" or not (block.text or "").startswith("<!--"):
            raise ValueError("unexpected block " + t)
    return out


# --- HTML through html5lib ---

HTML_FLAGS = {"strong": "S", "mark": "H", "em": "C"}
MARKERS = {"unchecked": "[ ]", "checked": "[x]", "positive": "+", "negative": "-"}


def html_inline(e, runs, flags):
    # Line feeds only lay the markup out; the notes' text holds none.
    runs.add((e.text or "").replace("\n", ""), flags)
    for c in e:
        if c.tag in HTML_FLAGS:
            html_inline(c, runs, flags | {HTML_FLAGS[c.tag]})
        elif c.tag == "a":
            runs.link(c.get("href"), lambda: html_inline(c, runs, flags))
        elif c.tag not in ("br", "ul"):  # a nested list is read as items of its own
            raise ValueError("unexpected element " + c.tag)
        runs.add((c.tail or "").replace("\n", ""), flags)


def html_item(li, depth, out):
    marker = MARKERS.get(li.get("class")) if li.tag == "li" else None
    if marker is None:
        raise ValueError("a list holds %s of class %s" % (li.tag, li.get("class")))
    task = marker.startswith("[")
    runs = Runs(2 if task else 0)  # the check mark and its space
    html_inline(li, runs, set())
    if task and runs.marker != ("\u2611 " if marker == "[x]" else "\u2610 "):
        raise ValueError("a check mark that does not match its class: " + runs.marker)
    out.append("L%d %s|%s" % (depth, marker, runs.text()))
    for nested in (n for c in li if c.tag == "ul" for n in c):
        html_item(nested, depth + 1, out)


def html_blocks(parent, out):
    for c in parent:
        runs = Runs()
        if c.tag == "section":
            html_blocks(c, out)
        elif c.tag in ("h1", "h2", "h3", "h4", "h5", "h6", "p"):
            html_inline(c, runs, set())
            if c.tag != "p":
                out.append("H%s|%s" % (c.tag[1], runs.text()))
            elif runs.text():
                out.append("P|" + runs.text())
        elif c.tag == "pre":
            out += ["C"] + [">" + line for line in "".join(c.itertext()).split("\n")]
        elif c.tag == "ul":
            out.append("list")
            for li in c:
                html_item(li, 0, out)
        else:
            raise ValueError("unexpected block " + c.tag)


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
        print("\n".join(lines + ["====="]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
