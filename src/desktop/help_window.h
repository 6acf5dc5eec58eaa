#pragma once

#include <QWidget>

class QShortcut;
class QTextBrowser;
class QToolButton;
class QUrl;

// The program's help: one window, "Veltrix PC Interface Help", that shows
// the help pages built into the program with Contents, Back and Forward.
// Links between the pages and to their anchors are followed in the window;
// web links open in the browser through UrlOpener; other links do nothing.
//
// Show opens the window at a topic (HelpTopic), raising it when it is open
// already. The window is not modal; it belongs to no other window, except
// to a modal dialog open at the time, and is deleted when closed.
class HelpWindow : public QWidget
{
    Q_OBJECT

public:
    // Makes this window the answer to every HelpRequest.
    static void Install();
    static void Show(const QString& topic);
    // F1 anywhere within `widget` (a page, a dialog) shows `topic`.
    static QShortcut* ShowOnF1(QWidget& widget, const QString& topic);
    // The open window, or nullptr.
    static HelpWindow* Instance();

    QTextBrowser* Browser() const { return browser; }
    void ShowTopic(const QString& topic);

private:
    HelpWindow();
    void FollowLink(const QUrl& url);

    QTextBrowser* browser = nullptr;
    QToolButton* back = nullptr;
    QToolButton* forward = nullptr;
};
