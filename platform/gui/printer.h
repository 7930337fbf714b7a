#pragma once
// The printer windows print through. Positions and sizes are twips from the
// top left of the printable area; CurrentY is the top of the text, not its
// baseline. A document is kept until EndDoc and then sent whole, so KillDoc
// takes everything back, a printer dropped before EndDoc (a run that failed
// part way) prints nothing, and a NewPage that nothing follows leaves no
// blank page.
#include <QImage>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class QFont;
class QFontMetricsF;
class QPainter;
class QPrinter;
class QRectF;

namespace platform {

inline constexpr int vbTwips = 1;

struct PrintFont {
    QString name = QStringLiteral("Arial");
    double size = 10; // points
    bool bold = false;
    bool italic = false;

    bool operator==(const PrintFont&) const = default;
    // The font as Qt draws it: unhinted, so text measures the same on every
    // device at the same resolution.
    QFont toQFont() const;
};

// Draws vector graphics into a rectangle of a painter (a chart, say), in the
// painter's own device units.
using PrintDrawing = std::function<void(QPainter&, const QRectF&)>;

// One thing drawn on a page.
struct PrintItem {
    enum class Kind { Text, Line, Picture, Drawing };
    Kind kind = Kind::Text;
    double x = 0, y = 0;   // text: left and top; line: start; picture, drawing: left and top
    double x2 = 0, y2 = 0; // line: end; picture, drawing: width and height
    QString text;          // text: one line, no line breaks
    PrintFont font;        // text
    QImage picture;        // picture
    std::shared_ptr<const PrintDrawing> drawing; // drawing
};

using PrintPage = std::vector<PrintItem>;

class Printer {
public:
    Printer();
    virtual ~Printer();
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;

    int ScaleMode() const { return vbTwips; }
    // The printable area.
    virtual double ScaleWidth() const = 0;
    virtual double ScaleHeight() const = 0;

    double CurrentX() const { return currentX_; }
    double CurrentY() const { return currentY_; }
    void setCurrentX(double x) { currentX_ = x; }
    void setCurrentY(double y) { currentY_ = y; }

    const QString& FontName() const { return font_.name; }
    double FontSize() const { return font_.size; }
    bool FontBold() const { return font_.bold; }
    bool FontItalic() const { return font_.italic; }
    void setFontName(const QString& name) { font_.name = name; }
    void setFontSize(double points) { font_.size = points; }
    void setFontBold(bool on) { font_.bold = on; }
    void setFontItalic(bool on) { font_.italic = on; }
    const PrintFont& font() const { return font_; }

    // In the current font. Text with line breaks (CR LF, LF or CR) measures
    // its widest line and all its lines; "" is one line high.
    double TextWidth(const QString& text) const;
    double TextHeight(const QString& text) const;

    // Prints at CurrentX, CurrentY and moves to the start of the next line
    // (CurrentX 0, CurrentY one line lower). Each line break in the text starts
    // a new line the same way. Printing "" only opens the page.
    void Print(const QString& text = {});
    // "Print text;": as Print, but stays on the line, CurrentX after the text.
    void PrintSameLine(const QString& text);
    // A thin line; CurrentX, CurrentY move to its end.
    void Line(double x1, double y1, double x2, double y2);
    // The picture scaled into the rectangle.
    void PaintPicture(const QImage& picture, double x, double y, double width, double height);
    // Vector graphics drawn into the rectangle when the document is sent:
    // sharp at any resolution, its text kept as text.
    void PaintDrawing(PrintDrawing drawing, double x, double y, double width, double height);
    // Ends the page: what is printed next goes on a new one, and CurrentX,
    // CurrentY go back to 0. A page with nothing on it is never ended, so two
    // NewPage calls in a row, or one at the end, add no blank page.
    void NewPage();
    // The number of the page being printed, from 1.
    int Page() const;
    // Sends the document; one with no page sends nothing. Returns false when
    // the device failed. The printer is ready for the next document either way.
    bool EndDoc();
    // Discards the document.
    void KillDoc();

    // The document so far, page by page.
    const std::vector<PrintPage>& pages() const { return pages_; }

    // Every call that prints, in order, as the caller made it.
    struct Call {
        enum class Op {
            Print,
            PrintSameLine,
            Line,
            PaintPicture,
            PaintDrawing,
            NewPage,
            EndDoc,
            KillDoc
        };
        Op op;
        int page = 0;          // Page() when called
        double x = 0, y = 0;   // CurrentX, CurrentY, or the line's start / the picture's left, top
        double x2 = 0, y2 = 0; // the line's end, or the picture's (drawing's) width and height
        QString text;
        PrintFont font;
        QSize pictureSize;
    };

protected:
    virtual QFontMetricsF metrics(const QFont& font) const = 0;
    // Sends a finished document of at least one page.
    virtual bool sendDocument(const std::vector<PrintPage>& pages) = 0;
    // Told of every printing call before it acts.
    virtual void called(const Call&) {}

private:
    void print(const QString& text, bool newLine);
    PrintPage& page();
    void reset();

    double currentX_ = 0;
    double currentY_ = 0;
    PrintFont font_;
    std::vector<PrintPage> pages_;
    bool pageEnded_ = false;
};

// Prints on a QPrinter (a real printer or a PDF file), at 1440 dots per inch
// so that device units are twips and text is measured on the device itself.
class QtPrinter final : public Printer {
public:
    explicit QtPrinter(QPrinter& device);

    double ScaleWidth() const override;
    double ScaleHeight() const override;
    QPrinter& device() { return device_; }

protected:
    QFontMetricsF metrics(const QFont& font) const override;
    bool sendDocument(const std::vector<PrintPage>& pages) override;

private:
    QPrinter& device_;
};

// Records what a caller printed, for tests. Text is measured at 1440 dots per
// inch on an image, with the same unhinted fonts as QtPrinter, so layouts
// computed from TextWidth and TextHeight match a real print run.
class RecordingPrinter final : public Printer {
public:
    // The printable area in twips; the default is A4 less 1/4 inch margins.
    explicit RecordingPrinter(double scaleWidth = 11186, double scaleHeight = 16118);
    ~RecordingPrinter() override;

    double ScaleWidth() const override { return width_; }
    double ScaleHeight() const override { return height_; }

    const std::vector<Call>& calls() const { return calls_; }
    // Documents sent by EndDoc, each page by page.
    const std::vector<std::vector<PrintPage>>& documents() const { return documents_; }
    // The text items of one page of a document, in order.
    std::vector<PrintItem> textOn(size_t document, size_t page) const;

protected:
    QFontMetricsF metrics(const QFont& font) const override;
    bool sendDocument(const std::vector<PrintPage>& pages) override;
    void called(const Call& call) override { calls_.push_back(call); }

private:
    double width_, height_;
    std::unique_ptr<QImage> measure_;
    std::vector<Call> calls_;
    std::vector<std::vector<PrintPage>> documents_;
};

} // namespace platform
