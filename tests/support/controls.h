#pragma once

// A dialog's controls found by their object names, as a user sees them.

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QWidget>

template <class T = QWidget> T* control(QWidget* dialog, const char* name) {
    T* w = dialog->findChild<T*>(QString::fromLatin1(name));
    if (!w)
        qFatal("no control %s", name);
    return w;
}

inline void click(QWidget* dialog, const char* name) {
    control<QAbstractButton>(dialog, name)->click();
}

// Shows the window and waits until it has the focus, as a window the user works in.
inline bool showActive(QWidget* window) {
    window->show();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}
