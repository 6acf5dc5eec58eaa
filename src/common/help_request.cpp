#include "common/help_request.h"

namespace {

HelpRequest::Handler& CurrentHandler()
{
    static HelpRequest::Handler handler;
    return handler;
}

} // namespace

void HelpRequest::Install(Handler handler)
{
    CurrentHandler() = std::move(handler);
}

void HelpRequest::Show(const QString& topic)
{
    if (const Handler& handler = CurrentHandler())
        handler(topic);
}
