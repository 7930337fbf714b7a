#pragma once
// The system clipboard. Each copy puts one item holding all of its formats:
// putting a second item (QClipboard::setText after setMimeData) would replace
// the first, so text and rich text, or a picture and its data, go together.
#include <QByteArray>
#include <QImage>
#include <QString>

namespace platform {

inline constexpr const char* kRtfMimeTypes[] = {"text/rtf", "application/rtf"};

void clearClipboard();
// Plain text only.
void setClipboard(const QString& text);
// Rich text (RTF) and the same content as plain text.
void setClipboard(const QString& text, const QByteArray& rtf);
// A picture (a chart) and its data as tab-separated text.
void setClipboard(const QImage& image, const QString& text);

// The clipboard's plain text ("" when it holds none).
QString clipboardText();
// The clipboard's rich text ("" when it holds none).
QByteArray clipboardRtf();
// The clipboard's picture (a null image when it holds none).
QImage clipboardImage();

} // namespace platform
