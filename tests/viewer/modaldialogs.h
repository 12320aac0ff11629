#pragma once

// Answering the viewer's modal dialogs from a test, as a user would.
#include <QApplication>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QStringList>
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

// Answers every message box as soon as it shows and keeps its text, so that a test can tell that
// none came (or which did) without a box stopping it.
class MessageBoxRecorder
{
public:
    MessageBoxRecorder()
    {
        QObject::connect(&m_timer, &QTimer::timeout, &m_timer, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                m_texts << box->text();
                box->accept();
            }
        });
        m_timer.start(20);
    }
    const QStringList &texts() const { return m_texts; }
    void clear() { m_texts.clear(); }

private:
    QTimer m_timer;
    QStringList m_texts;
};
