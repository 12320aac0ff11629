#include "base/logrules.h"

#include <QLoggingCategory>

void installLogRules()
{
    QLoggingCategory::setFilterRules(QStringLiteral("qrd7700.*.debug=false\n"
                                                    "qt.webenginecontext.info=false"));
}
