#include "base/basBase.h"

#include "base/failure.h"

#include <QFile>

#include <sys/stat.h>

namespace basBase {

bool FileExists(const Value &path)
{
    bool exists = false;
    failure::skip([&] {
        const QByteArray name = QFile::encodeName(path.toText());
        struct stat attributes;
        if (!name.isEmpty() && ::stat(name.constData(), &attributes) == 0)
            exists = !S_ISDIR(attributes.st_mode);
    });
    return exists;
}

} // namespace basBase
