#pragma once

#include <QDialog>

class HyperlinkStatic;

// The modal "About Veltrix PC Interface" box: the program's icon and name,
// its version ("Version 1.04"), the models it supports, a link to the
// maker's web site, the copyright and trademark notices, and OK.
class AboutDlg : public QDialog
{
    Q_OBJECT

public:
    static constexpr const char* MakerSite = "www.orvane.com";

    AboutDlg(int versionMajor, int versionMinor, QWidget* parent = nullptr);

    // "Version %d.%02d".
    static QString VersionText(int versionMajor, int versionMinor);

    HyperlinkStatic* Link() const { return link; }

    // Runs the box modally over `parent` (the Help menu's and the tray
    // menu's "About...").
    static void Run(int versionMajor, int versionMinor, QWidget* parent);

private:
    HyperlinkStatic* link = nullptr;
};
