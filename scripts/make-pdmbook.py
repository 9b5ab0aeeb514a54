#!/usr/bin/python3
"""Writes resources/PDMbook.xltx, the workbook template of the power-line plan and profile table.

The template holds the title, the two heading rows of the survey table, the column widths and
Chinese fonts; the program fills the data rows from row 4 on (point name in A, chainage to
cross-section right in B to J; K is left for the tower numbers, L and M are merged over the data
rows for the survey notes and remarks). Run with Debian's python3-openpyxl:

    /usr/bin/python3 scripts/make-pdmbook.py

The output is byte-for-byte reproducible: fixed document dates and fixed zip entry times.
"""
import datetime
import io
import os
import sys
import zipfile

from openpyxl import Workbook
from openpyxl.styles import Alignment, Border, Font, Side

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "resources", "PDMbook.xltx")
FIXED = datetime.datetime(2024, 1, 1, 0, 0, 0)

FONT = "宋体"
thin = Side(style="thin", color="000000")
box = Border(left=thin, right=thin, top=thin, bottom=thin)
centre = Alignment(horizontal="center", vertical="center", wrap_text=True)

# (column, heading on row 2, heading on row 3 or None when row 2 spans both, width)
COLUMNS = [
    ("A", "点名", None, 10),
    ("B", "累距(m)", None, 11),
    ("C", "间距(m)", None, 10),
    ("D", "高程(m)", None, 10),
    ("E", "地面情况", None, 14),
    ("F", "地上情况", None, 16),
    ("G", "转角", "地物", 10),
    ("H", None, "路线", 10),
    ("I", "横断面", "左", 9),
    ("J", None, "右", 9),
    ("K", "杆塔号", None, 9),
    ("L", "测量说明", None, 12),
    ("M", "备注", None, 12),
]


def build():
    wb = Workbook()
    ws = wb.active
    ws.title = "平断面成果表"

    ws.merge_cells("A1:M1")
    ws["A1"] = "电力线路平断面测量成果表"
    ws["A1"].font = Font(name=FONT, size=16, bold=True)
    ws["A1"].alignment = Alignment(horizontal="center", vertical="center")
    ws.row_dimensions[1].height = 32
    ws.row_dimensions[2].height = 20
    ws.row_dimensions[3].height = 20

    heading = Font(name=FONT, size=11, bold=True)
    body = Font(name=FONT, size=10)
    for letter, top, bottom, width in COLUMNS:
        ws.column_dimensions[letter].width = width
        # The style of the column is the style of the cells the program adds in it.
        ws.column_dimensions[letter].font = body
        ws.column_dimensions[letter].alignment = centre
        for row in (2, 3):
            cell = ws[f"{letter}{row}"]
            cell.font = heading
            cell.alignment = centre
            cell.border = box
        if top is not None:
            ws[f"{letter}2"] = top
        if bottom is not None:
            ws[f"{letter}3"] = bottom
        elif top is not None:
            ws.merge_cells(f"{letter}2:{letter}3")
    ws.merge_cells("G2:H2")
    ws.merge_cells("I2:J2")

    ws.freeze_panes = "A4"
    ws.print_title_rows = "1:3"
    ws.page_setup.orientation = "landscape"
    ws.page_setup.paperSize = ws.PAPERSIZE_A4
    ws.page_setup.fitToWidth = 1
    ws.page_setup.fitToHeight = 0
    ws.sheet_properties.pageSetUpPr.fitToPage = True
    ws.print_options.horizontalCentered = True

    wb.template = True
    wb.properties.creator = "Quorvil"
    wb.properties.title = "电力线路平断面测量成果表"
    wb.properties.created = FIXED
    wb.properties.modified = FIXED
    buffer = io.BytesIO()
    wb.save(buffer)
    return buffer.getvalue()


def reproducible(data):
    """The same package with fixed entry times, so that every run gives the same bytes."""
    out = io.BytesIO()
    with zipfile.ZipFile(io.BytesIO(data)) as src, zipfile.ZipFile(out, "w", zipfile.ZIP_DEFLATED) as dst:
        for info in src.infolist():
            entry = zipfile.ZipInfo(info.filename, date_time=FIXED.timetuple()[:6])
            entry.compress_type = zipfile.ZIP_DEFLATED
            entry.external_attr = 0o644 << 16
            dst.writestr(entry, src.read(info.filename))
    return out.getvalue()


def main():
    data = reproducible(build())
    path = sys.argv[1] if len(sys.argv) > 1 else OUT
    with open(path, "wb") as f:
        f.write(data)
    print(path)


if __name__ == "__main__":
    main()
