#!/usr/bin/env python3
"""The manual page converter (md2man.py): what a page holds comes out of groff
as written, every page of docs/man converts and renders without a warning,
and what the converter cannot place stops it."""
import pathlib
import shutil
import subprocess
import sys
import unittest

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE))
import md2man  # noqa: E402

GROFF = shutil.which("groff")

PAGE = """# rlx-demo(1) -- a page with the awkward parts

## SYNOPSIS

`rlx-demo` [`--device` *SUBSYSTEM/DEVICE*] *MESSAGE*

## DESCRIPTION

A key is written `HKLM\\SOFTWARE\\LonWorks` and a message `"00 01 48 00"`.
.a line that starts with a dot, and one with 'an apostrophe
'quoted' at its start stay text; so does a **strong** word and RLX_Plug_x.

- a bullet item
  that goes on
- a second one

`--count` *N*
: sends N times
: and ends with the summary.

```
rlx-reg add 'HKLM\\SOFTWARE' /v x /f
.not a request
```
"""


def render(roff):
    """The page as groff sets it in plain text, and its warnings."""
    done = subprocess.run([GROFF, "-man", "-ww", "-Tutf8", "-P-cbou"], input=roff, capture_output=True,
                          text=True, check=True)
    return done.stdout, done.stderr


class Converter(unittest.TestCase):
    def test_roff_escapes_what_groff_would_read_otherwise(self):
        roff = md2man.convert(PAGE, "9.9")
        lines = roff.splitlines()
        self.assertEqual(lines[0], '.TH "RLX-DEMO" "1" "" "RLX_Plug 9.9" "RLX_Plug Manual"')
        self.assertIn("rlx\\-demo \\- a page with the awkward parts", lines)
        # Options keep their minus signs and a message its blanks.
        self.assertIn("[\\fB\\-\\-device\\fR \\fISUBSYSTEM/DEVICE\\fR]", roff)
        self.assertIn('\\fB"00\\ 01\\ 48\\ 00"\\fR', roff)
        self.assertIn("\\fBHKLM\\eSOFTWARE\\eLonWorks\\fR", roff)
        # No text line can be read as a request.
        for line in lines:
            if line.startswith((".", "'")):
                self.assertRegex(line, r"^\.(TH|nh|SH|SS|PP|TP|IP|RS|RE|nf|fi)\b", line)
        self.assertIn("RLX_Plug_x", roff)  # underscores inside a word are no emphasis

    @unittest.skipUnless(GROFF, "groff is not installed")
    def test_groff_sets_the_text_as_written(self):
        text, warnings = render(md2man.convert(PAGE, "9.9"))
        self.assertEqual(warnings, "")
        flat = " ".join(text.split())
        for expected in ["rlx-demo [--device SUBSYSTEM/DEVICE] MESSAGE",
                         'A key is written HKLM\\SOFTWARE\\LonWorks and a message "00 01 48 00".',
                         ".a line that starts with a dot, and one with 'an apostrophe 'quoted' at its start",
                         "a bullet item that goes on", "--count N sends N times and ends with the summary.",
                         "rlx-reg add 'HKLM\\SOFTWARE' /v x /f", ".not a request"]:
            self.assertIn(expected, flat)

    def test_every_page_converts_and_renders_cleanly(self):
        pages = sorted((HERE.parent / "docs" / "man").glob("*.1.md"))
        self.assertTrue(pages)
        for page in pages:
            with self.subTest(page=page.name):
                roff = md2man.convert(page.read_text(encoding="utf-8"), "9.9", str(page))
                self.assertTrue(roff.startswith(f'.TH "{page.name[:-5].upper()}" "1"'))
                if GROFF:
                    self.assertEqual(render(roff)[1], "")

    def test_what_cannot_be_placed_stops_the_conversion(self):
        for bad in ["no title\n", "# x(1) -- t\n\n```\nnever closed\n", "# x(1) -- t\n\n: text without a term\n",
                    "# x(1) -- t\n\n    indented text\n", "# x(1) -- t\n# a second title\n"]:
            with self.subTest(page=bad):
                with self.assertRaises(md2man.PageError):
                    md2man.convert(bad, "9.9")


if __name__ == "__main__":
    unittest.main()
