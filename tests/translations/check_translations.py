#!/usr/bin/env python3
"""Fails when a string literal reaches a user-facing Qt call in the Qt layers without passing
through tr() or QCoreApplication::translate() first.

    check_translations.py SOURCE_DIR EXEMPTIONS [--expect-marked MARK]

It reads app/, editor/, tree/ and ui/ under SOURCE_DIR. A literal counts when it holds a letter
and stands in the arguments of a call that shows text (setText, setWindowTitle, addAction,
QMessageBox, the constructors of labels and buttons, the program's MessageBox functions ...)
outside tr(...), translate(...) and the calls that take names rather than text (icons, keys).
Texts that are no words for a reader (the program's name, ...) are listed in EXEMPTIONS, each
after a comment that says why; an entry nothing uses any more is a fault as well.

With --expect-marked, the check tests itself: it passes when the lines it reports are exactly
the lines that carry MARK.
"""
import os
import re
import sys

LAYERS = ("app", "editor", "tree", "ui")

# Calls whose arguments the user reads.
METHODS = (
    "setText", "setWindowTitle", "setToolTip", "setStatusTip", "setWhatsThis",
    "setPlaceholderText", "setAccessibleName", "setAccessibleDescription", "setTitle",
    "setLabelText", "setInformativeText", "setDetailedText", "setTabText", "setItemText",
    "setHeaderLabel", "setHeaderLabels", "setWindowIconText", "addMenu", "addAction", "addTab",
    "insertTab", "addButton", "addItem", "insertItem", "addToolBar", "showMessage")
CLASSES = (
    "QAction", "QLabel", "QPushButton", "QCheckBox", "QRadioButton", "QGroupBox", "QMenu",
    "QToolButton", "QCommandLinkButton", "QDockWidget", "QToolBar", "QListWidgetItem",
    "QTreeWidgetItem", "QTableWidgetItem", "QStandardItem", "QMessageBox", "QFileDialog",
    "QInputDialog", "QProgressDialog")
FUNCTIONS = ("MessageBox::Show", "MessageBox::AskYesNo")

CALL = re.compile(
    r"(?:[.>]\s*|\b)(?P<method>" + "|".join(METHODS) + r")\s*\("
    r"|\b(?P<class>" + "|".join(CLASSES) + r")(?:::\w+|\s+[A-Za-z_]\w*)?\s*\("
    r"|\b(?P<function>" + "|".join(re.escape(f) for f in FUNCTIONS) + r")\s*\(")
# What makes a text the user's language, and calls whose literals are names, not text.
TRANSLATED = re.compile(
    r"\b(?:tr|translate|qtTrId|QT_TR_NOOP|QT_TRANSLATE_NOOP|QT_TR_N_NOOP|QT_TRANSLATE_N_NOOP"
    r"|JW_TRANSLATE_NOOP|QIcon|fromTheme|QKeySequence|QPixmap|QUrl|setObjectName|setData)\s*\(")
LITERAL = re.compile(r'(?:u8|u|U|L)?"((?:[^"\\\n]|\\.)*)"')


def blank(text, start, end):
    """`text` with [start, end) turned into spaces, line feeds kept for the line numbers."""
    return text[:start] + re.sub(r"[^\n]", " ", text[start:end]) + text[end:]


def strip_comments(text):
    """Comments blanked; literals and line numbers kept."""
    out = []
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if c == '"' or c == "'":
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(text[i:j + 1])
            i = j + 1
        elif text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        else:
            out.append(c)
            i += 1
    return "".join(out)


def closing(text, open_at):
    """The index of the parenthesis that closes the one at `open_at` (literals skipped)."""
    depth = 0
    i = open_at
    while i < len(text):
        c = text[i]
        if c == '"' or c == "'":
            j = i + 1
            while j < len(text) and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            i = j
        elif c == "(":
            depth += 1
        elif c == ")":
            depth -= 1
            if depth == 0:
                return i
        i += 1
    return len(text)


def untranslated(text):
    """(offset, literal, call) for each literal that reaches a user-facing call untranslated."""
    found = {}
    for call in CALL.finditer(text):
        open_at = call.end() - 1
        end = closing(text, open_at)
        arguments = text[open_at:end]
        # Translated and naming calls leave nothing to report inside them.
        while True:
            inner = TRANSLATED.search(arguments)
            if inner is None:
                break
            arguments = blank(arguments, inner.start(), closing(arguments, inner.end() - 1) + 1)
        for literal in LITERAL.finditer(arguments):
            words = re.sub(r"\\.|%\d", "", literal.group(1))
            if re.search(r"[A-Za-z]", words):
                name = call.group("method") or call.group("class") or call.group("function")
                found.setdefault(open_at + literal.start(), (literal.group(1), name))
    return sorted((at, literal, name) for at, (literal, name) in found.items())


def read_exemptions(path):
    """The exempted texts, each of which must follow a comment saying why."""
    exempt = {}
    problems = []
    explained = False
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            if line.startswith("#"):
                explained = True
            elif not line.strip():
                explained = False
            elif not explained:
                problems.append(f"{path}:{number}: '{line}' is exempted without a reason")
            else:
                exempt[line] = number
    return exempt, problems


def main(argv):
    if len(argv) not in (3, 5):
        print(__doc__, file=sys.stderr)
        return 2
    root, exemptions = argv[1], argv[2]
    mark = argv[4] if len(argv) == 5 and argv[3] == "--expect-marked" else None
    exempt, problems = read_exemptions(exemptions)
    used = set()
    reported = set()
    marked = set()
    for layer in LAYERS:
        folder = os.path.join(root, layer)
        if not os.path.isdir(folder):
            continue
        for name in sorted(os.listdir(folder)):
            if not name.endswith((".cpp", ".h")):
                continue
            path = os.path.join(folder, name)
            with open(path, encoding="utf-8") as source:
                raw = source.read()
            text = strip_comments(raw)
            if mark:
                marked.update((path, number) for number, line in enumerate(raw.split("\n"), 1)
                              if mark in line)
            for at, literal, call in untranslated(text):
                if literal in exempt:
                    used.add(literal)
                    continue
                line = text.count("\n", 0, at) + 1
                reported.add((path, line))
                problems.append(f'{path}:{line}: "{literal}" reaches {call} without tr()')
    if not mark:
        problems += [f"{exemptions}:{number}: '{text}' is exempted but no longer used"
                     for text, number in exempt.items() if text not in used]
    for problem in problems:
        print(problem)
    if mark:
        missed = sorted(marked - reported)
        for path, line in missed:
            print(f"{path}:{line}: marked {mark} but not reported")
        ok = not missed and reported == marked
        print("the check reports exactly the marked lines" if ok else "the check is wrong")
        return 0 if ok else 1
    print(f"{len(problems)} problems with translated texts" if problems
          else "every text the user reads goes through translation")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
