#include "output/frm_graph.h"

#include "engine/globals.h"
#include "output/graph_pictures.h"
#include "platform/flag_guard.h"
#include "platform/gui/bound_controls.h"
#include "platform/gui/chart.h"
#include "platform/gui/clipboard.h"
#include "platform/gui/named.h"
#include "platform/gui/printer.h"
#include "platform/gui/printer_dialog.h"
#include "platform/ui.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPrinter>
#include <QVBoxLayout>

using platform::gui::makeNamed;

namespace {

constexpr int kGraphKind = 3;

} // namespace

QString defaultLegend(const QString& name) {
    const qsizetype p = name.indexOf(':');
    return p < 0 ? QString() : name.mid(p + 2);
}

QRectF fitOnPage(double w, double h, double pw, double ph) {
    if (w <= 0 || h <= 0 || pw <= 0 || ph <= 0) return QRectF();
    if (w / h < pw / ph) {
        const double dw = 0.9 * w;
        const double dh = dw * ph / pw;
        return QRectF(0.05 * w, (h - dh) / 2, dw, dh);
    }
    const double dh = 0.9 * h;
    const double dw = dh * pw / ph;
    return QRectF((w - dw) / 2, 0.05 * h, dw, dh);
}

frmGraph::frmGraph(QWidget* parent) : OutputWindow(platform::gui::FormKind::Graph, parent) {
    setObjectName("frmGraph");
    setWindowTitle("Graph:");
    buildControls();
    Form_Load();
}

void frmGraph::Form_Load() {
    mSettingUp = true;
}

void frmGraph::setUp(const QString& notes) {
    txtGraphTitle->setText(notes);
}

int frmGraph::bandCount() const {
    return txtSheetType->text() == "2" ? 30 : 10;
}

void frmGraph::buildControls() {
    chtDisp = makeNamed<platform::gui::Chart>(this, "chtDisp");
    chtDisp->setCategoryTitle("Frequency, Hz");
    chtDisp->setSeriesCount(0);
    chtDisp->setMinimumSize(320, 220);

    // Under the chart: the titles, and the options of the whole graph.
    auto* titles = new QWidget(this);
    auto* titleGrid = new QGridLayout(titles);
    titleGrid->setContentsMargins(0, 0, 0, 0);
    titleGrid->setHorizontalSpacing(8);
    titleGrid->setVerticalSpacing(4);
    txtGraphTitle = makeNamed<platform::gui::TextBox>(titles, "txtGraphTitle");
    txtYTitle = makeNamed<platform::gui::TextBox>(titles, "txtYTitle");
    txtYTitle2 = makeNamed<platform::gui::TextBox>(titles, "txtYTitle2");
    const std::pair<const char*, QWidget*> titleRows[] = {{"Graph Title", txtGraphTitle},
                                                          {"Y-Axis Title", txtYTitle},
                                                          {"Second Y-Axis Title", txtYTitle2}};
    int r = 0;
    for (const auto& [caption, box] : titleRows) {
        auto* label = new QLabel(caption, titles);
        label->setBuddy(box);
        titleGrid->addWidget(label, r, 0);
        titleGrid->addWidget(box, r, 1);
        ++r;
    }
    chkLegend = makeNamed<QCheckBox>(titles, "chkLegend", "Legend");
    chkSummary = makeNamed<QCheckBox>(titles, "chkSummary", "Summary Values");
    chkXGrid = makeNamed<QCheckBox>(titles, "chkXGrid", "X grid lines");
    chkYGrid = makeNamed<QCheckBox>(titles, "chkYGrid", "Y grid lines");
    auto* options = new QVBoxLayout;
    options->setSpacing(2);
    for (QCheckBox* box : {chkLegend, chkSummary, chkXGrid, chkYGrid})
        options->addWidget(box);
    titleGrid->addLayout(options, 0, 2, 4, 1, Qt::AlignTop);
    titleGrid->setColumnStretch(1, 1);
    titleGrid->setColumnMinimumWidth(2, 120);

    // Beside the chart: the spectra, and the line of the one chosen.
    Frame1 = makeNamed<QGroupBox>(this, "Frame1", "Selected Spectrum:");
    auto* form = new QFormLayout(Frame1);
    form->setContentsMargins(8, 6, 8, 6);
    form->setVerticalSpacing(4);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    txtLegTxt = makeNamed<platform::gui::TextBox>(Frame1, "txtLegTxt");
    cmbColour = makeNamed<platform::gui::ComboBox>(Frame1, "cmbColour");
    cmbLineStyle = makeNamed<platform::gui::ComboBox>(Frame1, "cmbLineStyle");
    cmbLineWidth = makeNamed<platform::gui::ComboBox>(Frame1, "cmbLineWidth");
    cmbLineWidth->setIconSize(kLinePictureSize);
    cmbPoints = makeNamed<platform::gui::ComboBox>(Frame1, "cmbPoints");
    cmbPoints->setIconSize(kPointPictureSize);
    chkSecondAxis = makeNamed<QCheckBox>(Frame1, "chkSecondAxis", "Second Axis");
    form->addRow("Legend text:", txtLegTxt);
    form->addRow("Colour:", cmbColour);
    form->addRow("Line Type:", cmbLineStyle);
    form->addRow("Line Width:", cmbLineWidth);
    form->addRow("Point Style:", cmbPoints);
    form->addRow(QString(), chkSecondAxis);
    cmdPrint = makeNamed<QPushButton>(this, "cmdPrint", "Print Graph");

    auto* left = new QVBoxLayout;
    left->addWidget(lstSpectra, 1);
    left->addWidget(Frame1);
    left->addWidget(cmdPrint, 0, Qt::AlignRight);
    auto* right = new QVBoxLayout;
    right->addWidget(chtDisp, 1);
    right->addWidget(titles);
    auto* top = new QHBoxLayout(this);
    top->setContentsMargins(8, 8, 8, 8);
    top->setSpacing(8);
    top->addLayout(left);
    top->addLayout(right, 1);
    lstSpectra->setFixedWidth(220);
    Frame1->setFixedWidth(220);

    imgLines = lineWidthPictures();
    imgPoints = pointStylePictures();

    connect(lstSpectra, &QListWidget::currentRowChanged, this, [this] {
        if (!fillingList_ && !syncingList_) lstSpectra_Click();
    });
    connect(lstSpectra, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (!fillingList_) lstSpectra_ItemCheck(lstSpectra->row(item));
    });
    connect(chtDisp, &platform::gui::Chart::seriesSelected, this,
            &frmGraph::chtDisp_SeriesSelected);
    connect(&Data1, &db::DataControl::MoveComplete, this, &frmGraph::Data1_Reposition);
    connect(cmbColour, &platform::gui::ComboBox::Click, this, &frmGraph::cmbColour_Click);
    connect(cmbLineStyle, &platform::gui::ComboBox::Click, this, &frmGraph::cmbLineStyle_Click);
    connect(cmbLineWidth, &platform::gui::ComboBox::Click, this, &frmGraph::cmbLineWidth_Click);
    connect(cmbPoints, &platform::gui::ComboBox::Click, this, &frmGraph::cmbPoints_Click);
    connect(chkSecondAxis, &QCheckBox::clicked, this, &frmGraph::chkSecondAxis_Click);
    connect(txtLegTxt, &platform::gui::TextBox::LostFocus, this, &frmGraph::txtLegTxt_LostFocus);
    // Enter keeps the typed legend too, as leaving the box does.
    connect(txtLegTxt, &QLineEdit::returnPressed, this, &frmGraph::txtLegTxt_LostFocus);
    connect(chkLegend, &QCheckBox::toggled, this, &frmGraph::chkLegend_Click);
    connect(chkSummary, &QCheckBox::toggled, this, &frmGraph::chkSummary_Click);
    connect(chkXGrid, &QCheckBox::toggled, this, &frmGraph::chkXGrid_Click);
    connect(chkYGrid, &QCheckBox::toggled, this, &frmGraph::chkYGrid_Click);
    connect(txtGraphTitle, &platform::gui::TextBox::Change, this, &frmGraph::txtGraphTitle_Change);
    connect(txtYTitle, &platform::gui::TextBox::Change, this, &frmGraph::txtYTitle_Change);
    connect(txtYTitle2, &platform::gui::TextBox::Change, this, &frmGraph::txtYTitle2_Change);
    connect(cmdPrint, &QPushButton::clicked, this, &frmGraph::cmdPrint_Click);
}

void frmGraph::fillEditorLists() {
    cmbLineWidth->clear();
    for (const QIcon& picture : imgLines)
        cmbLineWidth->addItem(picture, QString());
    cmbPoints->clear();
    cmbPoints->addItem("<None>");
    for (const QIcon& picture : imgPoints)
        cmbPoints->addItem(picture, QString());
    cmbLineStyle->clear();
    cmbLineStyle->addItems({"<None>", "Solid", "Dashed", "Dotted", "Dash Dot"});
    cmbColour->clear();
    for (const NamedColour& c : kGraphColours)
        cmbColour->addItem(c.name);
}

void frmGraph::Form_Activate() {
    activated(kGraphKind);
    mSettingUp = false;
    if (mFirstActivate) {
        fillEditorLists();
        readBoundRecords();
        mSpectrumCount = static_cast<int>(records().size());
        mLineSettings.assign(static_cast<size_t>(mSpectrumCount), LineSettings{});
        for (int i = 0; i < mSpectrumCount; ++i)
            mLineSettings[static_cast<size_t>(i)].legend =
                defaultLegend(records()[static_cast<size_t>(i)].name);
        fillList(std::vector<bool>(static_cast<size_t>(mSpectrumCount), false));
        mAxisLabels = graphAxisLabels(bandCount(), firstBand());
        {
            platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
            Data1.recordset().MoveFirst();
        }
        mFirstActivate = false;
        txtYTitle->clear();
        txtYTitle2->clear();
        chkLegend->setChecked(true);
        showCurrent();
    } else {
        // The sheet may have changed while another window was active: each
        // spectrum keeps its line, wherever it stands now.
        db::Recordset& rs = Data1.recordset();
        const bool hadCurrent = rs.isOpen() && !rs.eof() && !rs.bof();
        const db::RecordKey key = hadCurrent ? rs.Bookmark() : 0;
        const std::vector<OutputRecord> before = records();
        if (auto match = rereadSheet()) {
            const std::vector<LineSettings> old = std::move(mLineSettings);
            mSpectrumCount = static_cast<int>(records().size());
            mLineSettings.assign(static_cast<size_t>(mSpectrumCount), LineSettings{});
            std::vector<bool> ticks(static_cast<size_t>(mSpectrumCount), false);
            for (int i = 0; i < mSpectrumCount; ++i) {
                const OutputRecord& now = records()[static_cast<size_t>(i)];
                LineSettings& ls = mLineSettings[static_cast<size_t>(i)];
                const int was = (*match)[static_cast<size_t>(i)];
                if (was >= 0 && was < static_cast<int>(old.size())) {
                    ls = old[static_cast<size_t>(was)];
                    // A legend never edited follows the spectrum's description.
                    if (ls.legend == defaultLegend(before[static_cast<size_t>(was)].name))
                        ls.legend = defaultLegend(now.name);
                } else {
                    ls.legend = defaultLegend(now.name);
                }
                ticks[static_cast<size_t>(i)] = ls.plotted;
            }
            fillList(ticks);
            {
                platform::FlagGuard busy(gBusy, platform::FlagEnd::Restore);
                db::Recordset& fresh = Data1.recordset();
                if (fresh.RecordCount() > 0) {
                    if (!hadCurrent || fresh.positionOf(key) == 0)
                        fresh.MoveFirst();
                    else
                        fresh.setBookmark(key);
                }
            }
            showCurrent();
        }
        mAxisLabels = graphAxisLabels(bandCount(), firstBand());
    }
    DoGraph();
}

int frmGraph::currentRow() const {
    const db::Recordset& rs = const_cast<frmGraph*>(this)->Data1.recordset();
    if (!rs.isOpen() || rs.eof() || rs.bof()) return 0;
    const int row = rs.AbsolutePosition();
    return row >= 1 && row <= mSpectrumCount ? row : 0;
}

LineSettings* frmGraph::current() {
    const int row = currentRow();
    return row > 0 ? &mLineSettings[static_cast<size_t>(row - 1)] : nullptr;
}

void frmGraph::showCurrent() {
    const int row = currentRow();
    syncingList_ = true;
    lstSpectra->setCurrentRow(row - 1);
    syncingList_ = false;
    loadEditors();
}

GraphInput frmGraph::graphInput() const {
    GraphInput in;
    in.nBands = bandCount();
    in.axisLabels = mAxisLabels;
    in.records = &records();
    in.settings = &mLineSettings;
    in.summary = chkSummary->isChecked();
    in.xGrid = chkXGrid->isChecked();
    in.yGrid = chkYGrid->isChecked();
    in.legend = chkLegend->isChecked();
    in.title = txtGraphTitle->text();
    in.yTitle = txtYTitle->text();
    in.yTitle2 = txtYTitle2->text();
    return in;
}

void frmGraph::DoGraph() {
    if (mFirstActivate) return; // nothing to draw before the window's set-up
    try {
        drawGraph(describeGraph(graphInput()), *chtDisp);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void frmGraph::lstSpectra_Click() {
    const int index = lstSpectra->currentRow();
    if (index < 0 || index >= mSpectrumCount) return;
    try {
        Data1.recordset().setAbsolutePosition(index + 1);
    } catch (const std::exception& e) {
        platform::MsgBox(QString::fromStdString(e.what()));
    }
}

void frmGraph::lstSpectra_ItemCheck(int item) {
    if (item < 0 || item >= mSpectrumCount) return;
    const bool ticked = lstSpectra->item(item)->checkState() == Qt::Checked;
    LineSettings& ls = mLineSettings[static_cast<size_t>(item)];
    if (ls.plotted == ticked) return;
    ls.plotted = ticked;
    DoGraph();
}

void frmGraph::chtDisp_SeriesSelected(int series) {
    int count = 0;
    for (int row = 1; row <= mSpectrumCount; ++row) {
        if (!mLineSettings[static_cast<size_t>(row - 1)].plotted) continue;
        if (++count != series) continue;
        try {
            Data1.recordset().setAbsolutePosition(row);
        } catch (const std::exception& e) {
            platform::MsgBox(QString::fromStdString(e.what()));
            return;
        }
        syncingList_ = true;
        lstSpectra->setCurrentRow(row - 1);
        syncingList_ = false;
        return;
    }
}

void frmGraph::Data1_Reposition() {
    if (gBusy || mFirstActivate) return;
    loadEditors();
    syncingList_ = true;
    lstSpectra->setCurrentRow(currentRow() - 1);
    syncingList_ = false;
}

void frmGraph::loadEditors() {
    const LineSettings* ls = current();
    if (!ls) return;
    loadingEditors_ = true;
    chkSecondAxis->setChecked(ls->secondAxis);
    if (ls->marker == kNoMarker)
        cmbPoints->setCurrentIndex(0);
    else if (ls->marker >= 0 && ls->marker <= 13)
        cmbPoints->setCurrentIndex(ls->marker + 1);
    if (ls->widthIndex >= 1 && ls->widthIndex <= 5)
        cmbLineWidth->setCurrentIndex(ls->widthIndex - 1);
    if (ls->penStyle >= 0 && ls->penStyle <= 4) cmbLineStyle->setCurrentIndex(ls->penStyle);
    for (int i = 0; i < static_cast<int>(std::size(kGraphColours)); ++i) {
        const NamedColour& c = kGraphColours[i];
        if (c.red == ls->red && c.green == ls->green && c.blue == ls->blue) {
            cmbColour->setCurrentIndex(i);
            break;
        }
    }
    txtLegTxt->setText(ls->legend);
    loadingEditors_ = false;
}

void frmGraph::cmbColour_Click() {
    LineSettings* ls = current();
    const int i = cmbColour->currentIndex();
    if (!ls || loadingEditors_) return;
    if (i >= 0 && i < static_cast<int>(std::size(kGraphColours))) {
        ls->red = kGraphColours[i].red;
        ls->green = kGraphColours[i].green;
        ls->blue = kGraphColours[i].blue;
    }
    DoGraph();
}

void frmGraph::cmbLineStyle_Click() {
    LineSettings* ls = current();
    const int i = cmbLineStyle->currentIndex();
    if (!ls || loadingEditors_) return;
    if (i >= 0 && i <= 4) ls->penStyle = i;
    DoGraph();
}

void frmGraph::cmbLineWidth_Click() {
    LineSettings* ls = current();
    const int i = cmbLineWidth->currentIndex();
    if (!ls || loadingEditors_ || i < 0) return;
    ls->widthIndex = i + 1;
    DoGraph();
}

void frmGraph::cmbPoints_Click() {
    LineSettings* ls = current();
    const int i = cmbPoints->currentIndex();
    if (!ls || loadingEditors_ || i < 0) return;
    ls->marker = i == 0 ? kNoMarker : i - 1;
    DoGraph();
}

void frmGraph::chkSecondAxis_Click() {
    LineSettings* ls = current();
    if (!ls || loadingEditors_) return;
    ls->secondAxis = chkSecondAxis->isChecked();
    DoGraph();
}

void frmGraph::txtLegTxt_LostFocus() {
    LineSettings* ls = current();
    if (!ls || loadingEditors_ || ls->legend == txtLegTxt->text()) return;
    ls->legend = txtLegTxt->text();
    DoGraph();
}

void frmGraph::chkLegend_Click() {
    DoGraph();
}

void frmGraph::chkSummary_Click() {
    DoGraph();
}

void frmGraph::chkXGrid_Click() {
    DoGraph();
}

void frmGraph::chkYGrid_Click() {
    DoGraph();
}

void frmGraph::txtGraphTitle_Change() {
    if (!mSettingUp) DoGraph();
}

void frmGraph::txtYTitle_Change() {
    DoGraph();
}

void frmGraph::txtYTitle2_Change() {
    DoGraph();
}

void frmGraph::cmdPrint_Click() {
    QPrinter printer(QPrinter::HighResolution);
    if (!platform::ShowPrinterDialog(printer, false)) return; // Cancel: nothing, silently
    // The clipboard keeps the chart's copy, as a print always left it.
    chtDisp->EditCopy();
    platform::QtPrinter out(printer);
    const QRectF place =
        fitOnPage(out.ScaleWidth(), out.ScaleHeight(), chtDisp->width(), chtDisp->height());
    if (place.isEmpty()) {
        platform::MsgBox("The graph does not fit on the page.");
        return;
    }
    QPointer<platform::gui::Chart> chart = chtDisp;
    out.PaintDrawing(
        [chart](QPainter& p, const QRectF& area) {
            if (chart) chart->render(p, area);
        },
        place.x(), place.y(), place.width(), place.height());
    if (!out.EndDoc())
        platform::MsgBox("The graph could not be printed: the printer or file did not accept it.");
}
