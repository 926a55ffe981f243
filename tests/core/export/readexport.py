"""Reads an exported file with a reader that shares no code with the program, and prints what it holds as JSON.

    readexport.py csv FILE SEPARATOR    {"rows": [[field, ...], ...]}
    readexport.py xlsx FILE             {"kind", "rows", "formats", "widths"}
    readexport.py xls FILE              the same

"kind" is "zip" (Office Open XML) or "compound" (Excel 97-2003) by the file's first bytes; "formats" the number
formats of the filled cells; "widths" the widths of the columns that have one, by column number from 1, as a
spreadsheet program shows them (in characters of the default font, digits seven pixels wide with five pixels of
margin). Trailing empty cells of a row are left out. An XLSX text has its "_xHHHH_" escapes (a carriage return is
written as "_x000D_", which XML would not keep) decoded, as a spreadsheet program decodes them; openpyxl leaves them.
"""
import csv
import json
import sys


def shown_width(characters_with_margin):
    return round((characters_with_margin * 7 - 5) / 7, 2)


def kind_of(path):
    with open(path, "rb") as f:
        start = f.read(8)
    if start.startswith(b"PK"):
        return "zip"
    if start == b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1":
        return "compound"
    return "unknown"


def trimmed(row):
    while row and row[-1] == "":
        row.pop()
    return row


def read_csv(path, separator):
    with open(path, encoding="utf-8-sig", newline="") as f:
        return {"rows": [row for row in csv.reader(f, delimiter=separator)]}


def read_xlsx(path):
    import openpyxl
    from openpyxl.utils.escape import unescape

    book = openpyxl.load_workbook(path)
    sheet = book.worksheets[0]
    rows, formats = [], set()
    for row in sheet.iter_rows():
        values = []
        for cell in row:
            value = unescape(cell.value) if isinstance(cell.value, str) else cell.value
            values.append("" if value is None else value)
            if cell.value is not None:
                formats.add(cell.number_format)
        rows.append(trimmed(values))
    if rows == [[]] and sheet.max_row == 1:
        rows = []
    widths = {}
    for dimension in sheet.column_dimensions.values():
        if dimension.customWidth:
            for column in range(dimension.min, dimension.max + 1):
                widths[column] = shown_width(dimension.width)
    return {"kind": kind_of(path), "rows": rows, "formats": sorted(formats), "widths": widths}


def read_xls(path):
    import xlrd

    book = xlrd.open_workbook(path, formatting_info=True)
    sheet = book.sheet_by_index(0)
    rows, formats = [], set()
    for r in range(sheet.nrows):
        values = []
        for c in range(sheet.row_len(r)):
            cell = sheet.cell(r, c)
            values.append(cell.value)
            if cell.ctype != xlrd.XL_CELL_EMPTY:
                xf = book.xf_list[cell.xf_index]
                formats.add(book.format_map[xf.format_key].format_str)
        rows.append(trimmed(values))
    widths = {c + 1: shown_width(info.width / 256) for c, info in sheet.colinfo_map.items()}
    return {"kind": kind_of(path), "rows": rows, "formats": sorted(formats), "widths": widths}


def main():
    what, path = sys.argv[1], sys.argv[2]
    if what == "csv":
        result = read_csv(path, sys.argv[3])
    elif what == "xlsx":
        result = read_xlsx(path)
    else:
        result = read_xls(path)
    json.dump(result, sys.stdout, ensure_ascii=True)


main()
