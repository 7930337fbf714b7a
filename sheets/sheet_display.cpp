#include "sheets/sheet_display.h"

#include "engine/globals.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/chart.h"
#include "platform/gui/data_grid.h"
#include "platform/ui.h"
#include "sheets/level_display.h"
#include "sheets/sheet_window.h"

#include <QPalette>
#include <QPointer>

namespace {

SheetWindow* activeWindow() {
    return dynamic_cast<SheetWindow*>(gActiveSheet);
}

// The record whose chart last failed: a record drawn again by the next
// handler of the same move does not repeat the message.
QPointer<SheetWindow> gOverflowWindow;
db::RecordKey gOverflowRecord = 0;

} // namespace

std::vector<db::Value> currentFields(db::Recordset& rs, bool& atEnd) {
    std::vector<db::Value> fields;
    atEnd = !rs.isOpen() || rs.eof() || rs.bof();
    if (atEnd) return fields;
    const int n = rs.Fields().Count();
    fields.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        fields.push_back(rs.Fields(i).value());
    return fields;
}

void FillLevBoxes(int nBands) {
    SheetWindow* w = activeWindow();
    if (!w) return;
    bool atEnd = false;
    const auto fields = currentFields(w->Data1.recordset(), atEnd);
    const std::string type =
        atEnd || fields.size() < 3 || !fields[2].isText() ? std::string() : fields[2].text();
    for (int j = 1; j <= nBands; ++j) {
        platform::gui::TextBox* box = w->Lev(j);
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
        platform::gui::Chart& chart = *w->chtDisp;
        const int rows = static_cast<int>(data.rows.size());
        chart.setSeriesCount(1);
        chart.setRowCount(rows);
        chart.setLoneRowsFrom(nBands + 1); // summary values are points, not bands
        for (int r = 1; r <= rows; ++r) {
            const auto& row = data.rows[static_cast<size_t>(r - 1)];
            chart.setPoint(r, 1, row.value, row.null);
            chart.setRowLabel(r, QString::fromStdString(row.label));
        }
        if (data.majorOverflow) {
            // Values too far apart for the division: the chart is drawn as
            // the graph window draws such values, in coarser steps.
            const AxisScale drawn = drawableScale(data);
            chart.setAxisScale(platform::gui::AxisId::Y1, drawn.maximum, drawn.minimum, drawn.major,
                               data.minor);
            db::Recordset& rs = w->Data1.recordset();
            const db::RecordKey key = atEnd ? 0 : rs.Bookmark();
            if (gOverflowWindow != w || gOverflowRecord != key) {
                gOverflowWindow = w;
                gOverflowRecord = key;
                platform::MsgBox("Overflow");
            }
            return;
        }
        chart.setAxisScale(platform::gui::AxisId::Y1, data.maximum, data.minimum, data.major,
                           data.minor);
        if (gOverflowWindow == w) gOverflowWindow = nullptr;
    }
    if (w->grdSpectra) w->grdSpectra->Refresh();
}
