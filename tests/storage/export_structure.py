#!/usr/bin/python3
"""Reads exported notes back with independent parsers (strict html5lib, Markdown as cmark-gfm
renders it); prints per FILE its blocks, one a line, then "=====". Exits 1 on what does not
parse or fit.

    export_structure.py markdown|html FILE...

Blocks: "H<level>|<runs>", "P|<runs>" (one with text), "list" (a top-level list starts), "L<depth>
<marker>|<runs>" (marker "[ ]", "[x]", "+" or "-"), "C" then ">" and each line of a code block.
Runs: the text with "{flags}" where the styles change (S strong, H highlight, C emphasis; strong
and emphasis not on spaces, where Markdown cannot start or end them), "{}" at the end if one is
still on, "\\{}[]" escaped; a link's destination must be its text or "http://" and it.
"""

import subprocess
import sys
import urllib.parse
import xml.etree.ElementTree as ET


class Runs:
    def __init__(self, markdown, marker_chars=0):
        self.parts, self.style, self.marker, self.plain = [], "", "", ""
        self.markdown = markdown
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


# Both read as HTML through html5lib; the Markdown as cmark-gfm renders it.

HTML_FLAGS = {"strong": "S", "mark": "H", "em": "C"}
MARKERS = {"unchecked": "[ ]", "checked": "[x]", "positive": "+", "negative": "-"}


def html_inline(e, runs, flags):
    # Line feeds only lay the markup out: in HTML anywhere, in Markdown's rendering by a nested
    # list; the notes' text holds none.
    def add(text, by_list):
        text = text or ""
        runs.add(text.replace("\n", "") if by_list or not runs.markdown else text, flags)

    tags = [c.tag for c in e] + [None]
    add(e.text, tags[0] == "ul")
    for k, c in enumerate(e):
        if c.tag in HTML_FLAGS:
            html_inline(c, runs, flags | {HTML_FLAGS[c.tag]})
        elif c.tag == "a":
            href = urllib.parse.unquote(c.get("href")) if runs.markdown else c.get("href")
            runs.link(href, lambda: html_inline(c, runs, flags))
        elif c.tag not in ("br", "ul", ET.Comment) and (c.tag, runs.markdown) != ("input", True):
            raise ValueError("unexpected element %s" % c.tag)  # a nested list: items of its own
        add(c.tail, "ul" in (c.tag, tags[k + 1]))


def html_item(li, depth, out, markdown):
    # The sign: in Markdown "+ ", "- " or a check box and a space; in HTML a class, and a task's
    # check mark and a space.
    box = li.find("input") if markdown else None
    marker = None if markdown else MARKERS.get(li.get("class"))
    marks = {"[x]": "\u2611 ", "[ ]": "\u2610 "}
    runs = Runs(markdown, 1 if box is not None else 2 if markdown or marker in marks else 0)
    html_inline(li, runs, set())
    if box is not None:
        marker, signs = "[x]" if "checked" in box.attrib else "[ ]", ("", " ")
    elif markdown:
        marker, signs = runs.marker[:1], (runs.marker[:1], runs.marker[:1] + " ")
    else:
        signs = (marks.get(marker, ""),)
    if li.tag != "li" or marker not in MARKERS.values() or runs.marker not in signs:
        raise ValueError("item %s %s signed %r" % (li.tag, li.get("class"), runs.marker))
    out.append("L%d %s|%s" % (depth, marker, runs.text()))
    for nested in (n for c in li if c.tag == "ul" for n in c):
        html_item(nested, depth + 1, out, markdown)


def html_blocks(parent, out, markdown):
    for c in parent:
        runs = Runs(markdown)
        if c.tag == "section":
            html_blocks(c, out, markdown)
        elif c.tag in ("h1", "h2", "h3", "h4", "h5", "h6", "p"):
            html_inline(c, runs, set())
            if c.tag != "p":
                out.append("H%s|%s" % (c.tag[1], runs.text()))
            elif runs.text():
                out.append("P|" + runs.text())
        elif c.tag == "pre":
            lines = "".join(c.itertext()).split("\n")
            out += ["C"] + [">" + line for line in (lines[:-1] if markdown else lines)]
        elif c.tag == "ul":
            out.append("list")
            for li in c:
                html_item(li, 0, out, markdown)
        elif c.tag is not ET.Comment or not markdown:
            raise ValueError("unexpected block %s" % c.tag)


# One cmark-gfm run for all the Markdown files (a run each would take most of the time): each is
# followed by a blank line and this mark, which splits the rendering again.
END = b"<!-- end of an exported file -->"


def main():
    import html5lib
    sys.stdout.reconfigure(encoding="utf-8")
    markdown = {"markdown": True, "html": False}[sys.argv[1]]
    paths = sys.argv[2:]
    texts = []
    for path in paths:
        with open(path, "rb") as f:
            texts.append(f.read())
    if markdown:
        rendered = subprocess.run(["/usr/bin/cmark-gfm", "--unsafe", "-e", "tasklist"],
                                  input=b"".join(t + b"\n\n" + END + b"\n\n" for t in texts),
                                  capture_output=True, check=True).stdout.split(END)
        texts = [b"<!DOCTYPE html><meta charset=utf-8><title>t</title>" + t for t in rendered]
    parser = html5lib.HTMLParser(strict=True, namespaceHTMLElements=False)
    for path, text in zip(paths, texts):
        out = []
        try:
            html_blocks(parser.parse(text).find("body"), out, markdown)
        except Exception as error:  # the parser's own errors included
            print("%s: %s: %s" % (path, type(error).__name__, error), file=sys.stderr)
            return 1
        print("\n".join(out + ["====="]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
