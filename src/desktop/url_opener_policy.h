#pragma once

class QUrl;

// Which addresses the program hands to the desktop to open: web pages only.
// An address that comes from outside (the upgrade information, a help page)
// could otherwise name a local file, a program or a script, which the
// desktop would open or run just as readily.
class UrlOpenerPolicy
{
public:
    // True for an absolute http or https address with a host.
    static bool IsWebAddress(const QUrl& url);
};
