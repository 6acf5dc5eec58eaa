#pragma once

class QUrl;

// Opens web addresses in the user's browser. Every page the program opens
// (the download page, the maker's site, a link in the help) goes through
// OpenWebAddress, which refuses anything but http and https. Tests install
// an opener of their own that records instead of starting a browser.
class UrlOpener
{
public:
    virtual ~UrlOpener();

    // False for an address that is no web page (nothing is opened) and when
    // the desktop could not open it.
    static bool OpenWebAddress(const QUrl& url);

    // The opener OpenWebAddress uses from now on; nullptr restores the
    // desktop's. The caller keeps ownership and uninstalls before deleting.
    static void Install(UrlOpener* opener);

protected:
    // Called with web addresses only. The default hands the address to the
    // desktop (QDesktopServices).
    virtual bool Open(const QUrl& url);
};
