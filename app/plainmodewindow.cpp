#include "app/plainmodewindow.h"

#include "app/suitelink.h"

#include <QLabel>
#include <QVBoxLayout>

PlainModeWindow::PlainModeWindow(const QString &title, QWidget *parent)
    : QWidget(parent, Qt::FramelessWindowHint)
{
    setWindowTitle(title);
    setFixedSize(640, 360);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(9, 9, 9));
    pal.setColor(QPalette::WindowText, QColor(220, 220, 220));
    setPalette(pal);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(title, this), 0, Qt::AlignCenter);
}

PlainModeWindow::~PlainModeWindow()
{
    if (returnToSuite)
        SuiteLink::returnToSuite();
}
