#include "base/basBase.h"
// Provisional: replaced by the settings-file helpers.
namespace basBase {
QString ReadIniValue(const QString &, const QString &, const QString &) { return QString(); }
}
