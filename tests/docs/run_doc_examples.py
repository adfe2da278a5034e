#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Runs the examples of the documentation and compares what they print with what they show.

    run_doc_examples.py --source DIR --tool PATH [--python-path DIR] [--show] [FILE...]

Without FILE it reads README.md, docs/*.md and doc/man/*.1 and *.5 under --source. The
conventions are in tests/docs/README.md; in short:

- ```console blocks of Markdown and .EX/.EE blocks of manual pages that hold `$ ` lines are shell
  sessions: each `$ ` line is a command for /bin/sh (a line ending in a backslash continues on the
  next), the lines after it up to the next `$ ` are what it prints, stdout and stderr together.
  A command that shows no output must also succeed.
- All sessions of one document share one scratch directory, which starts as a copy of examples/,
  tests/tool/golden/ and tests/docs/files/ (see setup_scratch); `cd` carries over from one command
  to the next. The folder of --tool comes first on PATH, so `reuseblocks` is the built tool.
- Normalised on both sides before comparing: `# Date: ...` lines (the date a file was written)
  and git's `index HASH..HASH` lines. A line of only `...` in the shown output stands for any
  lines, none included.
- .EX/.EE blocks of manual pages without `$ ` lines are excerpts of a blocks file: joined where a
  line ends in a backslash, they must pass `reuseblocks check --strict` without a word.
- ```pycon blocks of one document are one doctest session, run by this interpreter with
  --python-path first on sys.path, in the same scratch directory. Without --python-path (the
  build has no Python package) they are skipped, and the skip is said.

--show prints each failing session again with what it printed instead, ready to paste into the
document once the new output is right.
"""

import argparse
import difflib
import os
import re
import shutil
import subprocess
import sys
import tempfile

# Copied into each document's scratch directory at these paths (relative to the source tree).
SCRATCH_TREES = ["examples", "tests/tool/golden"]
# Copied to the scratch directory's root: the files examples name without a folder.
SCRATCH_ROOT_FILES = {"examples/board.blocks": "board.blocks"}
SCRATCH_ROOT_TREE = "tests/docs/files"

DATE_LINE = re.compile(r"^(\s*[-+ ]?\s*)# Date: .*$")
GIT_INDEX_LINE = re.compile(r"^index [0-9a-f]+\.\.[0-9a-f]+( \d+)?$")
ELLIPSIS = "..."


class Example:
    """One `$ ` command, or one Python session, or one file excerpt, and where it was shown."""

    def __init__(self, kind, path, line, text, expected):
        self.kind = kind  # "shell", "python" or "excerpt"
        self.path = path
        self.line = line
        self.text = text
        self.expected = expected  # list of lines
        self.actual = None
        self.failure = None
        self.output_span = None  # (index of the first shown output line in the file, count)

    def where(self):
        return f"{self.path}:{self.line}"


# --- Reading the documents -------------------------------------------------------------------


def markdown_blocks(text):
    """(language, first line number of the content, lines) of each fenced block."""
    blocks = []
    lines = text.split("\n")
    index = 0
    while index < len(lines):
        match = re.match(r"^(\s*)(```+|~~~+)\s*([\w+-]*)", lines[index])
        if not match:
            index += 1
            continue
        indent, fence, language = match.group(1), match.group(2), match.group(3)
        start = index + 1
        index += 1
        content = []
        while index < len(lines) and not lines[index].strip().startswith(fence):
            line = lines[index]
            content.append(line[len(indent):] if line.startswith(indent) else line)
            index += 1
        index += 1
        blocks.append((language, start + 1, content))
    return blocks


ROFF_ESCAPES = [
    (r"\(aq", "'"),
    (r"\(dq", '"'),
    (r"\(ti", "~"),
    (r"\(ha", "^"),
    (r"\(ga", "`"),
    (r"\-", "-"),
    (r"\&", ""),
    (r"\ ", " "),
    (r"\e", "\\"),
]


def unroff(line):
    # One pass, so that the backslash an \e makes never starts another escape.
    out = []
    index = 0
    while index < len(line):
        for escape, replacement in ROFF_ESCAPES:
            if line.startswith(escape, index):
                out.append(replacement)
                index += len(escape)
                break
        else:
            out.append(line[index])
            index += 1
    return "".join(out)


def man_blocks(text):
    """(kind, first line number, lines) of each .EX/.EE example of a manual page."""
    blocks = []
    lines = text.split("\n")
    index = 0
    while index < len(lines):
        if lines[index].strip() != ".EX":
            index += 1
            continue
        start = index + 2
        index += 1
        content = []
        while index < len(lines) and lines[index].strip() != ".EE":
            if not lines[index].startswith(".\\\""):
                content.append(unroff(lines[index]))
            index += 1
        index += 1
        kind = "console" if any(line.startswith("$ ") for line in content) else "excerpt"
        blocks.append((kind, start, content))
    return blocks


def shell_examples(path, first_line, lines):
    # first_line is the 1-based line in the file of lines[0].
    examples = []
    index = 0
    while index < len(lines):
        line = lines[index]
        if not line.startswith("$ "):
            if line.strip():
                examples.append(Example("shell", path, first_line + index, "", [line]))
                examples[-1].failure = "output shown before any `$ ` command"
            index += 1
            continue
        number = first_line + index
        command = [line[2:]]
        while command[-1].endswith("\\") and index + 1 < len(lines):
            index += 1
            command.append(lines[index])
        index += 1
        output_start = index
        expected = []
        while index < len(lines) and not lines[index].startswith("$ "):
            expected.append(lines[index])
            index += 1
        while expected and not expected[-1].strip():
            expected.pop()
        examples.append(Example("shell", path, number, "\n".join(command), expected))
        examples[-1].output_span = (first_line - 1 + output_start, len(expected))
    return examples


def anchor(heading):
    """The anchor a Markdown renderer gives a heading."""
    text = re.sub(r"[^\w\- ]", "", heading.strip().lower())
    return text.replace(" ", "-")


def link_examples(path, shown_path, text):
    """A failing example for each relative link whose file or heading does not exist."""
    examples = []
    outside_code = re.sub(r"```.*?```", lambda m: "\n" * m.group(0).count("\n"), text, flags=re.S)
    for number, line in enumerate(outside_code.split("\n"), 1):
        for target in re.findall(r"\]\(([^)\s]+)\)", line):
            if re.match(r"^[a-z]+:", target):
                continue
            file_part, _, fragment = target.partition("#")
            linked = os.path.normpath(os.path.join(os.path.dirname(path), file_part)) if file_part \
                else path
            problem = None
            if not os.path.exists(linked):
                problem = f"links to {file_part}, which does not exist"
            elif fragment and linked.endswith(".md"):
                with open(linked, encoding="utf-8") as handle:
                    headings = re.findall(r"^#+ (.*)$", handle.read(), flags=re.M)
                if fragment not in {anchor(h) for h in headings}:
                    problem = f"links to #{fragment}, which is no heading of {file_part or 'it'}"
            if problem:
                example = Example("link", shown_path, number, target, [])
                example.failure = problem
                examples.append(example)
    return examples


def read_document(path, shown_path):
    with open(path, encoding="utf-8") as handle:
        text = handle.read()
    examples = []
    if path.endswith(".md"):
        examples += link_examples(path, shown_path, text)
        python = []
        for language, line, content in markdown_blocks(text):
            if language == "console":
                examples += shell_examples(shown_path, line, content)
            elif language == "pycon":
                python.append((line, content))
        if python:
            # One doctest session; the blank line keeps each block's output apart from the next.
            text = "\n\n".join("\n".join(content) for _, content in python) + "\n"
            examples.append(Example("python", shown_path, python[0][0], text, []))
    else:
        for kind, line, content in man_blocks(text):
            if kind == "console":
                examples += shell_examples(shown_path, line, content)
            else:
                examples.append(Example("excerpt", shown_path, line, "\n".join(content), []))
    return examples


# --- Running ---------------------------------------------------------------------------------


def setup_scratch(source, scratch):
    for tree in SCRATCH_TREES:
        shutil.copytree(os.path.join(source, tree), os.path.join(scratch, tree))
    for origin, name in SCRATCH_ROOT_FILES.items():
        shutil.copyfile(os.path.join(source, origin), os.path.join(scratch, name))
    root_tree = os.path.join(source, SCRATCH_ROOT_TREE)
    for name in sorted(os.listdir(root_tree)):
        shutil.copyfile(os.path.join(root_tree, name), os.path.join(scratch, name))
    os.mkdir(os.path.join(scratch, ".home"))


def environment(tool, scratch, python_path):
    env = dict(os.environ)
    for name in list(env):
        if name.startswith(("GIT_", "REUSEBLOCKS_", "LC_")) or name in ("NO_COLOR", "LANGUAGE"):
            del env[name]
    env.update(
        PATH=os.path.dirname(os.path.abspath(tool)) + os.pathsep + env.get("PATH", "/usr/bin:/bin"),
        HOME=os.path.join(scratch, ".home"),
        LANG="C.UTF-8",
        LC_ALL="C.UTF-8",
        TZ="UTC",
        TERM="dumb",
        COLUMNS="100",
        GIT_CONFIG_NOSYSTEM="1",
        # No repository above the scratch directory is ever found, whatever TMPDIR is.
        GIT_CEILING_DIRECTORIES=os.path.dirname(scratch),
        GIT_CONFIG_COUNT="1",
        GIT_CONFIG_KEY_0="init.defaultBranch",
        GIT_CONFIG_VALUE_0="main",
        GIT_AUTHOR_NAME="A. Designer",
        GIT_AUTHOR_EMAIL="designer@example.org",
        GIT_COMMITTER_NAME="A. Designer",
        GIT_COMMITTER_EMAIL="designer@example.org",
        GIT_AUTHOR_DATE="2026-12-06T07:39:28Z",
        GIT_COMMITTER_DATE="2026-12-06T07:39:28Z",
        PYTHONDONTWRITEBYTECODE="1",
    )
    if python_path:
        env["PYTHONPATH"] = python_path + os.pathsep + env.get("PYTHONPATH", "")
    return env


def normalise(lines):
    out = []
    for line in lines:
        line = line.rstrip()
        date = DATE_LINE.match(line)
        if date:
            line = date.group(1) + "# Date: (normalised)"
        elif GIT_INDEX_LINE.match(line):
            line = "index (normalised)"
        out.append(line)
    while out and not out[-1]:
        out.pop()
    return out


def matches(expected, actual):
    """Whether the actual lines are the expected ones, a line of `...` standing for any lines."""
    if not expected:
        return not actual
    if expected[0] == ELLIPSIS:
        return any(matches(expected[1:], actual[start:]) for start in range(len(actual) + 1))
    return bool(actual) and expected[0] == actual[0] and matches(expected[1:], actual[1:])


def run_shell(example, env, cwd):
    """Runs one command; returns the directory the next one starts in."""
    with tempfile.TemporaryFile() as directory_out:
        # The directory it ends in goes to a descriptor of its own, apart from what it prints.
        fd = directory_out.fileno()
        script = f'cd "$1" || exit 97\n{example.text}\nstatus=$?\npwd >&{fd}\nexit "$status"\n'
        try:
            result = subprocess.run(
                ["/bin/sh", "-c", script, "sh", cwd],
                stdin=subprocess.DEVNULL,
                stdout=subprocess.PIPE,
                stderr=subprocess.STDOUT,
                pass_fds=(fd,),
                env=env,
                timeout=120,
            )
        except subprocess.TimeoutExpired:
            example.actual = []
            example.failure = "did not finish within 120 s"
            return cwd
        directory_out.seek(0)
        new_cwd = directory_out.read().decode("utf-8", "surrogateescape").strip() or cwd
    example.actual = result.stdout.decode("utf-8", "backslashreplace").split("\n")
    expected = normalise(example.expected)
    actual = normalise(example.actual)
    if not matches(expected, actual):
        example.failure = "prints something else:\n" + "\n".join(
            difflib.unified_diff(expected, actual, "shown", "printed", lineterm="")
        )
    elif not expected and result.returncode != 0:
        example.failure = f"shows no output but exits {result.returncode}"
    return new_cwd


def run_excerpt(example, scratch, env):
    joined = re.sub(r"\\\n", " ", example.text) + "\n"
    if not joined.startswith("#"):
        # An excerpt of blocks alone: the format line that heads every file goes first.
        with open(os.path.join(scratch, "examples", "board.blocks"), encoding="utf-8") as sample:
            joined = sample.readline() + joined
    path = os.path.join(scratch, ".excerpt.blocks")
    with open(path, "w", encoding="utf-8") as handle:
        handle.write(joined)
    result = subprocess.run(
        ["reuseblocks", "check", "--strict", os.path.basename(path)],
        cwd=scratch,
        env=env,
        stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT,
        stdin=subprocess.DEVNULL,
    )
    os.remove(path)
    example.actual = result.stdout.decode("utf-8", "backslashreplace").split("\n")
    problems = [line for line in example.actual if re.search(r": (error|warning|note): ", line)]
    if result.returncode != 0 or problems:
        example.failure = "is not a file that `reuseblocks check --strict` passes:\n" + "\n".join(
            example.actual
        ).rstrip()


def run_python(example, scratch, env):
    session = os.path.join(scratch, ".session.txt")
    with open(session, "w", encoding="utf-8") as handle:
        handle.write(example.text)
    result = subprocess.run(
        [sys.executable, "-m", "doctest", session],
        cwd=scratch,
        env=env,
        stdout=subprocess.PIPE,
        stderr=subprocess.STDOUT,
        stdin=subprocess.DEVNULL,
    )
    os.remove(session)
    example.actual = result.stdout.decode("utf-8", "backslashreplace").split("\n")
    if result.returncode != 0:
        example.failure = "fails under python3 -m doctest:\n" + result.stdout.decode(
            "utf-8", "backslashreplace"
        ).rstrip()


def run_document(examples, source, tool, python_path):
    skipped = []
    with tempfile.TemporaryDirectory(prefix="reuseblocks-docs-") as scratch:
        scratch = os.path.realpath(scratch)
        setup_scratch(source, scratch)
        env = environment(tool, scratch, python_path)
        cwd = scratch
        for example in examples:
            if example.failure:
                continue
            if example.kind == "shell":
                cwd = run_shell(example, env, cwd)
            elif example.kind == "excerpt":
                run_excerpt(example, scratch, env)
            elif python_path:
                run_python(example, scratch, env)
            else:
                skipped.append(example)
            if example.actual is not None:
                # An absolute path of the scratch directory is never what a document shows.
                example.actual = [line.replace(scratch, "SCRATCH") for line in example.actual]
    return skipped


def show_actual(examples):
    """Each failing shell example again, as the document would show what it prints."""
    for example in examples:
        if not example.failure:
            continue
        print(f"---- {example.where()}: as printed")
        if example.kind == "shell":
            lines = example.text.split("\n")
            print("$ " + lines[0])
            for line in lines[1:]:
                print(line)
            actual = list(example.actual or [])
            while actual and not actual[-1]:
                actual.pop()
            for line in actual:
                print(line)
        else:
            print("\n".join(example.actual or []))
    print("----")


def bless(document, examples):
    """Writes what the failing shell examples of a Markdown document print in place of what it
    shows. Lines of `...` are lost: put them back by hand where they belong."""
    with open(document, encoding="utf-8") as handle:
        lines = handle.read().split("\n")
    failing = [e for e in examples if e.failure and e.kind == "shell" and e.output_span]
    for example in sorted(failing, key=lambda e: e.output_span[0], reverse=True):
        start, count = example.output_span
        actual = [line.rstrip() for line in example.actual or []]
        while actual and not actual[-1]:
            actual.pop()
        lines[start:start + count] = actual
    with open(document, "w", encoding="utf-8") as handle:
        handle.write("\n".join(lines))
    return len(failing)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--source", required=True, help="the source tree")
    parser.add_argument("--tool", required=True, help="the built reuseblocks")
    parser.add_argument("--python-path", default="", help="the folder of the built package")
    parser.add_argument("--python-missing", default="",
                        help="why the Python sessions cannot run (instead of --python-path)")
    parser.add_argument("--show", action="store_true", help="print what failing examples print")
    parser.add_argument("--bless", action="store_true",
                        help="write what failing examples of Markdown documents print into them")
    parser.add_argument("files", nargs="*", help="documents (default: all)")
    args = parser.parse_args()

    source = os.path.abspath(args.source)
    if args.files:
        documents = [os.path.abspath(name) for name in args.files]
    else:
        documents = [os.path.join(source, "README.md")]
        for folder, suffixes in (("docs", (".md",)), ("doc/man", (".1", ".5"))):
            names = sorted(os.listdir(os.path.join(source, folder)))
            documents += [os.path.join(source, folder, n) for n in names if n.endswith(suffixes)]

    failures = 0
    counted = 0
    for document in documents:
        shown = os.path.relpath(document, source)
        examples = read_document(document, shown)
        skipped = run_document(examples, source, args.tool, os.path.abspath(args.python_path)
                               if args.python_path else "")
        why = args.python_missing or (
            "the Python examples need the package, which this build does not make (configure "
            "with -DREUSEBLOCKS_BUILD_PYTHON=ON, as the ci preset does)")
        for example in skipped:
            print(f"{example.where()}: skipped: {why}")
        failing = [example for example in examples if example.failure]
        for example in failing:
            command = example.text.split("\n")[0] if example.kind == "shell" else example.kind
            print(f"{example.where()}: {command}\n  {example.failure}\n")
        if failing and args.show:
            show_actual(failing)
        if failing and args.bless and document.endswith(".md"):
            print(f"{shown}: {bless(document, examples)} examples rewritten; review the change")
        failures += len(failing)
        counted += len(examples) - len(skipped)
    print(f"{counted} examples run, {failures} failed")
    if failures and not args.show:
        print("run again with --show to print what the failing examples print")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
