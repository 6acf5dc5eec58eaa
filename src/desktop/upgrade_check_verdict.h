#pragma once

#include <QString>
#include <QUrl>

class UpgradeCheckFile;

// The upgrade check's message texts in the message table.
namespace UpgradeMessage {
inline constexpr int NewVersion = 17120; // asks whether to open the download page
inline constexpr int LocalNewer = 17121;
inline constexpr int Latest = 17122;
inline constexpr int NoInformation = 17123;
inline constexpr int NoConnection = 17124;
inline constexpr int AddressRefused = 17125; // %1 the refused address
inline constexpr int OpenFailed = 17126;     // %1 the address
} // namespace UpgradeMessage

// What the upgrade check tells the user, decided from what the server gave
// and the program's own version. Only a NewerAvailable verdict offers to
// open a page, and its downloadUrl is always a web address.
class UpgradeCheckVerdict
{
public:
    enum class Kind
    {
        NewerAvailable, // ask; on Yes open downloadUrl
        Latest,
        LocalNewer,
        NoInformation,  // no file, or a file without a version
        NoConnection,   // the server could not be reached or did not answer in time
        AddressRefused, // newer, but the file names an address that is no web page
    };

    Kind kind = Kind::NoInformation;
    QString message; // the text shown, from the message table
    QUrl downloadUrl;

    // `server` gives the default download page when the file names none.
    static UpgradeCheckVerdict FromFile(const UpgradeCheckFile& file, int ownMajor, int ownMinor,
                                        const QUrl& server);
    static UpgradeCheckVerdict NoConnection();
    static UpgradeCheckVerdict NoInformation();
};
