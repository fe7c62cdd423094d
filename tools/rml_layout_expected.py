#!/usr/bin/env python3
"""Writes the browser's layout of each layout test document next to it.

For every tests/rml/layout/*.rml (or the files named on the command line), the document is
turned into HTML, rendered by headless Chromium at 800 x 600, and the border box
(getBoundingClientRect) of every element with an id is written to NAME.boxes, one
"id x y width height" line each. The library's layout test compares its own boxes with these
within 1 px, so CI needs no browser; run this script again after changing a document.

Chromium's own defaults that the library does not share are reset in the page (table border
spacing and cell padding); everything else comes from the documents, which state display and
box-sizing explicitly.

Needs Debian's chromium package: apt-get install chromium
"""

import html
import json
import pathlib
import re
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ElementTree

ROOT = pathlib.Path(__file__).resolve().parent.parent
LAYOUT_DIR = ROOT / "tests" / "rml" / "layout"
RESET = "table { border-spacing: 0; } td, th { padding: 0; }"
PROBE = """
<script>
window.addEventListener('load', () => {
  const boxes = [];
  for (const element of document.querySelectorAll('[id]')) {
    if (element.id === '__boxes') continue;
    const r = element.getBoundingClientRect();
    boxes.push([element.id, r.x, r.y, r.width, r.height]);
  }
  const out = document.createElement('pre');
  out.id = '__boxes';
  out.textContent = JSON.stringify(boxes);
  document.body.appendChild(out);
});
</script>
"""
VOID_TAGS = {"img", "br", "input", "link"}


def to_html(node):
    """Serialises an RML element as HTML: explicit end tags for every element that is not void."""
    tag = node.tag
    if tag == "rml":
        tag = "html"
    attributes = "".join(f' {name}="{html.escape(value)}"' for name, value in node.attrib.items())
    inner = html.escape(node.text or "") if tag not in ("style",) else (node.text or "")
    for child in node:
        inner += to_html(child) + html.escape(child.tail or "")
    if tag in VOID_TAGS:
        return f"<{tag}{attributes}>"
    if tag == "head":
        inner = f"<meta charset='utf-8'><style>{RESET}</style>" + inner
    if tag == "body":
        inner += PROBE
    return f"<{tag}{attributes}>{inner}</{tag}>"


def browser_boxes(document):
    root = ElementTree.parse(document).getroot()
    page = "<!DOCTYPE html>\n" + to_html(root)
    with tempfile.TemporaryDirectory() as folder:
        path = pathlib.Path(folder) / "page.html"
        path.write_text(page, encoding="utf-8")
        result = subprocess.run(
            ["chromium", "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
             "--window-size=800,600", "--virtual-time-budget=2000", "--dump-dom", path.as_uri()],
            check=True, capture_output=True, text=True, timeout=120)
    found = re.search(r'<pre id="__boxes">(.*?)</pre>', result.stdout, re.S)
    if not found:
        raise RuntimeError(f"{document}: the browser reported no boxes")
    return json.loads(html.unescape(found.group(1)))


def main():
    documents = [pathlib.Path(name).resolve() for name in sys.argv[1:]] or sorted(LAYOUT_DIR.glob("*.rml"))
    for document in documents:
        lines = [f"{id_} {x:g} {y:g} {w:g} {h:g}" for id_, x, y, w, h in browser_boxes(document)]
        document.with_suffix(".boxes").write_text("\n".join(lines) + "\n", encoding="utf-8")
        print(f"{document.with_suffix('.boxes').relative_to(ROOT)}: {len(lines)} boxes")


if __name__ == "__main__":
    main()
