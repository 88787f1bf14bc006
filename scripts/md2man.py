#!/usr/bin/env python3
"""Turns one of our manual pages (docs/man/<program>.1.md) into man(7) roff.

    md2man.py --version 2.10 IN.md OUT.1

The pages use a small part of Markdown, and nothing else is accepted (a line
this script cannot place stops it with the file and line, so a page never
renders wrong in silence):

    # NAME(1) -- what it is         the title line, first in the file
    ## SECTION                      a section (.SH); ### a subsection (.SS)
    text lines                      a paragraph, until a blank line
    - text                          a bullet item (its continuation lines indented)
    `TERM` *ARG*                    a definition: the term on its own line, then
    : text                          its text on lines that start with ": "
    ```                             a block shown as written (.nf), up to the next ```

Within text: `code` and **strong** become bold, *emphasis* and _emphasis_
italic; a backslash, a leading dot or apostrophe and the dashes and blanks of
code are escaped so that groff prints them as written.
"""
import argparse
import re
import sys

TITLE = re.compile(r"^# (?P<name>[A-Za-z0-9_.+-]+)\((?P<section>[1-8])\) -- (?P<summary>.+)$")
INLINE = re.compile(r"`(?P<code>[^`]+)`|\*\*(?P<strong>[^*]+)\*\*|\*(?P<em>[^*\s][^*]*)\*|(?<![\w])_(?P<em2>[^_\s][^_]*)_(?![\w])")


class PageError(Exception):
    pass


def escape(text):
    """Plain text: groff's escape character written as itself."""
    return text.replace("\\", "\\e")


def code(text):
    # In code every dash is a minus sign (an option's dashes must copy and
    # paste as ASCII hyphen-minus), and a blank is one fixed blank that never
    # breaks the line ("00 01 48 00" stays as written).
    return escape(text).replace("-", "\\-").replace(" ", "\\ ")


def inline(text):
    out = []
    pos = 0
    for m in INLINE.finditer(text):
        out.append(escape(text[pos:m.start()]))
        if m.group("code") is not None:
            out.append("\\fB" + code(m.group("code")) + "\\fR")
        elif m.group("strong") is not None:
            out.append("\\fB" + escape(m.group("strong")) + "\\fR")
        else:
            out.append("\\fI" + escape(m.group("em") or m.group("em2")) + "\\fR")
        pos = m.end()
    out.append(escape(text[pos:]))
    return "".join(out)


def line_safe(text):
    """A text line that groff must not read as a request or control line."""
    return "\\&" + text if text.startswith((".", "'")) else text


def convert(source, version, path="<page>"):
    lines = source.split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if not lines:
        raise PageError(f"{path}: empty page")
    title = TITLE.match(lines[0])
    if not title:
        raise PageError(f"{path}:1: the page must start with '# NAME(SECTION) -- summary'")
    name, section = title.group("name"), title.group("section")
    out = [
        f'.TH "{name.upper()}" "{section}" "" "RLX_Plug {version}" "RLX_Plug Manual"',
        ".nh",  # names, paths and options are never hyphenated
        ".SH NAME",
        line_safe(f"{code(name)} \\- {inline(title.group('summary'))}"),
    ]
    i = 1
    after_heading = False  # a paragraph right after a heading needs no .PP of its own

    def fail(message):
        raise PageError(f"{path}:{i + 1}: {message}")

    while i < len(lines):
        line = lines[i]
        if not line.strip():
            i += 1
            continue
        if line.startswith("### "):
            out.append(f'.SS "{inline(line[4:].strip())}"')
            after_heading = True
            i += 1
            continue
        if line.startswith("## "):
            out.append(f".SH {line[3:].strip().upper()}")
            after_heading = True
            i += 1
            continue
        if line.startswith("#"):
            fail("only the title line may start with a single '#'")
        if line.startswith("```"):
            i += 1
            out.append(".PP")
            out.append(".RS 4")
            out.append(".nf")
            while i < len(lines) and not lines[i].startswith("```"):
                out.append(line_safe(escape(lines[i])))
                i += 1
            if i == len(lines):
                fail("a block opened with ``` is never closed")
            out.append(".fi")
            out.append(".RE")
            after_heading = False
            i += 1
            continue
        if line.startswith(("- ", "* ")):
            text = [line[2:].strip()]
            i += 1
            while i < len(lines) and lines[i].startswith("  ") and lines[i].strip():
                text.append(lines[i].strip())
                i += 1
            out.append(".IP \\(bu 2")
            out.append(line_safe(inline(" ".join(text))))
            after_heading = False
            continue
        if line.startswith(": "):
            fail("a definition's text (': ') must follow its term")
        if i + 1 < len(lines) and lines[i + 1].startswith(": "):
            out.append(".TP")
            out.append(line_safe(inline(line.strip())))
            i += 1
            text = []
            while i < len(lines) and lines[i].startswith(": "):
                text.append(lines[i][2:].strip())
                i += 1
            out.append(line_safe(inline(" ".join(text))))
            after_heading = False
            continue
        if line.startswith((" ", "\t")):
            fail("an indented line outside a bullet item or a ``` block")
        text = []
        while i < len(lines) and lines[i].strip() and not lines[i].startswith(("#", "```", "- ", "* ", ": ")):
            if i + 1 < len(lines) and lines[i + 1].startswith(": "):
                break  # the next definition's term
            text.append(lines[i].strip())
            i += 1
        if not after_heading:
            out.append(".PP")
        out.append(line_safe(inline(" ".join(text))))
        after_heading = False
    return "\n".join(out) + "\n"


def main(argv):
    parser = argparse.ArgumentParser(description="Markdown manual page to man(7) roff")
    parser.add_argument("--version", required=True, help="the project version the footer names")
    parser.add_argument("source")
    parser.add_argument("target")
    args = parser.parse_args(argv)
    with open(args.source, encoding="utf-8") as f:
        source = f.read()
    try:
        page = convert(source, args.version, args.source)
    except PageError as e:
        print(f"md2man: {e}", file=sys.stderr)
        return 1
    with open(args.target, "w", encoding="utf-8") as f:
        f.write(page)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
