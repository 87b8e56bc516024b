#!/usr/bin/env python3
"""Checks that the installed headers declare only what the library guide
documents: every public name (a type, function, member, constant or
enumerator outside a `namespace detail` block and outside private and
protected sections) must stand in backticks somewhere in the guide.
Usage: check_public_names.py GUIDE HEADER... ; exit 1 naming the others."""
import re, sys, pathlib
def strip(src):
    src = re.sub(r'//[^\n]*', '', src)
    src = re.sub(r'/\*.*?\*/', '', src, flags=re.S)
    src = re.sub(r'"(\\.|[^"\\])*"', '""', src)
    src = re.sub(r"'(\\.|[^'\\])*'", "''", src)
    src = re.sub(r'^\s*#.*$', '', src, flags=re.M)
    return src
# A "{" that opens a function body (after a parameter list and its
# qualifiers): what the body uses is not declared there.
BODY_BEFORE = re.compile(r'\)\s*(?:const|noexcept|override|mutable|->\s*[\w:<>&*\s]+?)*\s*$')


def drop_blocks(src):
    """The code without namespace detail blocks, private and protected
    sections and function bodies."""
    out = []
    depth = 0
    skip = None  # (what, depth) while a block or section is left out
    pos = 0
    for m in re.finditer(r'namespace\s+detail\s*\{|\b(?:private|protected)\s*:|\bpublic\s*:|[{}]', src):
        t = m.group(0)
        if skip is None:
            out.append(src[pos:m.start()])
        pos = m.end()
        if t.startswith('namespace'):
            depth += 1
            if skip is None:
                skip = ('block', depth)
        elif t == '{':
            depth += 1
            if skip is None:
                if BODY_BEFORE.search(src[max(0, m.start() - 200):m.start()]):
                    skip = ('block', depth)
                else:
                    out.append(t)
        elif t == '}':
            if skip is not None and skip[0] == 'block' and depth == skip[1]:
                skip = None
            elif skip is not None and skip[0] == 'section' and depth == skip[1]:
                skip = None
                out.append(t)
            elif skip is None:
                out.append(t)
            depth -= 1
        elif t.startswith('public'):
            if skip is not None and skip[0] == 'section' and depth == skip[1]:
                skip = None
        elif skip is None:
            skip = ('section', depth)
    if skip is None:
        out.append(src[pos:])
    return ''.join(out)


# Names of the language and the standard library that headers use, and the
# macros of the build.
NOT_DECLARED = re.compile(r'^(CADXFORM_\w+|[A-Z])$')


def public_names(header):
    code = drop_blocks(strip(pathlib.Path(header).read_text()))
    code = re.sub(r'\b(std|detail)::[\w:]+', '', code)
    found = set()
    for m in re.finditer(r'\b([A-Z]\w*|[a-z]{1,2}[A-Z]\w*)\b', code):
        if not NOT_DECLARED.match(m.group(1)):
            found.add(m.group(1))
    return found


def documented(guide):
    text = pathlib.Path(guide).read_text(encoding='utf-8')
    names = set()
    for m in re.finditer(r'`([^`]*)`', text):
        names.update(re.findall(r'[A-Za-z_]\w*', m.group(1)))
    return names


def main(argv):
    known = documented(argv[1])
    bad = 0
    for header in argv[2:]:
        missing = sorted(public_names(header) - known)
        if missing:
            print(f'{header}: not in the library guide: {" ".join(missing)}', file=sys.stderr)
            bad = 1
    return bad


if __name__ == '__main__':
    sys.exit(main(sys.argv))
