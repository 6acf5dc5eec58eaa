#include "common/safe_save.h"

#include <QSaveFile>

#include <cerrno>

bool SafeSave::Commit(QSaveFile& file, QString* error)
{
    const auto fail = [&file, error](const QString& reason) {
        if (error)
            *error = reason;
        file.cancelWriting();
        return false;
    };
    if (!file.isOpen())
        return fail(file.errorString());
    errno = 0;
    if (!file.flush() || file.error() != QFileDevice::NoError) {
        // The system's own words: Qt's may be "Unknown error" here.
        const int code = errno;
        return fail(code != 0 ? qt_error_string(code) : file.errorString());
    }
    errno = 0;
    if (file.commit())
        return true;
    // When the final rename fails (for example, no room for the name beside
    // the target), QSaveFile gives no reason of its own.
    const int code = errno;
    const bool unexplained =
        file.error() == QFileDevice::UnspecifiedError || file.error() == QFileDevice::RenameError;
    if (error)
        *error = unexplained && code != 0 ? qt_error_string(code) : file.errorString();
    return false;
}
