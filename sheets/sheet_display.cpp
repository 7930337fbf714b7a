#include "sheets/sheet_display.h"

#include "engine/globals.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/chart.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/level_display.h"
#include "sheets/sheet_window.h"

#include <QPalette>

namespace {

SheetWindow* activeWindow() { return dynamic_cast<SheetWindow*>(gActiveSheet); }

} // namespace

std::vector<db::Value> currentFields(db::Recordset& rs, bool& atEnd) {
    std::vector<db::Value> fields;
    atEnd = !rs.isOpen() || rs.eof() || rs.bof();
    if (atEnd) return fields;
    const int n = rs.Fields().Count();
    fields.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) fields.push_back(rs.Fields(i).value());
    return fields;
}

void FillLevBoxes(int nBands) {
    SheetWindow* w = activeWindow();
    if (!w) return;
    bool atEnd = false;
    const auto fields = currentFields(w->Data1.recordset(), atEnd);
    const std::string type = atEnd || fields.size() < 3 || !fields[2].isText() ? std::string()
                                                                              : fields[2].text();
    for (int j = 1; j <= nBands; ++j) {
        platform::TextBox* box = w->Lev(j);
        if (!box) continue;
        if (atEnd) {
            box->setText(QString());
            continue;
        }
        const size_t i = static_cast<size_t>(7 + j);
        const double level = i < fields.size() ? bandValue(fields[i]) : -999.0;
        QPalette p = box->palette();
        p.setColor(QPalette::Text, levelColour(level));
        box->setPalette(p);
        box->setText(QString::fromStdString(FormatLevel(level, type)));
    }
}

void FillChart(int nBands, int firstBand) {
    SheetWindow* w = activeWindow();
    if (!w) return;
    bool atEnd = false;
    const auto fields = currentFields(w->Data1.recordset(), atEnd);
    const SmallChartData data = smallChartData(fields, atEnd, nBands, firstBand);
    if (w->chtDisp) {
        platform::Chart& chart = *w->chtDisp;
        std::vector<platform::ChartRow> rows;
        rows.reserve(data.rows.size());
        for (const auto& r : data.rows)
            rows.push_back({{r.value}, {r.null}, {QString::fromStdString(r.label)}});
        chart.setRows(std::move(rows));
        platform::ChartAxis& axis = chart.axis(1);
        axis.maximum = data.maximum;
        axis.minimum = data.minimum;
        if (data.majorOverflow) {
            chart.update();
            platform::MsgBox("Overflow");
            return;
        }
        axis.major = data.major;
        axis.minor = data.minor;
        chart.update();
    }
    if (w->grdSpectra) w->grdSpectra->refresh();
}
