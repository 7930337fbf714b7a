#include "platform/gui/printer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPen>
#include <QPrinter>

#include <algorithm>

namespace platform {
namespace {

constexpr int kTwipsPerInch = 1440;
// A printed rule: 0.3 pt, thin but visible on any printer.
constexpr double kLineWidth = 6;

// Lines of text as the printer object breaks them: at CR LF, LF or CR.
QStringList splitLines(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'\n' && text[i] != u'\r') continue;
        lines.push_back(text.mid(start, i - start));
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        start = i + 1;
    }
    lines.push_back(text.mid(start));
    return lines;
}

} // namespace

QFont PrintFont::toQFont() const {
    QFont f(name);
    f.setPointSizeF(size > 0 ? size : 1);
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    f.setKerning(false);
    return f;
}

Printer::Printer() = default;

Printer::~Printer() = default;

double Printer::TextWidth(const QString& text) const {
    const QFontMetricsF fm = metrics(font_.toQFont());
    double w = 0;
    for (const QString& line : splitLines(text))
        w = std::max(w, fm.horizontalAdvance(line));
    return w;
}

double Printer::TextHeight(const QString& text) const {
    return metrics(font_.toQFont()).height() * splitLines(text).size();
}

PrintPage& Printer::page() {
    if (pages_.empty() || pageEnded_) pages_.emplace_back();
    pageEnded_ = false;
    return pages_.back();
}

void Printer::print(const QString& text, bool newLine) {
    called({newLine ? Call::Op::Print : Call::Op::PrintSameLine,
            Page(),
            currentX_,
            currentY_,
            0,
            0,
            text,
            font_,
            {}});
    PrintPage& items = page();
    const QFontMetricsF fm = metrics(font_.toQFont());
    const QStringList lines = splitLines(text);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            currentX_ = 0;
            currentY_ += fm.height();
        }
        if (lines[i].isEmpty()) continue;
        PrintItem item;
        item.kind = PrintItem::Kind::Text;
        item.x = currentX_;
        item.y = currentY_;
        item.text = lines[i];
        item.font = font_;
        items.push_back(std::move(item));
        currentX_ += fm.horizontalAdvance(lines[i]);
    }
    if (newLine) {
        currentX_ = 0;
        currentY_ += fm.height();
    }
}

void Printer::Print(const QString& text) {
    print(text, true);
}

void Printer::PrintSameLine(const QString& text) {
    print(text, false);
}

void Printer::Line(double x1, double y1, double x2, double y2) {
    called({Call::Op::Line, Page(), x1, y1, x2, y2, {}, font_, {}});
    PrintItem item;
    item.kind = PrintItem::Kind::Line;
    item.x = x1;
    item.y = y1;
    item.x2 = x2;
    item.y2 = y2;
    page().push_back(std::move(item));
    currentX_ = x2;
    currentY_ = y2;
}

void Printer::PaintPicture(const QImage& picture, double x, double y, double width, double height) {
    called({Call::Op::PaintPicture, Page(), x, y, width, height, {}, font_, picture.size()});
    PrintItem item;
    item.kind = PrintItem::Kind::Picture;
    item.x = x;
    item.y = y;
    item.x2 = width;
    item.y2 = height;
    item.picture = picture;
    page().push_back(std::move(item));
}

void Printer::PaintDrawing(PrintDrawing drawing, double x, double y, double width, double height) {
    called({Call::Op::PaintDrawing, Page(), x, y, width, height, {}, font_, {}});
    PrintItem item;
    item.kind = PrintItem::Kind::Drawing;
    item.x = x;
    item.y = y;
    item.x2 = width;
    item.y2 = height;
    item.drawing = std::make_shared<const PrintDrawing>(std::move(drawing));
    page().push_back(std::move(item));
}

void Printer::NewPage() {
    called({Call::Op::NewPage, Page(), currentX_, currentY_, 0, 0, {}, font_, {}});
    if (!pages_.empty()) pageEnded_ = true;
    currentX_ = 0;
    currentY_ = 0;
}

int Printer::Page() const {
    return int(pages_.size()) + (pageEnded_ || pages_.empty() ? 1 : 0);
}

bool Printer::EndDoc() {
    called({Call::Op::EndDoc, Page(), currentX_, currentY_, 0, 0, {}, font_, {}});
    const bool ok = pages_.empty() || sendDocument(pages_);
    reset();
    return ok;
}

void Printer::KillDoc() {
    called({Call::Op::KillDoc, Page(), currentX_, currentY_, 0, 0, {}, font_, {}});
    reset();
}

void Printer::reset() {
    pages_.clear();
    pageEnded_ = false;
    currentX_ = 0;
    currentY_ = 0;
}

QtPrinter::QtPrinter(QPrinter& device) : device_(device) {
    // Device units are then twips; faking them with a window on a coarser
    // device would shrink the fonts.
    device_.setResolution(kTwipsPerInch);
}

double QtPrinter::ScaleWidth() const {
    return device_.pageRect(QPrinter::DevicePixel).width();
}

double QtPrinter::ScaleHeight() const {
    return device_.pageRect(QPrinter::DevicePixel).height();
}

QFontMetricsF QtPrinter::metrics(const QFont& font) const {
    return QFontMetricsF(font, &device_);
}

bool QtPrinter::sendDocument(const std::vector<PrintPage>& pages) {
    QPainter painter;
    if (!painter.begin(&device_)) return false;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QPen pen(Qt::black);
    pen.setWidthF(kLineWidth);
    pen.setCapStyle(Qt::FlatCap);
    for (size_t p = 0; p < pages.size(); ++p) {
        if (p > 0 && !device_.newPage()) {
            painter.end();
            return false;
        }
        for (const PrintItem& item : pages[p]) {
            switch (item.kind) {
            case PrintItem::Kind::Text: {
                const QFont font = item.font.toQFont();
                painter.setFont(font);
                painter.setPen(Qt::black);
                const double ascent = QFontMetricsF(font, &device_).ascent();
                painter.drawText(QPointF(item.x, item.y + ascent), item.text);
                break;
            }
            case PrintItem::Kind::Line:
                painter.setPen(pen);
                painter.drawLine(QPointF(item.x, item.y), QPointF(item.x2, item.y2));
                break;
            case PrintItem::Kind::Picture:
                painter.drawImage(QRectF(item.x, item.y, item.x2, item.y2), item.picture);
                break;
            case PrintItem::Kind::Drawing:
                if (item.drawing && *item.drawing) {
                    painter.save();
                    (*item.drawing)(painter, QRectF(item.x, item.y, item.x2, item.y2));
                    painter.restore();
                }
                break;
            }
        }
    }
    painter.end();
    return device_.printerState() != QPrinter::Error;
}

RecordingPrinter::RecordingPrinter(double scaleWidth, double scaleHeight)
    : width_(scaleWidth), height_(scaleHeight),
      measure_(std::make_unique<QImage>(1, 1, QImage::Format_ARGB32)) {
    const int dotsPerMeter = qRound(kTwipsPerInch / 0.0254);
    measure_->setDotsPerMeterX(dotsPerMeter);
    measure_->setDotsPerMeterY(dotsPerMeter);
}

RecordingPrinter::~RecordingPrinter() = default;

QFontMetricsF RecordingPrinter::metrics(const QFont& font) const {
    return QFontMetricsF(font, measure_.get());
}

bool RecordingPrinter::sendDocument(const std::vector<PrintPage>& pages) {
    documents_.push_back(pages);
    return true;
}

std::vector<PrintItem> RecordingPrinter::textOn(size_t document, size_t page) const {
    std::vector<PrintItem> out;
    if (document >= documents_.size() || page >= documents_[document].size()) return out;
    for (const PrintItem& item : documents_[document][page])
        if (item.kind == PrintItem::Kind::Text) out.push_back(item);
    return out;
}

} // namespace platform
