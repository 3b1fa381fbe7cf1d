// Driving modal dialogs from a Qt test: the dialog's own event loop runs the step.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <functional>

namespace velt::testing {

template <typename T>
T* Modal() {
    return qobject_cast<T*>(QApplication::activeModalWidget());
}

template <typename T>
T* Child(QWidget* parent, const char* name) {
    return parent->findChild<T*>(name);
}

// Runs `step` once a modal widget of type T is up (from the event loop of whatever opened
// it). When none comes, every open dialog is closed so that the test fails instead of
// hanging.
template <typename T>
void WhenModal(std::function<void(T*)> step) {
    QTimer::singleShot(0, [step] {
        if (!QTest::qWaitFor([] { return Modal<T>() != nullptr; })) {
            while (auto* d = Modal<QDialog>()) d->reject();
            QFAIL("the expected dialog did not open");
        }
        step(Modal<T>());
    });
}

}  // namespace velt::testing
