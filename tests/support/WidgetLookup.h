#pragma once

// GUI tests find the window's controls by their object names, the names the administrator's forms give
// them. A name that is not there ends the test program at once with the name in the message.

#include <QAction>
#include <QObject>
#include <QStackedWidget>
#include <QTreeWidget>
#include <QtGlobal>

template <typename T = QWidget> T* Child(const QObject& parent, const QString& name) {
    T* child = parent.findChild<T*>(name);
    if (!child)
        qFatal("no child object \"%s\" of the expected type", qPrintable(name));
    return child;
}

inline QTreeWidget* Main_LV(const QObject& window) {
    return Child<QTreeWidget>(window, QStringLiteral("Main_LV"));
}

inline QStackedWidget* Main_NB(const QObject& window) {
    return Child<QStackedWidget>(window, QStringLiteral("Main_NB"));
}
