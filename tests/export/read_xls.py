"""Prints what xlrd reads from an .xls file, one line per cell, so that the
export tests can compare it with what they wrote."""
import sys

import xlrd

book = xlrd.open_workbook(sys.argv[1])
print("sheets", book.nsheets)
for sheet in book.sheets():
    print("sheet", sheet.name, sheet.nrows, sheet.ncols)
    for r in range(sheet.nrows):
        for c in range(sheet.ncols):
            cell = sheet.cell(r, c)
            if cell.ctype == xlrd.XL_CELL_EMPTY:
                print(r, c, "empty")
            elif cell.ctype == xlrd.XL_CELL_TEXT:
                print(r, c, "text", cell.value.encode("unicode_escape").decode("ascii"))
            elif cell.ctype == xlrd.XL_CELL_NUMBER:
                print(r, c, "number", repr(cell.value))
            else:
                print(r, c, "other", cell.ctype, cell.value)
