#pragma once
// The graph window: chosen spectra of one sheet drawn over its bands, each
// with its own colour, line type, width, point style, legend text and value
// axis; titles, legend, grid lines and summary points for the whole graph;
// and printing of the chart.
#include "output/graph_model.h"
#include "output/output_window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QPushButton>
#include <QRectF>

#include <vector>

namespace platform::gui {
class Chart;
class ComboBox;
class TextBox;
} // namespace platform::gui

class frmGraph : public OutputWindow {
    Q_OBJECT
public:
    explicit frmGraph(QWidget* parent = nullptr);

    platform::gui::Chart* chtDisp = nullptr;
    platform::gui::TextBox* txtGraphTitle = nullptr;
    platform::gui::TextBox* txtYTitle = nullptr;
    platform::gui::TextBox* txtYTitle2 = nullptr;
    QCheckBox* chkLegend = nullptr;
    QCheckBox* chkXGrid = nullptr;
    QCheckBox* chkYGrid = nullptr;
    QCheckBox* chkSummary = nullptr;
    QGroupBox* Frame1 = nullptr; // "Selected Spectrum:"
    platform::gui::TextBox* txtLegTxt = nullptr;
    platform::gui::ComboBox* cmbColour = nullptr;
    platform::gui::ComboBox* cmbLineStyle = nullptr;
    platform::gui::ComboBox* cmbLineWidth = nullptr;
    platform::gui::ComboBox* cmbPoints = nullptr;
    QCheckBox* chkSecondAxis = nullptr;
    QPushButton* cmdPrint = nullptr;
    std::vector<QIcon> imgLines;  // pictures 1 to 5 at [0] to [4]
    std::vector<QIcon> imgPoints; // pictures 1 to 14 at [0] to [13]

    // Form-level state.
    std::vector<LineSettings> mLineSettings; // row i (record i) at [i - 1]
    int mSpectrumCount = 0;
    std::vector<QString> mAxisLabels; // band j at [j - 1]
    bool mSettingUp = true;

    void Form_Load();
    void setUp(const QString& notes) override;
    void Form_Activate() override;
    // Redraws the chart from the plotted spectra and the options.
    void DoGraph();
    // What DoGraph draws, from the window as it stands.
    GraphInput graphInput() const;
    // The current spectrum's row of the settings (its record's position), 0 when none.
    int currentRow() const;

    void lstSpectra_Click();
    void lstSpectra_ItemCheck(int item);
    void chtDisp_SeriesSelected(int series);
    void Data1_Reposition();
    void cmbColour_Click();
    void cmbLineStyle_Click();
    void cmbLineWidth_Click();
    void cmbPoints_Click();
    void chkSecondAxis_Click();
    void txtLegTxt_LostFocus();
    void chkLegend_Click();
    void chkSummary_Click();
    void chkXGrid_Click();
    void chkYGrid_Click();
    void txtGraphTitle_Change();
    void txtYTitle_Change();
    void txtYTitle2_Change();
    void cmdPrint_Click();

protected:
    int bandCount() const override;

private:
    void buildControls();
    void fillEditorLists();
    void loadEditors();
    // Puts the list and the current spectrum in step with the record set.
    void showCurrent();
    LineSettings* current();

    bool loadingEditors_ = false;
    bool syncingList_ = false;
};

// The legend text a spectrum starts with: its Name after the first ":" and
// the blank behind it.
QString defaultLegend(const QString& name);

// Where a picture of pw by ph goes on a page of w by h: 90 % of the page
// along the direction it fills, centred along the other, aspect kept.
QRectF fitOnPage(double w, double h, double pw, double ph);
