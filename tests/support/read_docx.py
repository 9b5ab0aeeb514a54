#!/usr/bin/python3
"""Reads a .docx report with python-docx and prints what the tests compare, as JSON:
the paragraphs of the body, headers and footers, and table 1 cell by cell as Word addresses it
(each row lists its cells; a cell has its text, its vertical merge and its grid span), with the
height and height rule of each row."""

import json
import sys

import docx
from docx.table import _Cell


def main(path):
    document = docx.Document(path)
    out = {"body": [p.text for p in document.paragraphs], "headers": [], "footers": [], "tables": len(document.tables)}
    for section in document.sections:
        out["headers"] += [p.text for p in section.header.paragraphs]
        out["footers"] += [p.text for p in section.footer.paragraphs]
    table = document.tables[0]
    rows = []
    for row in table.rows:
        tr = row._tr
        cells = []
        for tc in tr.tc_lst:
            cells.append({"text": _Cell(tc, table).text, "vmerge": tc.vMerge, "span": tc.grid_span})
        height = row.height.pt if row.height is not None else None
        rule = str(row.height_rule).split(".")[-1].split(" ")[0] if row.height_rule is not None else None
        rows.append({"cells": cells, "height": height, "rule": rule})
    out["table"] = rows
    json.dump(out, sys.stdout, ensure_ascii=False)


if __name__ == "__main__":
    main(sys.argv[1])
