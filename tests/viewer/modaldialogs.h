#pragma once

// Answering the viewer's modal dialogs from a test, as a user would.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include <functional>

// Answers the next modal dialog of type T with `act`, on the event loop the dialog runs.
template <typename T>
void answerNextModal(std::function<void(T *)> act)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(dialog);
        }
    });
    timer->start();
}

// Picks `text` from the next popup menu with the keyboard, as a user would; `entries` receives the
// menu's entries.
inline void chooseFromNextMenu(const QString &text, QStringList *entries = nullptr)
{
    auto *timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, text, entries] {
        auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        timer->deleteLater();
        QAction *wanted = nullptr;
        for (QAction *action : menu->actions()) {
            if (action->isSeparator())
                continue;
            if (entries)
                *entries << action->text();
            if (action->text() == text)
                wanted = action;
        }
        if (!wanted) {
            menu->close();
            return;
        }
        menu->setActiveAction(wanted);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    timer->start();
}

// Types a file name into a file dialog and presses its accept button.
inline void typeFileName(QFileDialog *dialog, const QString &path)
{
    auto *edit = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
    QVERIFY(edit);
    edit->setText(path);
    static_cast<QDialog *>(dialog)->accept();
}
