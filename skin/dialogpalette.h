#pragma once

#include <QPalette>
#include <QStringList>

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

} // namespace DialogPalette
