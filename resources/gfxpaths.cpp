#include "resources/gfxpaths.h"

namespace Gfx {

QString path(const QString &name)
{
    return QStringLiteral(":/gfx_r/2012/") + name;
}

} // namespace Gfx
