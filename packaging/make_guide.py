#!/usr/bin/env python3
"""Writes the user guide that goes into the release zip, from docs/使い方.md.

A Jw_cad user opens the guide by double-clicking it, so it is plain text in Shift-JIS (cp932)
with CR LF line ends, like the batch file. The Markdown stays the one source: headings become
marked lines, tables become one entry per row, emphasis and code marks are dropped, and every
paragraph is wrapped to a width Notepad shows without scrolling. A character that Shift-JIS
lacks stops the script, naming the line it is in, rather than turning into "?".

    python3 packaging/make_guide.py docs/使い方.md packaging/readme.txt
"""
import re
import sys

WIDTH = 76  # columns of a fixed-pitch font: a double-byte character takes two
KEEP = "\0"  # stands for a space the line must not break at, until the line is laid out

# Characters a line must not begin with, and ones it must not end with (Japanese line breaking).
NO_START = set("、。，．,.)）]］」』】〕〉》・ー：；:;!！?？ぁぃぅぇぉっゃゅょゎァィゥェォッャュョヮ々…%％")
NO_END = set("(（[［「『【〔〈《")


def columns(text):
    return len(text.encode("cp932", errors="replace"))


def inline(text):
    text = re.sub(r"!\[([^\]]*)\]\(([^)]*)\)", r"\1（\2）", text)
    text = re.sub(r"\[([^\]]*)\]\(([^)]*)\)", r"\1（\2）", text)
    text = re.sub(r"\*\*(.+?)\*\*", r"\1", text)
    # A code span (a file name, a registry key) is never broken at its spaces.
    return re.sub(r"`([^`]*)`", lambda m: m.group(1).replace(" ", KEEP), text)


def wrap(first, rest, text):
    """Lines of at most WIDTH columns: first and rest are the prefixes of the first and the
    following lines. Breaks fall between double-byte characters or at spaces, never inside a
    run of half-width letters and digits; a closing mark that does not fit takes the character
    before it down to the next line rather than start a line or stick out past the width."""
    lines, line, empty = [], first, True
    for token in re.findall(r"[!-~\0]+| +|[^!-~ \0]", text):
        if empty or token.isspace() or columns(line + token) <= WIDTH:
            line, empty = line + token, False
            continue
        carry = ""
        # What goes down: the last word or character when a closing mark follows, and any
        # opening mark the line would otherwise end with.
        while len(line) > len(rest) and ((token[0] in NO_START and not carry) or line[-1] in NO_END):
            last = re.search(r"([!-~\0]+|[^!-~ \0])$", line)
            if last is None or len(line) - len(last.group(1)) <= len(rest):
                break
            line, carry = line[: -len(last.group(1))], last.group(1) + carry
        lines.append(line.rstrip())
        line = rest + carry + token
    lines.append(line.rstrip())
    return lines


def join(text, more):
    """A paragraph's source lines joined: a space only between two half-width words."""
    ascii_edge = text[-1:].isascii() and more[:1].isascii()
    return text + (" " if ascii_edge and text and more else "") + more


def table(rows):
    """One entry a row: the first cell as a bullet, the others indented below it. A row of
    dashes marks the row above it as the header, which the text leaves out."""
    out = []
    cells = [[inline(c.strip()) for c in row.strip("|").split("|")] for row in rows]
    if len(cells) > 1 and all(re.fullmatch(r":?-+:?", c) for c in cells[1]):
        cells = cells[2:]
    for row in cells:
        out.append("・" + row[0])
        for cell in row[1:]:
            out.extend(wrap("    ", "    ", cell))
    return out


def convert(markdown):
    out = []
    rows = []  # the table being gathered
    paragraph = None  # the paragraph being gathered: (first prefix, rest prefix, text)

    def flush():
        nonlocal paragraph
        if rows:
            out.extend(table(rows))
            rows.clear()
        if paragraph:
            out.extend(wrap(*paragraph))
            paragraph = None

    for raw in markdown.splitlines():
        line = raw.strip()
        heading = re.fullmatch(r"(#+) +(.*)", line)
        item = re.fullmatch(r"( *)([-*]|\d+\.) +(.*)", raw.rstrip())
        if line.startswith("|"):
            if paragraph:
                flush()
            rows.append(line)
        elif paragraph and line and not heading and not item:
            paragraph = (paragraph[0], paragraph[1], join(paragraph[2], inline(line)))
        else:
            flush()
            if not line:
                if out and out[-1] != "":
                    out.append("")
            elif heading and len(heading.group(1)) == 1:
                title = inline(heading.group(2))
                out.extend([title, "=" * columns(title)])
            elif heading:
                out.append(("■ " if len(heading.group(1)) == 2 else "□ ") + inline(heading.group(2)))
            elif item:
                indent = " " * len(item.group(1))
                mark = "・" if item.group(2) in "-*" else item.group(2) + " "
                paragraph = (indent + mark, indent + " " * columns(mark), inline(item.group(3)))
            else:
                indent = raw[: len(raw) - len(raw.lstrip())]
                paragraph = (indent, indent, inline(line))
    flush()
    while out and out[-1] == "":
        out.pop()
    return out


def guide_bytes(markdown):
    lines = convert(markdown)
    for line in lines:
        for c in line:
            try:
                c.encode("cp932")
            except UnicodeEncodeError:
                raise SystemExit(f"U+{ord(c):04X} {c!r} has no Shift-JIS code, in: {line}")
    return "".join(line.replace(KEEP, " ") + "\r\n" for line in lines).encode("cp932")


def main():
    source = sys.argv[1] if len(sys.argv) > 1 else "docs/使い方.md"
    out = sys.argv[2] if len(sys.argv) > 2 else "packaging/readme.txt"
    with open(source, encoding="utf-8") as f:
        data = guide_bytes(f.read())
    with open(out, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
