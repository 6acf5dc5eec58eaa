// Feeds arbitrary bytes to the upgrade check's reader of the maker's version
// file, as a wrong page, a proxy's error page or a damaged download would
// arrive. What it reads must be in range and say the same when written back
// as a version file and read again.

#include "desktop/upgrade_check_file.h"

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    InputDevice device(InputBytes(data, size));
    const UpgradeCheckFile file = UpgradeCheckFile::Parse(device);
    Require(file.major >= 0 && file.major <= 9999 && file.minor >= 0 && file.minor <= 9999);
    Require(file.hasVersion || (file.major == 0 && file.minor == 0));
    Require(!file.downloadUrl.contains(QLatin1Char('\n')) &&
            file.downloadUrl == file.downloadUrl.trimmed());

    QByteArray again;
    if (file.hasVersion)
        again += "k220version = " + QByteArray::number(file.major) + '.' +
                 QByteArray::number(file.minor) + "\r\n";
    if (!file.downloadUrl.isEmpty())
        again += "DOWNLOADURL=" + file.downloadUrl.toUtf8() + '\n';
    const UpgradeCheckFile reread = UpgradeCheckFile::Parse(again);
    Require(reread.hasVersion == file.hasVersion && reread.major == file.major &&
            reread.minor == file.minor && reread.downloadUrl == file.downloadUrl);

    // The order of versions is a total order: antisymmetric and reflexive.
    const int own = size > 0 ? data[0] : 0;
    Require(UpgradeCheckFile::Compare(file.major, file.minor, own / 16, own % 16) ==
            -UpgradeCheckFile::Compare(own / 16, own % 16, file.major, file.minor));
    Require(UpgradeCheckFile::Compare(file.major, file.minor, file.major, file.minor) == 0);
    return 0;
}
