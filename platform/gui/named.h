#pragma once
// Controls named as the members that hold them: tests and the dialog script
// find a control by its objectName, so every control of a form is made here.
//
//     lblVersion = makeNamed<QLabel>(Frame1, "lblVersion", "Version 3.4");
//     Lev[j] = makeNamedAt<TextBox>(fraSpectrum, "Lev", j);   // "Lev(3)"
#include <QString>
#include <QWidget>

#include <type_traits>
#include <utility>

namespace platform::gui {

// The objectName of element `index` of a control array: "Lev(3)".
inline QString indexedName(const char* name, int index) {
    return QString("%1(%2)").arg(QLatin1String(name)).arg(index);
}

// Creates a child control of `parent` with the constructor arguments (the
// parent is passed last when the class takes it there, as Qt's do).
template <class T, class... A> T* makeNamed(QWidget* parent, const char* name, A&&... args) {
    T* w;
    if constexpr (std::is_constructible_v<T, A&&..., QWidget*>) {
        w = new T(std::forward<A>(args)..., parent);
    } else {
        w = new T(std::forward<A>(args)...);
        w->setParent(parent);
    }
    w->setObjectName(QLatin1String(name));
    return w;
}

// An element of a control array, named "name(index)".
template <class T, class... A>
T* makeNamedAt(QWidget* parent, const char* name, int index, A&&... args) {
    T* w = makeNamed<T>(parent, name, std::forward<A>(args)...);
    w->setObjectName(indexedName(name, index));
    return w;
}

} // namespace platform::gui
