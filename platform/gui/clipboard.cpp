#include "platform/gui/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform {
namespace {

void put(QMimeData* data) {
    QGuiApplication::clipboard()->setMimeData(data);
}

} // namespace

void clearClipboard() {
    QGuiApplication::clipboard()->clear();
}

void setClipboard(const QString& text) {
    auto* data = new QMimeData;
    data->setText(text);
    put(data);
}

void setClipboard(const QString& text, const QByteArray& rtf) {
    auto* data = new QMimeData;
    for (const char* type : kRtfMimeTypes)
        data->setData(type, rtf);
    data->setText(text);
    put(data);
}

void setClipboard(const QImage& image, const QString& text) {
    auto* data = new QMimeData;
    data->setImageData(image);
    data->setText(text);
    put(data);
}

QString clipboardText() {
    return QGuiApplication::clipboard()->text();
}

QByteArray clipboardRtf() {
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    if (!data) return {};
    for (const char* type : kRtfMimeTypes)
        if (data->hasFormat(type)) return data->data(type);
    return {};
}

QImage clipboardImage() {
    return QGuiApplication::clipboard()->image();
}

} // namespace platform
