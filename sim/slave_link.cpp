#include "slave_link.h"

#include <QFile>
#include <QFileInfo>

bool SlaveLink::Make(const QString& target, QString* error)
{
    const QFileInfo info(linkPath);
    if (info.isSymLink()) {
        if (!QFile::remove(linkPath)) {
            if (error)
                *error = QStringLiteral("cannot replace the link %1").arg(linkPath);
            return false;
        }
    } else if (info.exists()) {
        if (error)
            *error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it")
                         .arg(linkPath);
        return false;
    }
    if (!QFile::link(target, linkPath)) {
        if (error)
            *error = QStringLiteral("cannot create the link %1").arg(linkPath);
        return false;
    }
    madeTarget = target;
    return true;
}

void SlaveLink::Remove()
{
    if (madeTarget.isEmpty())
        return;
    const QFileInfo info(linkPath);
    if (info.isSymLink() && info.symLinkTarget() == madeTarget)
        QFile::remove(linkPath);
    madeTarget.clear();
}
