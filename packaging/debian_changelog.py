#!/usr/bin/env python3
"""Turns CHANGELOG.md (Keep a Changelog form) into a Debian changelog.

    debian_changelog.py CHANGELOG.md OUTPUT PACKAGE "NAME <MAIL>"

Every released version ("## [1.2.9] - 2026-12-09") becomes one entry, newest
first as in the Markdown file; the "Unreleased" section is left out. A
version's paragraphs and list items become items, prefixed with their
section ("Added", "Fixed", ...), wrapped to fit 80 columns. Markup the
Debian reader would show as it stands (backticks, link brackets) is dropped.
"""

import datetime
import email.utils
import re
import sys
import textwrap

VERSION = re.compile(r"^## \[([^\]]+)\](?: - (\d{4}-\d{2}-\d{2}))?\s*$")
SECTION = re.compile(r"^### (.+?)\s*$")
LINK_DEFINITION = re.compile(r"^\[[^\]]+\]:\s")


def plain(text):
    text = re.sub(r"\[([^\]]+)\]\([^)]*\)", r"\1", text)
    return text.replace("`", "").strip()


def parse(markdown):
    """[(version, date, [item text, ...])] for every released version."""
    releases = []
    current = None
    section = None
    item = None

    def flush():
        nonlocal item
        if current is not None and item:
            text = plain(" ".join(item))
            first = text.split(" ", 1)[0]
            if section and first[1:] == first[1:].lower():
                # "Added: a Debian package", but "Added: TLVX ..."
                text = text[0].lower() + text[1:]
            current[2].append(f"{section}: {text}" if section else text)
        item = None

    for line in markdown.splitlines():
        version = VERSION.match(line)
        if version or line.startswith("## "):
            flush()
            current = None
            section = None
            if version and version.group(1).lower() != "unreleased":
                if not version.group(2):
                    raise SystemExit(f"version {version.group(1)} has no date")
                current = (version.group(1), version.group(2), [])
                releases.append(current)
            continue
        if current is None:
            continue
        heading = SECTION.match(line)
        if heading:
            flush()
            section = heading.group(1)
        elif LINK_DEFINITION.match(line) or not line.strip():
            flush()
        elif line.startswith("- ") or line.startswith("* "):
            flush()
            item = [line[2:].strip()]
        elif item is not None:
            item.append(line.strip())
        else:
            item = [line.strip()]
    flush()
    return releases


def debian_changelog(releases, package, maintainer):
    entries = []
    for version, date, items in releases:
        day = datetime.datetime.strptime(date, "%Y-%m-%d").replace(
            tzinfo=datetime.timezone.utc)
        lines = [f"{package} ({version}) unstable; urgency=medium", ""]
        for text in items or ["Released."]:
            lines += textwrap.wrap(text, width=78, initial_indent="  * ",
                                   subsequent_indent="    ",
                                   break_long_words=False,
                                   break_on_hyphens=False)
        stamp = email.utils.format_datetime(day)
        lines += ["", f" -- {maintainer}  {stamp}"]
        entries.append("\n".join(lines) + "\n")
    return "\n".join(entries)


def main(argv):
    if len(argv) != 5:
        raise SystemExit(__doc__)
    with open(argv[1], encoding="utf-8") as source:
        releases = parse(source.read())
    if not releases:
        raise SystemExit(f"{argv[1]}: no released version")
    with open(argv[2], "w", encoding="utf-8") as out:
        out.write(debian_changelog(releases, argv[3], argv[4]))


if __name__ == "__main__":
    main(sys.argv)
