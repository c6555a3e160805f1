// File check of basBase: whether a path names an existing entry that is no folder.

#include "suiteframe/base/basBase.h"

#include "suiteframe/base/failure.h"

#include <QFile>

#include <sys/stat.h>

namespace basBase {

bool FileExists(const platform::Value &path)
{
    bool exists = false;
    failure::skip([&] {
        const QString text = path.toText();
        const QByteArray name = QFile::encodeName(text);
        struct stat attributes;
        if (!text.isEmpty() && !text.contains(QChar(0))
            && ::stat(name.constData(), &attributes) == 0)
            exists = !S_ISDIR(attributes.st_mode);
    });
    return exists;
}

} // namespace basBase
