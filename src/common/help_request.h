#pragma once

#include <QString>

#include <functional>

// Help as a service. A window or page asks for a topic (HelpTopic) without
// knowing which window shows it; the desktop's help window answers once it
// has been installed as the handler (HelpWindow::Install, done by the
// application). Until then a request does nothing, so a feature built and
// tested on its own never opens a window it does not own.
class HelpRequest
{
public:
    using Handler = std::function<void(const QString& topic)>;

    // Replaces the handler; an empty one makes requests do nothing again.
    static void Install(Handler handler);
    static void Show(const QString& topic);
};
