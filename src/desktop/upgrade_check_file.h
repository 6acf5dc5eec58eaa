#pragma once

#include <QString>

class QIODevice;

// The maker's version information file, as the upgrade check reads it: text
// lines of which two kinds count, every other line is ignored.
//
//   K220Version=1.05     the latest version, major.minor ("1.05" and "1.5"
//                         both mean 1 and 5; a bare "2" means 2.0)
//   DownloadURL=https://...   the download page
//
// A key counts only at the very start of its line and is compared ignoring
// case; its value is the text after the first "=", trimmed at both ends. Of
// several lines of one kind the last one wins, also when its value is not a
// version: the maker's last word then is that there is no usable version.
class UpgradeCheckFile
{
public:
    // Larger replies are not a version file; the checker stops reading there.
    static constexpr qint64 MaxSize = 64 * 1024;

    bool hasVersion = false;
    int major = 0;
    int minor = 0;
    QString downloadUrl; // empty when the file names none

    // Reads every line from the device's current position to its end.
    static UpgradeCheckFile Parse(QIODevice& device);
    static UpgradeCheckFile Parse(const QByteArray& text);

    // A version value: one to four digits, optionally "." and one to four
    // more; anything else (signs, blanks inside, letters, "1.2.3") is false.
    static bool ParseVersion(const QString& value, int& major, int& minor);

    // Which of the two versions is newer: > 0 when (major, minor) is newer
    // than (ownMajor, ownMinor), < 0 when older, 0 when equal.
    static int Compare(int major, int minor, int ownMajor, int ownMinor);
};
