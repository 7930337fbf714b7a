#!/usr/bin/python3
# Times a full recalculation of a spreadsheet in headless LibreOffice Calc,
# for bench_spreadsheet. Usage: calc_recalc.py CELLS RESULT PROFILE_DIR.
# CELLS holds one sheet row per line, cells separated by tabs (numbers, or
# formulas starting with "="). The script loads them into a new Calc
# document, recalculates it once and writes every cell as it shows to
# RESULT (tab-separated), then prints "ready". Each "calc" line on standard
# input is answered with the seconds one calculateAll() took, each "set ROW
# COL VALUE" line (0-based) with the seconds of setting that cell and the
# recalculation of what depends on it (calculate()); end of input closes
# LibreOffice. When LibreOffice cannot run it prints "skipped: ..."
# and ends.
import os
import subprocess
import sys
import time

try:
    import uno
    from com.sun.star.beans import PropertyValue
except ImportError:
    print("skipped: LibreOffice not installed (python3-uno)", flush=True)
    sys.exit(0)


def prop(name, value):
    p = PropertyValue()
    p.Name = name
    p.Value = value
    return p


def main():
    cells_path, result_path, profile = sys.argv[1:4]
    pipe = "bwbench%d" % os.getpid()
    try:
        office = subprocess.Popen(
            ["soffice", "--headless", "--invisible", "--norestore", "--nologo",
             "-env:UserInstallation=" + uno.systemPathToFileUrl(profile),
             "--accept=pipe,name=%s;urp;" % pipe],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    except FileNotFoundError:
        print("skipped: LibreOffice not installed (soffice)", flush=True)
        return
    try:
        resolver = uno.getComponentContext().ServiceManager.createInstanceWithContext(
            "com.sun.star.bridge.UnoUrlResolver", uno.getComponentContext())
        context = None
        for _ in range(600):
            try:
                context = resolver.resolve(
                    "uno:pipe,name=%s;urp;StarOffice.ComponentContext" % pipe)
                break
            except Exception:
                if office.poll() is not None:
                    break
                time.sleep(0.1)
        if context is None:
            print("skipped: LibreOffice does not start", flush=True)
            return
        desktop = context.ServiceManager.createInstanceWithContext(
            "com.sun.star.frame.Desktop", context)
        doc = desktop.loadComponentFromURL("private:factory/scalc", "_blank", 0,
                                           (prop("Hidden", True),))
        with open(cells_path) as f:
            rows = [line.rstrip("\n").split("\t") for line in f]
        width = max(len(r) for r in rows)
        rows = tuple(tuple(r + [""] * (width - len(r))) for r in rows)
        sheet = doc.Sheets.getByIndex(0)
        doc.enableAutomaticCalculation(False)
        cells = sheet.getCellRangeByPosition(0, 0, width - 1, len(rows) - 1)
        cells.setFormulaArray(rows)
        doc.calculateAll()
        with open(result_path, "w") as f:
            for line in cells.getDataArray():
                f.write("\t".join(repr(v) if isinstance(v, float) else v for v in line) + "\n")
        print("ready", flush=True)
        for line in sys.stdin:
            words = line.split()
            if words == ["calc"]:
                start = time.perf_counter()
                doc.calculateAll()
            elif len(words) == 4 and words[0] == "set":
                # One cell set, then what depends on it recalculated.
                cell = sheet.getCellByPosition(int(words[2]), int(words[1]))
                start = time.perf_counter()
                cell.setValue(float(words[3]))
                doc.calculate()
            else:
                break
            print(time.perf_counter() - start, flush=True)
        doc.close(True)
    finally:
        try:
            desktop.terminate()
        except Exception:
            pass
        try:
            office.wait(timeout=10)
        except subprocess.TimeoutExpired:
            office.kill()
            office.wait()


main()
