// Handles the next modal window of a given type from a timer, so a test can
// answer the file dialogs and message boxes that a slot opens and waits on.
#pragma once

#include <QApplication>
#include <QTimer>
#include <QWidget>

template<typename Window, typename Handler>
void whenModal(Handler handle)
{
    auto *timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, handle, polls = 0]() mutable {
        QWidget *modal = QApplication::activeModalWidget();
        auto *window = qobject_cast<Window *>(modal);
        // Gives up after a while, closing whatever is open, so a test whose
        // window never comes fails instead of hanging.
        if (!window && ++polls < 2000)
            return;
        timer->stop();
        timer->deleteLater();
        if (window)
            handle(window);
        else if (modal)
            modal->close();
    });
    timer->start();
}
