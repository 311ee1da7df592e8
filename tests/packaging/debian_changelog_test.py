"""The Debian changelog made from CHANGELOG.md: released versions only,
newest first, every item under its section, lines that fit 80 columns."""

import importlib.util
import os
import sys
import unittest

SOURCE = sys.argv.pop(1) if len(sys.argv) > 1 else "."
found = importlib.util.spec_from_file_location(
    "debian_changelog", os.path.join(SOURCE, "packaging", "debian_changelog.py"))
debian_changelog = importlib.util.module_from_spec(found)
found.loader.exec_module(debian_changelog)

MAINTAINER = "Tallyvex <maintainers@tallyvex.org>"

MARKDOWN = """# Changelog

Some words about the form.

## [Unreleased]

### Added

- Something not released yet.

## [2.0.1] - 2027-03-01

### Fixed

- `tlvx-count` names the [folder](https://example.org/) it could not make,
  and why.

## [2.0.0] - 2027-01-31

A long paragraph that goes on and on about what the release holds, long enough that it has to be wrapped over several lines of the Debian changelog.

### Changed

- Working copies lie in the cache folder.
- TLVX answers --help.

[2.0.0]: https://example.org/2.0.0
"""


class DebianChangelogTest(unittest.TestCase):
    def test_released_versions_newest_first_with_their_items(self):
        releases = debian_changelog.parse(MARKDOWN)
        self.assertEqual([(v, d) for v, d, _ in releases],
                         [("2.0.1", "2027-03-01"), ("2.0.0", "2027-01-31")])
        cases = [
            (0, ["Fixed: tlvx-count names the folder it could not make, and why."]),
            (1, ["A long paragraph that goes on and on about what the release holds, "
                 "long enough that it has to be wrapped over several lines of the "
                 "Debian changelog.",
                 "Changed: working copies lie in the cache folder.",
                 "Changed: TLVX answers --help."]),
        ]
        for index, items in cases:
            self.assertEqual(releases[index][2], items)

    def test_entries_in_debian_form_within_80_columns(self):
        text = debian_changelog.debian_changelog(
            debian_changelog.parse(MARKDOWN), "tallyvex", MAINTAINER)
        lines = text.splitlines()
        self.assertEqual(lines[0], "tallyvex (2.0.1) unstable; urgency=medium")
        self.assertIn(" -- " + MAINTAINER + "  Mon, 01 Mar 2027 00:00:00 +0000", lines)
        self.assertIn(" -- " + MAINTAINER + "  Sun, 31 Jan 2027 00:00:00 +0000", lines)
        for line in lines:
            self.assertLess(len(line), 80, line)
            self.assertNotIn("`", line)
        # Continuation lines are indented under the item's text.
        start = lines.index("  * A long paragraph that goes on and on about what the "
                            "release holds, long")
        self.assertTrue(lines[start + 1].startswith("    enough"))

    def test_a_version_without_a_date_is_refused(self):
        with self.assertRaises(SystemExit):
            debian_changelog.parse("## [1.0.0]\n\n- An item.\n")

    def test_the_projects_own_changelog_has_a_release(self):
        with open(os.path.join(SOURCE, "CHANGELOG.md"), encoding="utf-8") as source:
            releases = debian_changelog.parse(source.read())
        self.assertTrue(releases)
        self.assertTrue(all(items for _, _, items in releases))


if __name__ == "__main__":
    unittest.main()
