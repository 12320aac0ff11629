#pragma once

#include <QString>

// Resource paths of the program's images.
namespace Gfx {

// ":/gfx_r/2012/<name>", the folder every skin image lives in.
QString path(const QString &name);

} // namespace Gfx
