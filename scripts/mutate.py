#!/usr/bin/env python3
"""Seeded mutation testing: how many small faults in the product code do the tests catch?

Picks a reproducible sample of one-line mutants from the .cpp files of the core and Qt folders,
stores it as a plain table, and runs each mutant in a scratch worktree with its own build: the
mutant is written, the folder's test program (and one neighbour's) rebuilt and run, the file put
back. Headers are left out: a change there recompiles half of the tree for one mutant.
"""
import argparse, os, random, re, signal, subprocess, sys, time
from collections import Counter, defaultdict

# Folder -> test programs, own first. A neighbour runs only when the own tests let a mutant live.
TESTS = {
    "model": ["model_tests", "layout_tests"],
    "layout": ["layout_tests", "editor_tests"],
    "storage": ["storage_tests", "session_tests"],
    "session": ["session_tests", "storage_tests"],
    "editor": ["editor_tests", "tree_tests"],
    "tree": ["tree_tests"],
    "base": ["base_tests", "model_tests"],
    "commands": ["commands_tests", "editor_tests"],
}
DEFAULT_FOLDERS = ["model", "layout", "storage", "session", "editor", "tree"]
# A mutant every run of the model tests must catch: a text's length reads through a null piece.
SELF_CHECK = dict(id="self", folder="model", file="model/NoteText.cpp", line="13", op="cmp",
                  original="    return piece != nullptr ? piece->units : 0;",
                  mutated="    return piece == nullptr ? piece->units : 0;")
WARNINGS_OK = "".join(f'#pragma GCC diagnostic ignored "{w}"\n'
                    for w in ["-Wunused", "-Wunused-parameter", "-Wunused-variable",
                              "-Wunused-but-set-variable", "-Wunused-function", "-Wuninitialized",
                              "-Wparentheses"])
FIELDS = ["id", "folder", "file", "line", "op", "original", "mutated"]
RESULT_FIELDS = ["id", "folder", "result", "tests", "seconds"]

CMP = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
DECL_START = re.compile(r"^\s*(const |constexpr |static |auto\b|using |typedef |struct |class |"
                        r"enum |namespace |template|friend |extern |return\b|case |default:)")
# "Type name ..." at the start of a line: two names (with scopes, template arguments, * and &)
# in a row is a declaration, not a statement.
TYPE_NAME = re.compile(r"^\s*[\w:]+(<[^;]*>)?[\s*&]+\w+\s*(=|\{|\(|;|\[|,)")
STATEMENT_BEFORE = (";", "{", "}", ":")


def esc(s):
    return s.replace("\\", "\\\\").replace("\t", "\\t")


def unesc(s):
    return re.sub(r"\\(.)", lambda m: "\t" if m.group(1) == "t" else m.group(1), s)


def code_mask(lines):
    """Each line with comments and string/char literal contents blanked to spaces (same length),
    or None for a line not to touch at all."""
    out, in_block = [], False
    for line in lines:
        chars, i, quote = list(line), 0, None
        while i < len(line):
            c = line[i]
            if in_block:
                if line.startswith("*/", i):
                    in_block = False
                    chars[i] = chars[i + 1] = " "
                    i += 2
                    continue
                chars[i] = " "
            elif quote:
                if c == "\\":
                    chars[i] = " "
                    if i + 1 < len(line):
                        chars[i + 1] = " "
                    i += 2
                    continue
                if c == quote:
                    quote = None
                else:
                    chars[i] = " "
            elif line.startswith("//", i):
                chars[i:] = " " * (len(line) - i)
                i = len(line)
                continue
            elif line.startswith("/*", i):
                in_block = True
                chars[i] = chars[i + 1] = " "
                i += 2
                continue
            elif c in "\"'" and not (c == "'" and i > 0 and line[i - 1].isalnum()):
                if i > 0 and line[i - 1] == "R":
                    quote = None  # raw strings: leave the whole line out
                    out.append(None)
                    break
                quote = c
            i += 1
        else:
            masked = "".join(chars)
            s = masked.strip()
            skip = (not s or s.startswith("#") or "static_assert" in s or "R\"" in line
                    or quote is not None or "Q_OBJECT" in s)
            out.append(None if skip else masked)
    return out


def balanced(s):
    return s.count("(") == s.count(")") and s.count("{") == s.count("}")


def enclosing_void(lines, n):
    """Whether line n sits in a function declared `void` (the nearest column-0 signature above)."""
    for k in range(n - 1, -1, -1):
        t = lines[k]
        if t and not t[0].isspace() and t[0] not in "}{/#" and not t.startswith("namespace"):
            return re.match(r"^(static |inline )*void\s+[\w:~]+\s*\(", t) is not None
    return False


def candidates(path, rel, folder):
    lines = open(path, encoding="utf-8").read().split("\n")
    masked = code_mask(lines)
    found = []
    prev_code = "{"
    for n, (line, m) in enumerate(zip(lines, masked)):
        if m is None:
            continue
        s = m.strip()
        indent = line[: len(line) - len(line.lstrip())]

        def add(op, new):
            if new != line:
                found.append((folder, rel, n + 1, op, line, new))

        for mo in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", m):
            a, b = mo.span()
            add("cmp", line[:a] + CMP[mo.group(1)] + line[b:])
        for mo in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", m):
            a, b = mo.span()
            add("logic", line[:a] + ("||" if mo.group(1) == "&&" else "&&") + line[b:])
        for mo in re.finditer(r"(?<![\w.])(\d+)(?![\w.'])", m):
            a, b = mo.span()
            v = int(mo.group(1))
            add("const", line[:a] + str(v + 1 if v == 0 or (n + a) % 2 else v - 1) + line[b:])
        for mo in re.finditer(r"\b(if|while) \(", m):
            a = mo.end() - 1
            depth, e = 0, None
            for k in range(a, len(m)):
                depth += {"(": 1, ")": -1}.get(m[k], 0)
                if depth == 0:
                    e = k
                    break
            if e is not None and ";" not in m[a:e] and "constexpr" not in m[mo.start():a]:
                add("negate", line[: a + 1] + "!(" + line[a + 1 : e] + ")" + line[e:])
        statement = (s.endswith(";") and indent and prev_code.endswith(STATEMENT_BEFORE)
                     and balanced(s) and not s.startswith(("}", "{", "return", "break", "continue"))
                     and not s.startswith(("public", "private", "protected")))
        if statement and not DECL_START.match(m) and not TYPE_NAME.match(m):
            add("drop", indent + "{}")
        if statement and enclosing_void(lines, n) and not DECL_START.match(m):
            add("return", indent + "return; " + line.lstrip())
        prev_code = s or prev_code
    return found


def pick(root, folders, count, seed):
    per_folder = {}
    for f in folders:
        files = sorted(x for x in os.listdir(os.path.join(root, f)) if x.endswith(".cpp"))
        per_folder[f] = [(os.path.join(f, x), len(open(os.path.join(root, f, x)).readlines()))
                         for x in files]
    total = sum(n for fs in per_folder.values() for _, n in fs)
    rng = random.Random(seed)
    sample = []
    for f in folders:
        want = max(1, round(count * sum(n for _, n in per_folder[f]) / total))
        by_op = defaultdict(list)
        for rel, _ in per_folder[f]:
            for c in candidates(os.path.join(root, rel), rel, f):
                by_op[c[3]].append(c)
        used = set()
        while want > 0 and any(by_op.values()):
            op = rng.choice(sorted(k for k, v in by_op.items() if v))
            c = by_op[op].pop(rng.randrange(len(by_op[op])))
            if (c[1], c[2]) not in used:  # one mutant per line
                used.add((c[1], c[2]))
                sample.append(c)
                want -= 1
    rng.shuffle(sample)  # so that a run cut short still covers every folder
    return [(f"m{i + 1:03d}",) + c for i, c in enumerate(sample)]


def read_tsv(path):
    rows = []
    for line in open(path, encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        parts = [unesc(p) for p in line.rstrip("\n").split("\t")]
        rows.append(dict(zip(FIELDS, parts)))
    return rows


def moved_line(lines, n, original):
    """The line of a mutant's site: where it was sampled, else the nearest line reading the same,
    so that code added above a site does not lose it. None when the text is gone."""
    same = [i for i, x in enumerate(lines) if x == original]
    return min(same, key=lambda i: abs(i - n)) if same else None


def sh(cmd, **kw):
    return subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)


def run_test(build, target, timeout, failed=None):
    """'pass', 'fail' or 'timeout' for one test program. With a list `failed`, the program runs
    to its end and the names of its failing tests are added to the list."""
    folder = target.rsplit("_", 1)[0]
    cwd = os.path.join(build, "tests", folder)
    env = dict(os.environ, GTEST_BRIEF="1", LC_ALL="C.UTF-8", QT_QPA_PLATFORM="offscreen",
               XDG_CONFIG_HOME=os.path.join(cwd, "config"))
    if failed is None:
        env["GTEST_FAIL_FAST"] = "1"
    p = subprocess.Popen([os.path.join(cwd, target)], cwd=cwd, env=env, start_new_session=True,
                         stdout=subprocess.DEVNULL if failed is None else subprocess.PIPE,
                         stderr=subprocess.DEVNULL, text=True)
    try:
        out, _ = p.communicate(timeout=timeout)
        if failed is not None:
            failed += sorted({m for m in re.findall(r"^\[  FAILED  \] (\S+?)(?:,| \(|$)",
                                                    out, re.M)})
        return "pass" if p.returncode == 0 else "fail"
    except subprocess.TimeoutExpired:
        return "timeout"  # a mutant that hangs counts as caught
    finally:
        if p.poll() is None:
            os.killpg(p.pid, signal.SIGKILL)
            p.wait()


def read_results(path):
    return {r["id"]: r for r in (dict(zip(RESULT_FIELDS, l.rstrip("\n").split("\t")))
                                 for l in open(path) if not l.startswith("#"))}


def compare(results, against):
    """The mutants the earlier results caught and these do not: what the tests lost."""
    before = read_results(against)
    lost = [r["id"] for r in results if r["result"] == "survived"
            and before.get(r["id"], {}).get("result") == "killed"]
    print(f"killed in {against}, survived now: {' '.join(lost) or 'none'}")
    return not lost


def summarize(results, out):
    table = defaultdict(Counter)
    for r in results:
        table[r["folder"]][r["result"]] += 1
        table["all"][r["result"]] += 1
    lines = [f"{'folder':9} {'run':>4} {'killed':>6} {'survived':>8} {'no-build':>8} {'stale':>5}"
             f" {'kill rate':>9}"]
    for f in sorted(table, key=lambda k: (k == "all", k)):
        c = table[f]
        decided = c["killed"] + c["survived"]
        rate = f"{100 * c['killed'] / decided:.1f}%" if decided else "-"
        lines.append(f"{f:9} {sum(c.values()) - c['stale']:4} {c['killed']:6} {c['survived']:8}"
                     f" {c['not-compiled']:8} {c['stale']:5} {rate:>9}")
    text = "\n".join(lines) + "\n"
    print(text, end="")
    if out:
        open(out, "w").write(text)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    repo = os.path.dirname(here)
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--sample", default=os.path.join(here, "mutations.tsv"))
    ap.add_argument("--pick", action="store_true", help="write a new sample instead of running")
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--count", type=int, default=320)
    ap.add_argument("--folders", default=",".join(DEFAULT_FOLDERS))
    ap.add_argument("--only", help="run only this folder's mutants")
    ap.add_argument("--ids", help="run only these mutant ids (comma separated)")
    ap.add_argument("--build", default=os.path.join(os.path.dirname(repo), "mutate-scratch"),
                    help="scratch worktree; its build is BUILD/build")
    ap.add_argument("--rev", default="HEAD", help="commit whose tests are measured")
    ap.add_argument("--results", help="results table (default BUILD/mutate-results.tsv)")
    ap.add_argument("--resume", action="store_true", help="keep results already in the table")
    ap.add_argument("--report", action="store_true", help="only summarize the results table")
    ap.add_argument("--against", help="earlier results: list the mutants they killed and these do not")
    ap.add_argument("--own", action="store_true", help="only the folder's own test program")
    ap.add_argument("--timeout", type=int, default=120, help="most seconds per test program")
    ap.add_argument("--self-check", action="store_true", help="run one mutant that must be killed")
    ap.add_argument("--who", help="run every test program to its end and write which tests"
                    " catch each mutant to this file")
    ap.add_argument("-j", type=int, default=1)
    a = ap.parse_args()

    if a.pick:
        rows = pick(repo, a.folders.split(","), a.count, a.seed)
        with open(a.sample, "w", encoding="utf-8") as f:
            f.write(f"# mutate.py --pick --seed {a.seed} --count {a.count} --folders {a.folders}\n")
            f.write("#" + "\t".join(FIELDS) + "\n")
            for r in rows:
                f.write("\t".join(esc(str(x)) for x in r) + "\n")
        print(Counter(r[1] for r in rows), Counter(r[4] for r in rows))
        return

    src, build = a.build, os.path.join(a.build, "build")
    results_path = a.results or os.path.join(src, "mutate-results.tsv")
    if a.report:
        results = list(read_results(results_path).values())
        summarize(results, None)
        sys.exit(0 if not a.against or compare(results, a.against) else 1)
    rev = sh(["git", "-C", repo, "rev-parse", a.rev]).stdout.strip()
    if not os.path.isdir(src):
        sh(["git", "-C", repo, "worktree", "add", "--detach", src, rev], check=True)
    # --force also undoes a mutant left behind by a run killed outright.
    sh(["git", "-C", src, "checkout", "--force", "--detach", rev], check=True)
    if not os.path.isfile(os.path.join(build, "build.ninja")):
        cmd = ["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
               "-DJOTWELL_WERROR=ON", "-DJOTWELL_BENCH=OFF"]
        if sh(["which", "ccache"]).returncode == 0:
            cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
        sh(cmd, check=True)

    rows = [r for r in read_tsv(a.sample) if not a.only or r["folder"] == a.only]
    if a.self_check:
        rows, a.own, a.resume, results_path = [SELF_CHECK], True, False, os.devnull
    if a.ids:
        rows = [r for r in rows if r["id"] in a.ids.split(",")]
    done = read_results(results_path) if a.resume and os.path.exists(results_path) else {}
    targets = sorted({t for r in rows for t in TESTS[r["folder"]][: 1 if a.own else 2]})
    print(f"commit {rev[:12]}; building and checking {' '.join(targets)} unmutated", flush=True)
    b = sh(["ninja", "-C", build, f"-j{a.j}"] + targets)
    if b.returncode:
        sys.exit("the unmutated tree does not build:\n" + b.stdout[-3000:])
    limit = {}
    for t in targets:  # a mutant's run may take three times as long before it counts as a hang
        t0 = time.time()
        if run_test(build, t, a.timeout) != "pass":
            sys.exit(f"{t} fails without any mutant: fix that first")
        limit[t] = min(a.timeout, max(20, 3 * (time.time() - t0)))

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(130))
    mode = "a" if done else "w"
    out = open(results_path, mode, encoding="utf-8")
    who = open(a.who, "a", encoding="utf-8") if a.who else None
    if not done:
        out.write(f"# commit {rev}\n#id\tfolder\tresult\ttests\tseconds\n")
    results = list(done.values())
    for i, r in enumerate(rows):
        if r["id"] in done:
            continue
        t0 = time.time()
        path = os.path.join(src, r["file"])
        text = open(path, encoding="utf-8").read()
        lines = text.split("\n")
        n = moved_line(lines, int(r["line"]) - 1, r["original"])
        ran = []
        if n is None:
            result = "stale"
        else:
            lines[n] = r["mutated"]
            # A dropped statement may leave a name unused, a swapped && mix with || unbracketed;
            # under -Werror that alone would hide the mutant from the tests.
            lines[0] = WARNINGS_OK + lines[0]
            try:
                open(path, "w", encoding="utf-8").write("\n".join(lines))
                progs = TESTS[r["folder"]][: 1 if a.own else 2]
                if sh(["ninja", "-C", build, f"-j{a.j}"] + progs).returncode:
                    result = "not-compiled"
                else:
                    result = "survived"
                    for t in progs:
                        ran.append(t)
                        failed = [] if a.who else None
                        if run_test(build, t, limit[t], failed) != "pass":
                            result = "killed"
                            if a.who:
                                who.write(f"{r['id']}\t{t}\t{' '.join(failed) or '(hang)'}\n")
                                who.flush()
                            else:
                                break
            finally:
                open(path, "w", encoding="utf-8").write(text)
        secs = time.time() - t0
        res = {"id": r["id"], "folder": r["folder"], "result": result, "tests": ",".join(ran),
               "seconds": f"{secs:.0f}"}
        results.append(res)
        out.write("\t".join(res.values()) + "\n")
        out.flush()
        print(f"[{i + 1}/{len(rows)}] {r['id']} {r['file']}:{r['line']} {r['op']:6} {result}"
              f" ({secs:.0f} s)", flush=True)
    out.close()
    if a.self_check:
        sys.exit(0 if results[0]["result"] == "killed" else "self-check: the mutant was not killed")
    summarize(results, os.path.splitext(results_path)[0] + "-summary.txt")
    if a.against and not compare(results, a.against):
        sys.exit(1)


if __name__ == "__main__":
    main()
