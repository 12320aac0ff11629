#pragma once

#include <QObject>

class QFileDialog;

// Widens the columns of Qt's own file dialog (size, type, date) to what they show, so that a
// longer date or a translated header is never cut off, and the dialog with them. An event filter
// on the application: every file dialog is fitted when it shows and whenever its folder has been
// read.
class FileDialogFit : public QObject
{
    Q_OBJECT

public:
    // Installs one filter on the application. Call after the application object exists.
    static void install();
    // Fits the columns of `dialog` now.
    static void fit(QFileDialog *dialog);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    using QObject::QObject;
};
