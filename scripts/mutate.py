#!/usr/bin/env python3
"""Operator mutants of Melodeck's Qt-free sources, judged by the unit tests.

Each mutant changes one operator at one place (`<` to `<=`, `&&` to `||`, `return false`
to `return true`, `+ 1` to `+ 0`, ...) in a scratch copy of the sources, builds it
incrementally and runs the unit tests with a time limit. A mutant the tests fail on is
killed. One they pass is tried again in a build with AddressSanitizer and UBSan, as the
test command runs the unit tests a second time; if they pass there too, it survives and
is printed with its place and change. One that does not compile is left out of the
score, and so is one docs/TESTING.md lists as equivalent (it cannot change any
behaviour). The seed picks which places are tried.

Usage: scripts/mutate.sh [--mutants N] [--seed S] [--work DIR] [--timeout SECONDS]
       scripts/mutate.sh --files FILE ... [--mutants N] [--seed S]   (only places in those sources)
       scripts/mutate.sh --at FILE:LINE:OPERATOR ...   (those mutants again, e.g. survivors)
"""

import argparse
import os
import random
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
# Where the equivalent mutants are listed, with the reason each changes nothing.
EQUIVALENTS = os.path.join(ROOT, "docs", "TESTING.md")
# The core: everything a unit test can reach without a display.
MUTATED_FOLDERS = ["src/platform", "src/text", "src/catalogue", "src/utility", "src/tree", "src/dialogs"]

# (name, pattern found in code, replacement). Binary operators need blanks around them,
# as the sources are formatted, so template brackets and shifts stay out.
def binary(operator, replacement):
    """A binary operator with blanks around it, as the sources write them."""
    return (f"{operator} to {replacement}", re.compile(r"(?<=\s)" + re.escape(operator) + r"(?=\s)"), replacement)


OPERATORS = [binary(a, b) for a, b in [("<", "<="), ("<=", "<"), (">", ">="), (">=", ">"), ("==", "!="), ("!=", "=="),
                                       ("&&", "||"), ("||", "&&")]] + [
    ("return true to false", re.compile(r"\breturn true\b"), "return false"),
    ("return false to true", re.compile(r"\breturn false\b"), "return true"),
    ("+ 1 to + 0", re.compile(r"(?<=\s)\+ 1\b"), "+ 0"),
    ("- 1 to - 0", re.compile(r"(?<=\s)- 1\b"), "- 0"),
    ("drop !", re.compile(r"(?<=\()!(?=[\w(])"), ""),
]


def code_only(line):
    """The line with string and character literals and comments blanked, same length."""
    out = []
    i, n = 0, len(line)
    while i < n:
        c = line[i]
        if c == "/" and i + 1 < n and line[i + 1] == "/":
            out.append(" " * (n - i))
            break
        if c in "\"'":
            quote = c
            out.append(" ")
            i += 1
            while i < n and line[i] != quote:
                if line[i] == "\\":
                    out.append(" ")
                    i += 1
                out.append(" ")
                i += 1
            out.append(" ")
            i += 1
            continue
        out.append(c)
        i += 1
    return "".join(out)[:n]


def candidate_sites(root):
    sites = []
    for folder in MUTATED_FOLDERS:
        for dirpath, _, files in os.walk(os.path.join(root, folder)):
            for name in sorted(files):
                if not name.endswith(".cpp"):
                    continue
                path = os.path.relpath(os.path.join(dirpath, name), root)
                with open(os.path.join(root, path), encoding="utf-8") as f:
                    lines = f.read().split("\n")
                in_block_comment = False
                for number, line in enumerate(lines, 1):
                    stripped = line.strip()
                    if in_block_comment:
                        in_block_comment = "*/" not in stripped
                        continue
                    if stripped.startswith("/*"):
                        in_block_comment = "*/" not in stripped
                        continue
                    if stripped.startswith("#") or "static_assert" in stripped:
                        continue
                    code = code_only(line)
                    for operator, pattern, replacement in OPERATORS:
                        for match in pattern.finditer(code):
                            sites.append((path, number, match.start(), match.end(), operator, replacement))
    sites.sort()
    return sites


def listed_equivalents():
    """(file, mutated line) of each row of the equivalent mutants' table.

    A row reads | `file` | change | `the line as the mutant writes it` | why |, with
    "|" written "\\|" inside a cell, as Markdown wants.
    """
    with open(EQUIVALENTS, encoding="utf-8") as f:
        text = f.read()
    table = text.split("### Equivalent mutants", 1)[1].split("\n#", 1)[0]
    listed = set()
    for row in table.split("\n"):
        cells = [cell.strip().replace("\\|", "|") for cell in re.split(r"(?<!\\)\|", row)[1:-1]]
        if len(cells) == 4 and cells[0].startswith("`src/"):
            listed.add((cells[0].strip("`"), cells[2].strip("`")))
    return listed


def run(command, cwd, timeout=None, env=None):
    try:
        return subprocess.run(command, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout, env=env).returncode
    except subprocess.TimeoutExpired:
        return None


class ScratchBuild:
    """A build of the scratch copy, with or without the sanitizers, and its unit tests."""

    def __init__(self, copy, folder, timeout, sanitize):
        self.copy, self.folder, self.timeout, self.sanitize = copy, folder, timeout, sanitize
        # A test program stops at its first failure: one is enough to kill the mutant.
        self.env = dict(os.environ, GTEST_FAIL_FAST="1")
        if sanitize:  # as the test command runs the sanitizer build
            self.env.update(ASAN_OPTIONS="detect_leaks=1:abort_on_error=1",
                            UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1")
        self.ready = False

    def prepare(self):
        """Configures and builds the unmutated copy; exits when its tests fail."""
        what = "with the sanitizers " if self.sanitize else ""
        print(f"building the unmutated copy {what}...", flush=True)
        configure = ["cmake", "-S", self.copy, "-B", self.folder, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                     "-DMELODECK_UNIT_TESTS_ONLY=ON", f"-DMELODECK_SANITIZE={'ON' if self.sanitize else 'OFF'}"]
        if shutil.which("ld.lld"):  # every mutant relinks the test programs: lld does it in half the time
            configure.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld")
        if run(configure, ROOT) != 0:
            sys.exit("mutate: the scratch copy does not configure")
        if self.tests_pass() is not True:
            sys.exit(f"mutate: the unmutated copy {what}does not build or its unit tests fail")
        self.ready = True

    def builds(self):
        return run(["cmake", "--build", self.folder, "-j2"], ROOT) == 0

    def tests_pass(self):
        """None when the copy does not compile, else whether the unit tests pass."""
        if not self.builds():
            return None
        tests = ["ctest", "-L", "unit", "-j2", "--stop-on-failure", "--timeout", str(self.timeout)]
        # A timeout is a failure: a mutant may loop for ever.
        return run(tests, self.folder, self.timeout * 2, self.env) == 0


def copy_sources(work):
    """A scratch copy of the tracked and new files of the checkout."""
    listed = subprocess.check_output(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT, text=True)
    copy = os.path.join(work, "src-copy")
    for path in listed.split("\n"):
        if not path or not os.path.isfile(os.path.join(ROOT, path)):
            continue
        target = os.path.join(copy, path)
        os.makedirs(os.path.dirname(target), exist_ok=True)
        source = os.path.join(ROOT, path)
        if not os.path.exists(target) or open(source, "rb").read() != open(target, "rb").read():
            # A new time stamp, never the source's: an older one could hide the change
            # from the incremental build.
            shutil.copyfile(source, target)
            shutil.copymode(source, target)
    return copy


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--mutants", type=int, default=20)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--work", default=os.path.join(os.environ.get("TMPDIR", "/tmp"), "melodeck-mutate"))
    parser.add_argument("--timeout", type=int, default=60, help="seconds for one run of the unit tests")
    parser.add_argument("--files", nargs="+", default=[], metavar="FILE",
                        help="sample only places in these sources (e.g. the files a change touched)")
    parser.add_argument("--at", nargs="+", default=[], metavar="FILE:LINE:OPERATOR",
                        help="try exactly these mutants, as the survivors list prints them")
    parser.add_argument("--no-sanitizers", action="store_true",
                        help="do not try survivors again in a build with AddressSanitizer and UBSan")
    args = parser.parse_args()

    copy = copy_sources(args.work)
    plain = ScratchBuild(copy, os.path.join(args.work, "build"), args.timeout, sanitize=False)
    # A read past an array is a fault the test command catches in its sanitizer build.
    # The sanitizers make the slowest test program take forty seconds alone: a limit made
    # for the plain build would kill mutants for a busy machine.
    sanitized = ScratchBuild(copy, os.path.join(args.work, "build-sanitize"), args.timeout * 3, sanitize=True)
    plain.prepare()

    sites = candidate_sites(copy)
    if args.files:
        sites = [site for site in sites if site[0] in set(args.files)]
    if args.at:
        wanted = {tuple(place.split(":", 2)) for place in args.at}
        chosen = [site for site in sites if (site[0], str(site[1]), site[4]) in wanted]
        print(f"trying {len(chosen)} chosen mutants", flush=True)
    else:
        chosen = random.Random(args.seed).sample(sites, min(args.mutants, len(sites)))
        print(f"{len(sites)} places to mutate; trying {len(chosen)} (seed {args.seed})", flush=True)
    equivalents = listed_equivalents()
    killed = survived = uncompiled = equivalent = 0
    survivors = []
    started = time.time()
    for index, (path, number, start, end, operator, replacement) in enumerate(chosen, 1):
        file = os.path.join(copy, path)
        with open(file, encoding="utf-8") as f:
            original = f.read()
        lines = original.split("\n")
        line = lines[number - 1]
        lines[number - 1] = line[:start] + replacement + line[end:]
        if (path, lines[number - 1].strip()) in equivalents:
            equivalent += 1
            print(f"[{index}/{len(chosen)}] {path}:{number} {operator}: equivalent (listed)", flush=True)
            continue
        with open(file, "w", encoding="utf-8") as f:
            f.write("\n".join(lines))
        try:
            passed = plain.tests_pass()
            if passed and not args.no_sanitizers:
                if not sanitized.ready:  # built once, from the copy as it was
                    with open(file, "w", encoding="utf-8") as f:
                        f.write(original)
                    sanitized.prepare()
                    with open(file, "w", encoding="utf-8") as f:
                        f.write("\n".join(lines))
                passed = sanitized.tests_pass()
                sanitizers = " (by the sanitizer build)" if passed is False else ""
            else:
                sanitizers = ""
            if passed is None:
                uncompiled += 1
                verdict = "does not compile"
            elif passed:
                survived += 1
                survivors.append(f"{path}:{number}: {operator}: {line.strip()}")
                verdict = "SURVIVED"
            else:
                killed += 1
                verdict = "killed" + sanitizers
        finally:
            with open(file, "w", encoding="utf-8") as f:
                f.write(original)
        print(f"[{index}/{len(chosen)}] {path}:{number} {operator}: {verdict}", flush=True)
    for build in (plain, sanitized):  # the copy as it was, for the next run
        if build.ready:
            build.builds()
    judged = killed + survived
    print(f"\n{len(survivors)} surviving mutants:")
    for survivor in survivors:
        print("  " + survivor)
    print(f"left out: {uncompiled} not compiled, {equivalent} listed as equivalent; "
          f"minutes: {(time.time() - started) / 60:.1f}")
    percent = 100.0 * killed / judged if judged else 0.0
    print(f"mutation score: {killed}/{judged} killed ({percent:.0f}%)")


if __name__ == "__main__":
    main()
