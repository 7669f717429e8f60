#!/usr/bin/env python3
"""Breaks the code on purpose, one place at a time, and tells whether the
tests notice.

    tools/mutate.py MUTATIONS --tree SCRATCH-TREE --build BUILD-DIR

Each mutation in the MUTATIONS file replaces one exact snippet of code,
searched for in the files a glob names, so a mutation still applies after the
code moves between files. The snippet must occur exactly once among them. For
each mutation in turn the script changes SCRATCH-TREE in place, rebuilds
BUILD-DIR (configured from that tree) incrementally, runs the suite, and puts
the file back. A mutation is caught when a test fails. SCRATCH-TREE is
changed while this runs: use a worktree of its own, never the one you work
in.

Each mutation relinks what uses the changed code; with the conversion core
built as a shared library in the scratch tree (add_library(varnelcore SHARED
...) there) and a fast linker (-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld and the
same for shared libraries and modules) a run takes a fraction of the time.

The MUTATIONS file holds blocks like this one; '#' starts a comment line,
and '\\n' in a snippet stands for a line break. A block may give several
find:/replace: pairs for one fault in differently shaped code; the first
found is used:

    [readU16LE reads one byte too few]
    files: shx/*.cpp
    find: size - cursor < 2
    replace: size - cursor < 1
"""

import argparse
import glob
import os
import re
import subprocess
import sys
import time


def parse(path):
    mutations = []
    current = None
    with open(path, encoding='utf-8') as text:
        for number, line in enumerate(text, 1):
            line = line.rstrip('\n')
            if not line.strip() or line.lstrip().startswith('#'):
                continue
            if line.startswith('[') and line.endswith(']'):
                current = {'name': line[1:-1], 'line': number}
                mutations.append(current)
                continue
            key, sep, value = line.partition(':')
            if current is None or not sep or key not in ('files', 'find', 'replace'):
                sys.exit(f'{path}:{number}: expected [name], files:, find: or replace:')
            value = value[1:].replace('\\n', '\n') if value.startswith(' ') else value
            if key == 'files':
                current[key] = value
            elif key == 'find':
                current.setdefault('pairs', []).append([value, None])
            elif current.get('pairs') and current['pairs'][-1][1] is None:
                current['pairs'][-1][1] = value
            else:
                sys.exit(f'{path}:{number}: replace: without its find:')
    for mutation in mutations:
        pairs = mutation.get('pairs', [])
        missing = [key for key, there in (('files', 'files' in mutation), ('find', pairs),
                                          ('replace', pairs and pairs[-1][1] is not None))
                   if not there]
        if missing:
            sys.exit(f"{path}:{mutation['line']}: [{mutation['name']}] lacks {', '.join(missing)}")
    return mutations


def locate(tree, mutation):
    """The one file holding a snippet, and the snippet with its replacement,
    or a reason why there is none. Of several find: lines the first found
    anywhere counts, so one fault can be named in two shapes of the code."""
    for find, replace in mutation['pairs']:
        found = []
        for pattern in mutation['files'].split():
            for path in sorted(glob.glob(os.path.join(tree, pattern), recursive=True)):
                with open(path, encoding='utf-8') as source:
                    found += [path] * source.read().count(find)
        if found:
            if len(found) > 1:
                return None, None, f"snippet found {len(found)} times in {mutation['files']}"
            return found[0], (find, replace), None
    return None, None, f"snippet found 0 times in {mutation['files']}"


def run(command, log, timeout=None):
    with open(log, 'w', encoding='utf-8') as out:
        try:
            return subprocess.run(command, stdout=out, stderr=subprocess.STDOUT,
                                  timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            return -1


def failed_tests(log):
    """The names ctest lists under "The following tests FAILED"."""
    with open(log, encoding='utf-8', errors='replace') as text:
        return re.findall(r'^\s+\d+ - (\S+) \(', text.read(), re.M)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split('\n\n')[0])
    parser.add_argument('mutations')
    parser.add_argument('--tree', required=True, help='the source tree to mutate in place')
    parser.add_argument('--build', help='a build folder configured from TREE')
    parser.add_argument('--jobs', default='2')
    parser.add_argument('--only', action='append', help='run only mutations with this in their name')
    parser.add_argument('--results', help='also write the results to this file')
    parser.add_argument('--skip-tests', metavar='REGEX',
                        help="leave out the tests ctest's -E would (say, ones a shared core breaks)")
    parser.add_argument('--check', action='store_true',
                        help='only tell whether each snippet is found once, build nothing')
    args = parser.parse_args()

    mutations = parse(args.mutations)
    if args.only:
        mutations = [m for m in mutations if any(part in m['name'] for part in args.only)]
    tree = os.path.abspath(args.tree)
    if args.check:
        problems = [(m['name'], locate(tree, m)[2]) for m in mutations]
        for name, problem in problems:
            print(f"{'ok' if not problem else problem:40} [{name}]")
        return 1 if any(problem for _, problem in problems) else 0
    if not args.build:
        parser.error('--build is needed unless --check is given')
    build = os.path.abspath(args.build)
    logs = os.path.join(build, 'mutations')
    os.makedirs(logs, exist_ok=True)

    ctest = ['ctest', '--test-dir', build, '-j', args.jobs] + (['-E', args.skip_tests]
                                                              if args.skip_tests else [])
    # A mutation is caught only if the suite passes without it.
    print(f'Building and testing {build} unchanged first', flush=True)
    if run(['cmake', '--build', build, '-j', args.jobs], os.path.join(logs, 'build.log')) != 0:
        sys.exit(f'the unchanged tree does not build: see {logs}/build.log')
    if run(ctest, os.path.join(logs, 'test.log')) != 0:
        sys.exit(f'the suite fails on the unchanged tree: see {logs}/test.log')

    lines = []
    counts = {'caught': 0, 'MISSED': 0, 'not applied': 0}
    for index, mutation in enumerate(mutations, 1):
        started = time.monotonic()
        path, pair, problem = locate(tree, mutation)
        detail = problem or ''
        outcome = 'not applied'
        if path:
            with open(path, encoding='utf-8') as source:
                original = source.read()
            try:
                with open(path, 'w', encoding='utf-8') as source:
                    source.write(original.replace(*pair))
                log = os.path.join(logs, f'{index:02d}')
                if run(['cmake', '--build', build, '-j', args.jobs], log + '.build.log') != 0:
                    detail = 'does not build'
                else:
                    # The first failing test is enough to call it caught.
                    status = run(ctest + ['--stop-on-failure'], log + '.test.log', timeout=1800)
                    outcome = 'caught' if status != 0 else 'MISSED'
                    detail = ', '.join(failed_tests(log + '.test.log')) if status else ''
            finally:
                with open(path, 'w', encoding='utf-8') as source:
                    source.write(original)
            detail = f"{os.path.relpath(path, tree)}" + (f': {detail}' if detail else '')
        counts[outcome] += 1
        line = f"{outcome:11} [{mutation['name']}] {detail} ({time.monotonic() - started:.0f} s)"
        print(f'{index:2}/{len(mutations)} {line}', flush=True)
        lines.append(line)

    summary = (f"caught {counts['caught']} of {counts['caught'] + counts['MISSED']} mutations"
               + (f", {counts['not applied']} not applied" if counts['not applied'] else ''))
    print(summary)
    if args.results:
        with open(args.results, 'w', encoding='utf-8') as out:
            out.write('\n'.join(lines + [summary]) + '\n')
    run(['cmake', '--build', build, '-j', args.jobs], os.path.join(logs, 'build.log'))
    return 0 if counts['MISSED'] == 0 and counts['not applied'] == 0 else 1


if __name__ == '__main__':
    sys.exit(main())
