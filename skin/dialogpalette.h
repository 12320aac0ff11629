#pragma once

#include <QPalette>
#include <QStringList>

class QWidget;

// The skin's dark colours for the program's standard dialogs (message boxes, file, print and folder
// choosers), so that they match the skinned windows instead of the desktop's light theme. The
// skinned dialogs paint themselves and keep their own look.
namespace DialogPalette {

// Near-black backgrounds and the skin's light grey text, with contrast enough to read any script.
QPalette palette();

// Qt's standard dialogs whose look follows palette().
QStringList standardDialogClasses();

// Gives palette() to every widget of the standard dialog classes and of `moreClasses` (class names
// as QObject::inherits() knows them), their children included. Call after the application object
// exists and before the dialogs are made.
void apply(const QStringList &moreClasses = {});

// Gives palette() to `dialog` and every widget in it now. For a dialog over a window with a style
// sheet: the sheet reaches the dialog's widgets, and a widget a sheet styles takes the desktop's
// colours instead of its dialog's, so that the sheet's light text would land on light buttons.
void applyTo(QWidget *dialog);

} // namespace DialogPalette
