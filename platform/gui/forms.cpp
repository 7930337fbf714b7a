#include "platform/gui/forms.h"

#include "platform/geometry.h"

#include <QMdiSubWindow>
#include <QPointer>
#include <QVariant>

#include <algorithm>

namespace platform::gui {
namespace {

struct Entry {
    QObject* raw; // identity, still valid to compare once the object is gone
    QPointer<QWidget> form;
    FormKind kind;
};

std::vector<Entry>& registry() {
    static std::vector<Entry> forms;
    return forms;
}

void drop(const QObject* form) {
    auto& r = registry();
    r.erase(std::remove_if(r.begin(), r.end(),
                           [form](const Entry& e) { return e.raw == form || e.form.isNull(); }),
            r.end());
}

Entry* find(const QWidget* form) {
    for (Entry& e : registry())
        if (e.raw == form && !e.form.isNull()) return &e;
    return nullptr;
}

} // namespace

void registerForm(QWidget* form, FormKind kind) {
    if (!form) return;
    if (Entry* e = find(form)) {
        e->kind = kind;
        return;
    }
    drop(form); // a stale entry of an object that once lived at this address
    registry().push_back({form, form, kind});
    QObject::connect(form, &QObject::destroyed, [](QObject* gone) { drop(gone); });
}

void unregisterForm(QWidget* form) {
    drop(form);
}

std::vector<QWidget*> loadedForms() {
    std::vector<QWidget*> out;
    for (const Entry& e : registry())
        if (e.form) out.push_back(e.form);
    return out;
}

std::vector<QWidget*> formsOfKind(FormKind kind) {
    std::vector<QWidget*> out;
    for (const Entry& e : registry())
        if (e.form && e.kind == kind) out.push_back(e.form);
    return out;
}

std::optional<FormKind> formKind(const QWidget* form) {
    if (const Entry* e = find(form)) return e->kind;
    return std::nullopt;
}

bool isLoaded(const QWidget* form) {
    return find(form) != nullptr;
}

namespace {
constexpr const char* kCaption = "bwCaption";
}

void setCaption(QWidget* form, const QString& caption) {
    if (!form) return;
    form->setProperty(kCaption, caption);
    form->setWindowTitle(caption);
}

QString caption(const QWidget* form) {
    if (!form) return QString();
    const QVariant own = form->property(kCaption);
    return own.isValid() ? own.toString() : form->windowTitle();
}

int countFormsWithCaption(const QStringList& words) {
    int n = 0;
    for (QWidget* f : loadedForms()) {
        const QString text = caption(f);
        if (std::any_of(words.begin(), words.end(),
                        [&](const QString& w) { return text.contains(w, Qt::CaseSensitive); }))
            ++n;
    }
    return n;
}

QWidget* frameOf(QWidget* form) {
    if (!form) return nullptr;
    if (auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget()))
        if (sub->widget() == form) return sub;
    return form;
}

const QWidget* frameOf(const QWidget* form) {
    return frameOf(const_cast<QWidget*>(form));
}

void setTwipsGeometry(QWidget* form, int leftTwips, int topTwips, int widthTwips, int heightTwips) {
    setTwipsPosition(form, leftTwips, topTwips);
    setTwipsSize(form, widthTwips, heightTwips);
}

void setTwipsPosition(QWidget* form, int leftTwips, int topTwips) {
    if (QWidget* w = frameOf(form)) w->move(twipsToPixels(leftTwips), twipsToPixels(topTwips));
}

void setTwipsSize(QWidget* form, int widthTwips, int heightTwips) {
    if (QWidget* w = frameOf(form))
        w->resize(std::max(0, twipsToPixels(widthTwips)), std::max(0, twipsToPixels(heightTwips)));
}

int leftTwips(const QWidget* form) {
    return form ? pixelsToTwips(frameOf(form)->x()) : 0;
}
int topTwips(const QWidget* form) {
    return form ? pixelsToTwips(frameOf(form)->y()) : 0;
}
int widthTwips(const QWidget* form) {
    return form ? pixelsToTwips(frameOf(form)->width()) : 0;
}
int heightTwips(const QWidget* form) {
    return form ? pixelsToTwips(frameOf(form)->height()) : 0;
}

} // namespace platform::gui
