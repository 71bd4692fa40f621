"""Reads an exported workbook with openpyxl and compares it with the CSV files it came from.

usage: workbook_check.py WORKBOOK SHEET_NAME CSV_FILE [SHEET_NAME CSV_FILE ...]

Checks that the workbook has exactly these sheets in this order; that every cell holds its
field (a number field as that number, any other field as its text, an empty field as no
value); that the header row is frozen and bold, and each column at least as wide as its header.
Prints every difference and exits 1 when there is one.
"""
import csv
import io
import re
import sys

import openpyxl

NUMBER = re.compile(r"^[ \t]*[-+]?(\d+\.?\d*|\.\d+)([eE][-+]?\d+)?[ \t]*$")


def read_csv(path):
    data = open(path, "rb").read()
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError:
        text = data.decode("latin-1")
    return list(csv.reader(io.StringIO(text, newline="")))


def main(argv):
    book = openpyxl.load_workbook(argv[1])
    wanted = list(zip(argv[2::2], argv[3::2]))
    problems = []
    if book.sheetnames != [name for name, _ in wanted]:
        problems.append("sheets %r, expected %r" % (book.sheetnames, [n for n, _ in wanted]))
    for name, path in wanted:
        if name not in book.sheetnames:
            continue
        sheet = book[name]
        rows = read_csv(path)
        if sheet.freeze_panes != "A2":
            problems.append("%s: frozen at %r" % (name, sheet.freeze_panes))
        cells = {(c.row, c.column): c for row in sheet.iter_rows() for c in row}
        for r, row in enumerate(rows, 1):
            for c, field in enumerate(row, 1):
                cell = cells.get((r, c))
                value = None if cell is None else cell.value
                where = "%s!%s%d" % (name, openpyxl.utils.get_column_letter(c), r)
                if field == "":
                    ok = value is None
                elif NUMBER.match(field):
                    ok = isinstance(value, (int, float)) and float(field) == value
                else:
                    ok = value == field
                if not ok:
                    problems.append("%s: %r from field %r" % (where, value, field))
                if r == 1 and field != "":
                    if not cell.font.b:
                        problems.append("%s: header not bold" % where)
                    width = sheet.column_dimensions[openpyxl.utils.get_column_letter(c)].width
                    if width is None or width < len(field):
                        problems.append("%s: width %r for %r" % (where, width, field))
        extra = [k for k, cell in cells.items() if cell.value is not None and
                 (k[0] > len(rows) or k[1] > len(rows[k[0] - 1]))]
        if extra:
            problems.append("%s: cells beyond the file at %r" % (name, extra[:5]))
    for p in problems:
        print(p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
