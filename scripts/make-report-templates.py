#!/usr/bin/env python3
"""Writes the Word templates of the adjustment reports into resources/templates/.

Each template is a plain .docx: a title, the header line (two on a portrait page) with the placeholders
[工程名称] [等级] [计算者] [校核者] [日期], and table 1 whose column headings fit the tool. The row
after the headings is the data row the program turns into point blocks; the row after it
receives the summary ("辅助计算"). The project name also stands in the page header and the
people in the page footer, so that a user who restyles the template keeps them.

Run from anywhere: python3 scripts/make-report-templates.py. The output is byte-for-byte
reproducible (fixed zip timestamps), so regenerated templates only differ when this script does.
Users may edit the templates in Word, WPS or LibreOffice: the program finds table 1 and the
placeholders, never fixed positions.
"""

import os
import zipfile
from xml.sax.saxutils import escape

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "resources", "templates")

W_NS = "http://schemas.openxmlformats.org/wordprocessingml/2006/main"
R_NS = "http://schemas.openxmlformats.org/officeDocument/2006/relationships"

# A4 in twentieths of a point.
A4_SHORT, A4_LONG = 11906, 16838
MARGIN = 850  # 1.5 cm

# Column sets. Each column: (heading of the first heading row, heading of the second heading row
# or None when the first spans both, width in twips, alignment of the values). Columns that share
# a first-row heading are grouped with gridSpan.
ANGLE_COLUMNS_CONNECTING = [
    ("点名", None, 1000, "center"),
    ("观测角(左角)\n(°′″)", None, 1350, "center"),
    ("改正数\n(″)", None, 900, "right"),
    ("坐标方位角\n(°′″)", None, 1350, "center"),
    ("边长\n(m)", None, 1250, "right"),
    ("纵坐标增量ΔX", "计算值(m)", 1300, "right"),
    ("纵坐标增量ΔX", "改正数(mm)", 1050, "right"),
    ("横坐标增量ΔY", "计算值(m)", 1300, "right"),
    ("横坐标增量ΔY", "改正数(mm)", 1050, "right"),
    ("坐标(m)", "X", 1700, "right"),
    ("坐标(m)", "Y", 1800, "right"),
]

ANGLE_COLUMNS_SIDE = [c for i, c in enumerate(ANGLE_COLUMNS_CONNECTING) if i != 2]

OPEN_COLUMNS = [
    ("点名", None, 1150, "center"),
    ("观测角(左角)\n(°′″)", None, 1600, "center"),
    ("坐标方位角\n(°′″)", None, 1600, "center"),
    ("边长\n(m)", None, 1400, "right"),
    ("坐标(m)", "X", 1900, "right"),
    ("坐标(m)", "Y", 2050, "right"),
]

LEVELLING_COLUMNS = [
    ("点名", None, 1250, "center"),
    ("距离或测站数", None, 1650, "right"),
    ("观测高差(m)", None, 1700, "right"),
    ("改正数(mm)", None, 1550, "right"),
    ("改正后高差(m)", None, 1750, "right"),
    ("高程(m)", None, 1800, "right"),
]

COORDINATE_COLUMNS = [
    ("点名", None, 880, "center"),
    ("观测坐标(m)", "X", 1300, "right"),
    ("观测坐标(m)", "Y", 1400, "right"),
    ("观测坐标(m)", "H", 850, "right"),
    ("坐标方位角\n(°′″)", None, 1050, "center"),
    ("边长\n(m)", None, 900, "right"),
    ("纵坐标增量ΔX", "计算值(m)", 900, "right"),
    ("纵坐标增量ΔX", "改正数(mm)", 700, "right"),
    ("横坐标增量ΔY", "计算值(m)", 900, "right"),
    ("横坐标增量ΔY", "改正数(mm)", 700, "right"),
    ("高差ΔH", "计算值(m)", 800, "right"),
    ("高差ΔH", "改正数(mm)", 700, "right"),
    ("平差后坐标(m)", "X", 1300, "right"),
    ("平差后坐标(m)", "Y", 1400, "right"),
    ("平差后坐标(m)", "H", 850, "right"),
]

# name, title, columns, landscape, heading rows, table font half-points, summary caption or note
TEMPLATES = [
    ("DXbjfh", "附(闭)合导线坐标计算表", ANGLE_COLUMNS_CONNECTING, True, 2, 18, "辅助计算"),
    ("DXdbfh", "单边附合导线坐标计算表", ANGLE_COLUMNS_SIDE, True, 2, 18, "辅助计算"),
    ("DXwdx", "无定向导线坐标计算表", ANGLE_COLUMNS_SIDE, True, 2, 18, "辅助计算"),
    ("DXzdx", "支导线坐标计算表", OPEN_COLUMNS, False, 2, 18, None),
    ("GCLX", "水准路线高程误差配赋表", LEVELLING_COLUMNS, False, 1, 18, "辅助计算"),
    ("DXzbfh", "坐标附合导线平差计算表", COORDINATE_COLUMNS, True, 2, 16, "辅助计算"),
    ("DXzbDBfh", "坐标单边附合导线平差计算表", COORDINATE_COLUMNS, True, 2, 16, "辅助计算"),
    ("DXzbWDX", "坐标无定向导线平差计算表", COORDINATE_COLUMNS, True, 2, 16, "辅助计算"),
]

OPEN_NOTE = "说明：支导线无检核条件，坐标由观测角和边长逐点推算，未经平差。"

# The control network report: a portrait document of several captioned tables, each with one
# heading row (repeated on every page) and the data row the program turns into the table's rows.
# The program finds the tables by their order and removes those that do not apply (with the
# caption paragraph before them, of the style ReportSection).
# The field book (观测手簿): the direction method page of every station, one block of rows each
# (the station named on its first row), the measured lines and the checks.
FIELDBOOK_TITLE = "方向观测法手簿"
FIELDBOOK_SECTIONS = [
    ("水平方向与竖直角（角度写作 ddd.mmss）",
     [("测站", 650, "center"), ("测回", 450, "center"), ("照准点", 700, "center"), ("盘左", 1200, "right"),
      ("盘右", 1200, "right"), ("2C(″)", 600, "right"), ("平均读数", 1200, "right"), ("归零方向值", 1200, "right"),
      ("各测回归零方向值\n之平均值", 1200, "right"), ("指标差\n(″)", 600, "right"), ("天顶距", 1150, "right")], 16),
    ("边长与三角高程", [("测站", 800, "center"), ("照准点", 800, "center"), ("斜距S(m)", 1200, "right"),
                    ("天顶距", 1250, "right"), ("平距D(m)", 1200, "right"), ("投影面D0(m)", 1200, "right"),
                    ("高斯面Dg(m)", 1200, "right"), ("高差(m)", 1100, "right"), ("i/v(m)", 1150, "center")], 16),
    ("检核", [("测站", 1200, "center"), ("测回", 600, "center"), ("照准点", 1000, "center"), ("检核项目", 3400, "left"),
            ("数值", 1200, "right"), ("结论", 900, "center"), ("限差", 1100, "right")], 18),
]
NETWORK_TITLE = "控制网平差报告"
NETWORK_SECTIONS = [
    ("平差统计", [("项目", 2200, "center"), ("内容", 8000, "left")], 18),
    ("已知点", [("点名", 1600, "center"), ("X(m)", 2400, "right"), ("Y(m)", 2400, "right"), ("H(m)", 2000, "right"),
              ("状态", 1600, "center")], 18),
    ("平差坐标及其精度（标准误差椭圆，φ 为长半轴 E 的方位角）",
     [("点名", 1200, "center"), ("X(m)", 1500, "right"), ("Y(m)", 1500, "right"), ("σx\n(mm)", 850, "right"),
      ("σy\n(mm)", 850, "right"), ("点位中误差\n(mm)", 1100, "right"), ("E\n(mm)", 850, "right"),
      ("F\n(mm)", 850, "right"), ("φ\n(°′″)", 1100, "center")], 16),
    ("平差高程及其精度", [("点名", 2000, "center"), ("H(m)", 2600, "right"), ("σH(mm)", 2000, "right")], 18),
    ("相对误差椭圆", [("起点", 1200, "center"), ("终点", 1200, "center"), ("边长(m)", 1600, "right"),
                ("E(mm)", 1100, "right"), ("F(mm)", 1100, "right"), ("φ(°′″)", 1300, "center"),
                ("边长相对精度", 1700, "center")], 16),
    ("观测值、改正数与粗差检验（角度值 °′″ 写作 ddd.mmss，改正数与粗差的单位：角度 ″，长度 mm；"
     "|w| 大于 3.29 者为可能的粗差）",
     [("测站", 850, "center"), ("后视点", 850, "center"), ("照准点", 850, "center"), ("类型", 700, "center"),
      ("观测值\n(dms/m)", 1400, "right"), ("改正数\n(″/mm)", 950, "right"), ("平差值\n(dms/m)", 1400, "right"),
      ("多余观测\n分量 r", 750, "right"), ("w 检验", 750, "right"), ("最小可探测\n粗差(″/mm)", 1100, "right")], 16),
]

# The GNSS network report: landscape, the statistics and then the sections of the result table in
# the program's order (checks, free adjustment, constrained adjustment).
GNSS_TITLE = "GNSS 网平差报告"
GNSS_SECTIONS = [
    ("平差统计", [("项目", 3600, "center"), ("内容", 11000, "left")], 18),
    ("重复基线检验（ds ≤ 2√2σ）",
     [("基线", 2600, "center"), ("时段", 1000, "center"), ("时段", 1000, "center"), ("dX(mm)", 1400, "right"),
      ("dY(mm)", 1400, "right"), ("dZ(mm)", 1400, "right"), ("ds(mm)", 1400, "right"), ("限差(mm)", 1400, "right"),
      ("结论", 1000, "center")], 18),
    ("闭合环检验（同步环 W ≤ √n/5·σ，异步环 W ≤ 2√n·σ）",
     [("类型", 900, "center"), ("时段", 800, "center"), ("环", 3000, "left"), ("边数", 600, "right"),
      ("环长(m)", 1300, "right"), ("WX(mm)", 1000, "right"), ("WY(mm)", 1000, "right"), ("WZ(mm)", 1000, "right"),
      ("W(mm)", 1000, "right"), ("分量限差\n(mm)", 1100, "right"), ("全长限差\n(mm)", 1100, "right"),
      ("结论", 800, "center")], 16),
    ("三维无约束平差坐标及其精度",
     [("点名", 1000, "center"), ("X(m)", 1500, "right"), ("Y(m)", 1500, "right"), ("Z(m)", 1500, "right"),
      ("MX\n(mm)", 750, "right"), ("MY\n(mm)", 750, "right"), ("MZ\n(mm)", 750, "right"), ("B", 1600, "center"),
      ("L", 1600, "center"), ("H(m)", 1100, "right"), ("MN\n(mm)", 750, "right"), ("ME\n(mm)", 750, "right"),
      ("MU\n(mm)", 750, "right")], 16),
    ("基线改正数与粗差检验（|V| ≤ 3σ；|w| 大于 3.29 者为可能的粗差）",
     [("时段", 800, "center"), ("起点", 1000, "center"), ("终点", 1000, "center"), ("VX(mm)", 1000, "right"),
      ("VY(mm)", 1000, "right"), ("VZ(mm)", 1000, "right"), ("rX", 850, "right"), ("rY", 850, "right"),
      ("rZ", 850, "right"), ("wX", 850, "right"), ("wY", 850, "right"), ("wZ", 850, "right"),
      ("3σ(mm)", 1000, "right"), ("结论", 800, "center")], 16),
    ("二维约束平差坐标及其精度（标准误差椭圆，φ 为长半轴 E 的方位角；大地高取自无约束平差）",
     [("点名", 1300, "center"), ("状态", 900, "center"), ("x(m)", 1800, "right"), ("y(m)", 1800, "right"),
      ("大地高(m)", 1300, "right"), ("Mx(mm)", 1050, "right"), ("My(mm)", 1050, "right"), ("Mp(mm)", 1050, "right"), ("E(mm)", 1050, "right"),
      ("F(mm)", 1050, "right"), ("φ(°)", 1000, "right")], 18),
    ("已知点检核（无约束网相似变换到已知点的残差）",
     [("点名", 2000, "center"), ("vx(mm)", 2000, "right"), ("vy(mm)", 2000, "right"), ("v(mm)", 2000, "right"),
      ("限差(mm)", 2000, "right"), ("结论", 1500, "center")], 18),
    ("相对误差椭圆",
     [("起点", 1600, "center"), ("终点", 1600, "center"), ("S(m)", 2000, "right"), ("E(mm)", 1600, "right"),
      ("F(mm)", 1600, "right"), ("φ(°)", 1600, "right"), ("边长相对精度", 2000, "center")], 18),
]


def run(text, size=None, bold=False, font=None):
    props = ""
    if font:
        props += f'<w:rFonts w:ascii="{font[0]}" w:hAnsi="{font[0]}" w:eastAsia="{font[1]}" w:hint="eastAsia"/>'
    if bold:
        props += "<w:b/>"
    if size:
        props += f'<w:sz w:val="{size}"/><w:szCs w:val="{size}"/>'
    rpr = f"<w:rPr>{props}</w:rPr>" if props else ""
    return f'<w:r>{rpr}<w:t xml:space="preserve">{escape(text)}</w:t></w:r>'


def lines_runs(text, size, bold=False):
    parts = text.split("\n")
    out = []
    for i, part in enumerate(parts):
        if i:
            out.append(f'<w:r><w:rPr><w:sz w:val="{size}"/><w:szCs w:val="{size}"/></w:rPr><w:br/></w:r>')
        out.append(run(part, size, bold))
    return "".join(out)


def para(content, jc=None, size=None, style=None, spacing_after=0, keep_next=False):
    ppr = ""
    if style:
        ppr += f'<w:pStyle w:val="{style}"/>'
    if keep_next:
        ppr += "<w:keepNext/>"
    ppr += f'<w:spacing w:before="0" w:after="{spacing_after}"/>'
    if jc:
        ppr += f'<w:jc w:val="{jc}"/>'
    if size:
        ppr += f'<w:rPr><w:sz w:val="{size}"/><w:szCs w:val="{size}"/></w:rPr>'
    return f"<w:p><w:pPr>{ppr}</w:pPr>{content}</w:p>"


def cell(width, content, jc="center", size=18, vmerge=None, span=1, shade=False):
    tcpr = f'<w:tcW w:w="{width}" w:type="dxa"/>'
    if span > 1:
        tcpr += f'<w:gridSpan w:val="{span}"/>'
    if vmerge == "restart":
        tcpr += '<w:vMerge w:val="restart"/>'
    elif vmerge == "continue":
        tcpr += "<w:vMerge/>"
    if shade:
        tcpr += '<w:shd w:val="clear" w:color="auto" w:fill="EDEDED"/>'
    tcpr += '<w:vAlign w:val="center"/>'
    return f"<w:tc><w:tcPr>{tcpr}</w:tcPr>{para(content, jc=jc, size=size)}</w:tc>"


def heading_rows(columns, rows, size):
    """The heading rows: one row of captions, or two with grouped captions spanning columns."""
    if rows == 1:
        cells = "".join(cell(w, lines_runs(h1, size, True), "center", size, shade=True) for h1, _, w, _ in columns)
        return [cells]
    first, second = [], []
    i = 0
    while i < len(columns):
        h1, h2, w, _ = columns[i]
        if h2 is None:
            first.append(cell(w, lines_runs(h1, size, True), "center", size, vmerge="restart", shade=True))
            second.append(cell(w, "", "center", size, vmerge="continue", shade=True))
            i += 1
            continue
        j = i
        total = 0
        while j < len(columns) and columns[j][0] == h1 and columns[j][1] is not None:
            total += columns[j][2]
            second.append(cell(columns[j][2], lines_runs(columns[j][1], size, True), "center", size, shade=True))
            j += 1
        first.append(cell(total, lines_runs(h1, size, True), "center", size, span=j - i, shade=True))
        i = j
    return ["".join(first), "".join(second)]


def table(columns, heading, size, summary):
    grid = "".join(f'<w:gridCol w:w="{w}"/>' for _, _, w, _ in columns)
    total = sum(w for _, _, w, _ in columns)
    borders = "".join(
        f'<w:{side} w:val="single" w:sz="{8 if side in ("top", "left", "bottom", "right") else 4}" '
        f'w:space="0" w:color="000000"/>'
        for side in ("top", "left", "bottom", "right", "insideH", "insideV"))
    tblpr = (f'<w:tblPr><w:tblStyle w:val="ReportTable"/><w:tblW w:w="{total}" w:type="dxa"/><w:jc w:val="center"/>'
             f"<w:tblBorders>{borders}</w:tblBorders><w:tblLayout w:type=\"fixed\"/>"
             '<w:tblCellMar><w:top w:w="0" w:type="dxa"/><w:left w:w="57" w:type="dxa"/>'
             '<w:bottom w:w="0" w:type="dxa"/><w:right w:w="57" w:type="dxa"/></w:tblCellMar>'
             '<w:tblLook w:val="04A0" w:firstRow="1" w:lastRow="0" w:firstColumn="1" w:lastColumn="0" '
             'w:noHBand="0" w:noVBand="1"/></w:tblPr>')
    rows = []
    for cells in heading_rows(columns, heading, size):
        rows.append(f'<w:tr><w:trPr><w:cantSplit/><w:tblHeader/><w:trHeight w:val="400"/><w:jc w:val="center"/>'
                    f"</w:trPr>{cells}</w:tr>")
    # The data row: one empty cell per column, its alignment and font the values will take.
    data = "".join(cell(w, "", jc, size) for _, _, w, jc in columns)
    rows.append(f'<w:tr><w:trPr><w:trHeight w:val="320"/><w:jc w:val="center"/></w:trPr>{data}</w:tr>')
    # The summary row: a caption, then one cell over the remaining columns.
    first_width = columns[0][2]
    if summary:
        tail = cell(total - first_width, "", "left", size, span=len(columns) - 1)
        cells = cell(first_width, run(summary, size, True), "center", size, shade=True) + tail
    else:
        cells = cell(total, run(OPEN_NOTE, size), "left", size, span=len(columns))
    rows.append(f'<w:tr><w:trPr><w:cantSplit/><w:trHeight w:val="480"/><w:jc w:val="center"/></w:trPr>{cells}</w:tr>')
    return f"<w:tbl>{tblpr}<w:tblGrid>{grid}</w:tblGrid>{''.join(rows)}</w:tbl>"


def simple_table(columns, size):
    """A table of one heading row, repeated on every page, and one data row; the values take the
    font size of the table style ReportTable<size>."""
    grid = "".join(f'<w:gridCol w:w="{w}"/>' for _, w, _ in columns)
    total = sum(w for _, w, _ in columns)
    borders = "".join(
        f'<w:{side} w:val="single" w:sz="{8 if side in ("top", "left", "bottom", "right") else 4}" '
        f'w:space="0" w:color="000000"/>'
        for side in ("top", "left", "bottom", "right", "insideH", "insideV"))
    tblpr = (f'<w:tblPr><w:tblStyle w:val="ReportTable{size}"/><w:tblW w:w="{total}" w:type="dxa"/><w:jc w:val="center"/>'
             f"<w:tblBorders>{borders}</w:tblBorders><w:tblLayout w:type=\"fixed\"/>"
             '<w:tblCellMar><w:top w:w="0" w:type="dxa"/><w:left w:w="57" w:type="dxa"/>'
             '<w:bottom w:w="0" w:type="dxa"/><w:right w:w="57" w:type="dxa"/></w:tblCellMar>'
             '<w:tblLook w:val="04A0" w:firstRow="1" w:lastRow="0" w:firstColumn="1" w:lastColumn="0" '
             'w:noHBand="0" w:noVBand="1"/></w:tblPr>')
    heading = "".join(cell(w, lines_runs(h, size, True), "center", size, shade=True) for h, w, _ in columns)
    # Lean data cells (the font size comes from the table's style): a network report repeats this
    # row some ten thousand times.
    data = "".join(f'<w:tc><w:tcPr><w:tcW w:w="{w}" w:type="dxa"/></w:tcPr><w:p><w:pPr><w:jc w:val="{jc}"/></w:pPr></w:p></w:tc>'
                   for _, w, jc in columns)
    rows = (f'<w:tr><w:trPr><w:cantSplit/><w:tblHeader/><w:trHeight w:val="400"/><w:jc w:val="center"/></w:trPr>'
            f"{heading}</w:tr>"
            f'<w:tr><w:trPr><w:cantSplit/><w:trHeight w:val="300"/><w:jc w:val="center"/></w:trPr>{data}</w:tr>')
    return f"<w:tbl>{tblpr}<w:tblGrid>{grid}</w:tblGrid>{rows}</w:tbl>"


def network_document(title=NETWORK_TITLE, sections=NETWORK_SECTIONS, landscape=False):
    width, height = (A4_LONG, A4_SHORT) if landscape else (A4_SHORT, A4_LONG)
    orient = ' w:orient="landscape"' if landscape else ""
    lines = ["工程名称：[工程名称]　　　等级：[等级]", "计算者：[计算者]　　　校核者：[校核者]　　　日期：[日期]"]
    body = (para(run(title), jc="center", style="ReportTitle", spacing_after=120)
            + "".join(para(run(line), jc="left", style="ReportHeaderLine", spacing_after=80 if i == len(lines) - 1 else 0,
                           keep_next=True) for i, line in enumerate(lines)))
    for caption, columns, size in sections:
        body += para(run(caption), jc="left", style="ReportSection", keep_next=True)
        body += simple_table(columns, size)
    body += (para("", size=18)
             + f'<w:sectPr><w:headerReference w:type="default" r:id="rIdHeader1"/>'
               f'<w:footerReference w:type="default" r:id="rIdFooter1"/>'
               f'<w:pgSz w:w="{width}" w:h="{height}"{orient}/>'
               f'<w:pgMar w:top="{MARGIN}" w:right="{MARGIN}" w:bottom="{MARGIN}" w:left="{MARGIN}" '
               f'w:header="425" w:footer="425" w:gutter="0"/><w:cols w:space="425"/>'
               f'<w:docGrid w:linePitch="312"/></w:sectPr>')
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<w:document xmlns:w="{W_NS}" xmlns:r="{R_NS}"><w:body>{body}</w:body></w:document>')


# The caption paragraphs of the network report's tables.
SECTION_STYLE = ('<w:style w:type="paragraph" w:customStyle="1" w:styleId="ReportSection"><w:name w:val="Report Section"/>'
                 '<w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/>'
                 '<w:spacing w:before="200" w:after="80"/></w:pPr>'
                 '<w:rPr><w:rFonts w:ascii="Times New Roman" w:hAnsi="Times New Roman" w:eastAsia="黑体" '
                 'w:cs="Times New Roman"/><w:b/><w:sz w:val="22"/><w:szCs w:val="22"/></w:rPr></w:style>'
                 + "".join(f'<w:style w:type="table" w:customStyle="1" w:styleId="ReportTable{size}">'
                           f'<w:name w:val="Report Table {size // 2}pt"/><w:basedOn w:val="ReportTable"/>'
                           f'<w:pPr><w:spacing w:before="0" w:after="0"/></w:pPr>'
                           f'<w:rPr><w:sz w:val="{size}"/><w:szCs w:val="{size}"/></w:rPr></w:style>' for size in (16, 18)))


def document(title, columns, landscape, heading, size, summary):
    width, height = (A4_LONG, A4_SHORT) if landscape else (A4_SHORT, A4_LONG)
    orient = ' w:orient="landscape"' if landscape else ""
    # One header line across a landscape page; two on a portrait page, so that long names fit.
    project = "工程名称：[工程名称]　　　等级：[等级]"
    people = "计算者：[计算者]　　　校核者：[校核者]　　　日期：[日期]"
    lines = [project + "　　　" + people] if landscape else [project, people]
    body = (para(run(title), jc="center", style="ReportTitle", spacing_after=120)
            + "".join(para(run(line), jc="left", style="ReportHeaderLine", spacing_after=80 if i == len(lines) - 1 else 0,
                           keep_next=True) for i, line in enumerate(lines))
            + table(columns, heading, size, summary)
            + para("", size=size)
            + f'<w:sectPr><w:headerReference w:type="default" r:id="rIdHeader1"/>'
              f'<w:footerReference w:type="default" r:id="rIdFooter1"/>'
              f'<w:pgSz w:w="{width}" w:h="{height}"{orient}/>'
              f'<w:pgMar w:top="{MARGIN}" w:right="{MARGIN}" w:bottom="{MARGIN}" w:left="{MARGIN}" '
              f'w:header="425" w:footer="425" w:gutter="0"/><w:cols w:space="425"/>'
              f'<w:docGrid w:linePitch="312"/></w:sectPr>')
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<w:document xmlns:w="{W_NS}" xmlns:r="{R_NS}"><w:body>{body}</w:body></w:document>')


def header_part():
    content = para(run("[工程名称]"), jc="right", style="Header")
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<w:hdr xmlns:w="{W_NS}" xmlns:r="{R_NS}">{content}</w:hdr>')


def footer_part():
    field = ('<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> PAGE </w:instrText>'
             '</w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>1</w:t></w:r>'
             '<w:r><w:fldChar w:fldCharType="end"/></w:r>')
    pages = ('<w:r><w:fldChar w:fldCharType="begin"/></w:r><w:r><w:instrText xml:space="preserve"> NUMPAGES </w:instrText>'
             '</w:r><w:r><w:fldChar w:fldCharType="separate"/></w:r><w:r><w:t>1</w:t></w:r>'
             '<w:r><w:fldChar w:fldCharType="end"/></w:r>')
    content = para(run("计算者：[计算者]　　校核者：[校核者]　　第 ") + field + run(" 页 共 ") + pages + run(" 页"),
                   jc="center", style="Footer")
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<w:ftr xmlns:w="{W_NS}" xmlns:r="{R_NS}">{content}</w:ftr>')


def styles(extra=""):
    latin, east = "Times New Roman", "宋体"
    fonts = f'<w:rFonts w:ascii="{latin}" w:hAnsi="{latin}" w:eastAsia="{east}" w:cs="{latin}"/>'
    title_fonts = f'<w:rFonts w:ascii="{latin}" w:hAnsi="{latin}" w:eastAsia="黑体" w:cs="{latin}"/>'
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<w:styles xmlns:w="{W_NS}">'
            f'<w:docDefaults><w:rPrDefault><w:rPr>{fonts}<w:kern w:val="2"/><w:sz w:val="21"/><w:szCs w:val="21"/>'
            f'<w:lang w:val="en-US" w:eastAsia="zh-CN" w:bidi="ar-SA"/></w:rPr></w:rPrDefault>'
            f'<w:pPrDefault><w:pPr><w:spacing w:after="0" w:line="240" w:lineRule="auto"/></w:pPr></w:pPrDefault>'
            f'</w:docDefaults>'
            f'<w:style w:type="paragraph" w:default="1" w:styleId="Normal"><w:name w:val="Normal"/><w:qFormat/>'
            f'<w:pPr><w:widowControl w:val="0"/><w:jc w:val="both"/></w:pPr><w:rPr>{fonts}</w:rPr></w:style>'
            f'<w:style w:type="paragraph" w:customStyle="1" w:styleId="ReportTitle"><w:name w:val="Report Title"/>'
            f'<w:basedOn w:val="Normal"/><w:next w:val="Normal"/><w:qFormat/><w:pPr><w:keepNext/><w:jc w:val="center"/></w:pPr>'
            f'<w:rPr>{title_fonts}<w:b/><w:sz w:val="32"/><w:szCs w:val="32"/></w:rPr></w:style>'
            f'<w:style w:type="paragraph" w:customStyle="1" w:styleId="ReportHeaderLine"><w:name w:val="Report Header Line"/>'
            f'<w:basedOn w:val="Normal"/><w:qFormat/><w:rPr><w:sz w:val="21"/><w:szCs w:val="21"/></w:rPr></w:style>'
            f'<w:style w:type="paragraph" w:styleId="Header"><w:name w:val="header"/><w:basedOn w:val="Normal"/>'
            f'<w:pPr><w:jc w:val="right"/></w:pPr><w:rPr><w:sz w:val="18"/><w:szCs w:val="18"/></w:rPr></w:style>'
            f'<w:style w:type="paragraph" w:styleId="Footer"><w:name w:val="footer"/><w:basedOn w:val="Normal"/>'
            f'<w:pPr><w:jc w:val="center"/></w:pPr><w:rPr><w:sz w:val="18"/><w:szCs w:val="18"/></w:rPr></w:style>'
            f'<w:style w:type="table" w:default="1" w:styleId="TableNormal"><w:name w:val="Normal Table"/>'
            f'<w:tblPr><w:tblInd w:w="0" w:type="dxa"/><w:tblCellMar><w:top w:w="0" w:type="dxa"/>'
            f'<w:left w:w="108" w:type="dxa"/><w:bottom w:w="0" w:type="dxa"/><w:right w:w="108" w:type="dxa"/>'
            f'</w:tblCellMar></w:tblPr></w:style>'
            f'<w:style w:type="table" w:customStyle="1" w:styleId="ReportTable"><w:name w:val="Report Table"/>'
            f'<w:basedOn w:val="TableNormal"/><w:rPr>{fonts}</w:rPr></w:style>'
            f'{extra}</w:styles>')


def settings():
    return (f'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            f'<w:settings xmlns:w="{W_NS}"><w:defaultTabStop w:val="420"/>'
            f'<w:characterSpacingControl w:val="compressPunctuation"/>'
            f'<w:compat><w:compatSetting w:name="compatibilityMode" w:uri="http://schemas.microsoft.com/office/word" '
            f'w:val="15"/></w:compat></w:settings>')


CONTENT_TYPES = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types">'
    '<Default Extension="rels" ContentType="application/vnd.openxmlformats-package.relationships+xml"/>'
    '<Default Extension="xml" ContentType="application/xml"/>'
    '<Override PartName="/word/document.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"/>'
    '<Override PartName="/word/styles.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml"/>'
    '<Override PartName="/word/settings.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml"/>'
    '<Override PartName="/word/header1.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.header+xml"/>'
    '<Override PartName="/word/footer1.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.wordprocessingml.footer+xml"/>'
    '<Override PartName="/docProps/core.xml" ContentType="application/vnd.openxmlformats-package.core-properties+xml"/>'
    '<Override PartName="/docProps/app.xml" '
    'ContentType="application/vnd.openxmlformats-officedocument.extended-properties+xml"/>'
    '</Types>')

PACKAGE_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" '
    'Target="word/document.xml"/>'
    '<Relationship Id="rId2" Type="http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties" '
    'Target="docProps/core.xml"/>'
    '<Relationship Id="rId3" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties" '
    'Target="docProps/app.xml"/>'
    '</Relationships>')

DOCUMENT_RELS = (
    '<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
    '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
    '<Relationship Id="rIdStyles" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles" '
    'Target="styles.xml"/>'
    '<Relationship Id="rIdSettings" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/settings" '
    'Target="settings.xml"/>'
    '<Relationship Id="rIdHeader1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/header" '
    'Target="header1.xml"/>'
    '<Relationship Id="rIdFooter1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/footer" '
    'Target="footer1.xml"/>'
    '</Relationships>')


def core(title):
    return ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
            '<cp:coreProperties xmlns:cp="http://schemas.openxmlformats.org/package/2006/metadata/core-properties" '
            'xmlns:dc="http://purl.org/dc/elements/1.1/" xmlns:dcterms="http://purl.org/dc/terms/" '
            'xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">'
            f'<dc:title>{escape(title)}</dc:title><dc:creator>Quorvil</dc:creator></cp:coreProperties>')


APP = ('<?xml version="1.0" encoding="UTF-8" standalone="yes"?>\n'
       '<Properties xmlns="http://schemas.openxmlformats.org/officeDocument/2006/extended-properties">'
       '<Application>Quorvil</Application></Properties>')


def write(name, title, columns, landscape, heading, size, summary):
    write_parts(name, title, document(title, columns, landscape, heading, size, summary), styles())


def write_parts(name, title, document_xml, styles_xml):
    path = os.path.join(OUT, name + ".docx")
    parts = [
        ("[Content_Types].xml", CONTENT_TYPES),
        ("_rels/.rels", PACKAGE_RELS),
        ("word/document.xml", document_xml),
        ("word/_rels/document.xml.rels", DOCUMENT_RELS),
        ("word/styles.xml", styles_xml),
        ("word/settings.xml", settings()),
        ("word/header1.xml", header_part()),
        ("word/footer1.xml", footer_part()),
        ("docProps/core.xml", core(title)),
        ("docProps/app.xml", APP),
    ]
    with zipfile.ZipFile(path, "w", zipfile.ZIP_DEFLATED) as z:
        for part, text in parts:
            info = zipfile.ZipInfo(part, date_time=(2020, 1, 1, 0, 0, 0))
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, text.encode("utf-8"))
    print(path)


def main():
    os.makedirs(OUT, exist_ok=True)
    for template in TEMPLATES:
        write(*template)
    write_parts("KZWpc", NETWORK_TITLE, network_document(), styles(SECTION_STYLE))
    write_parts("GCSB", FIELDBOOK_TITLE, network_document(FIELDBOOK_TITLE, FIELDBOOK_SECTIONS), styles(SECTION_STYLE))
    write_parts("GNSS", GNSS_TITLE, network_document(GNSS_TITLE, GNSS_SECTIONS, landscape=True), styles(SECTION_STYLE))


if __name__ == "__main__":
    main()
