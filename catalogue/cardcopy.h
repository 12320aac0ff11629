#pragma once

#include <QString>

// A copy of the recorder's card kept on a hard disk: a folder that holds the card's REC or EVENT
// folder. Such a folder is opened like the card itself (searched through all its sub-folders, its
// REC and EVENT folders as the categories, its own update/version.txt naming the recorder).
namespace CardCopy {

// True when `folder` holds a real (not linked) sub-folder named exactly REC or EVENT.
bool isCardCopy(const QString &folder);

// The innermost folder that is a card copy among `path` and the folders above it; null when none.
QString rootOf(const QString &path);

} // namespace CardCopy
