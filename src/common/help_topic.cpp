#include "common/help_topic.h"

#include <array>

namespace {

constexpr const char* ResourceFolder = "qrc:/veltrix/help/";
constexpr const char* ContentsPage = "index.html";

struct Alias
{
    const char* name; // as the windows ask for it
    const char* page; // the program's page
};

constexpr std::array<Alias, 3> Aliases{{
    {"Veltrix-setup_102.html", "setup.html"},
    {"Veltrix-preset.html", "presets.html"},
    {"Veltrix-options.html", "options.html"},
}};

constexpr std::array<const char*, 9> OwnPages{
    "index.html", "connecting.html", "panel.html",   "setup.html",           "presets.html",
    "tuner.html", "files.html",      "options.html", "troubleshooting.html",
};

} // namespace

QUrl HelpTopic::PageUrl(const QString& page)
{
    return QUrl(QString::fromLatin1(ResourceFolder) + page);
}

QUrl HelpTopic::Resolve(const QString& topic)
{
    QString text = topic.trimmed();
    if (text.startsWith(QLatin1String("::/")))
        text.remove(0, 3);
    const qsizetype hash = text.indexOf(QLatin1Char('#'));
    const QString name = hash < 0 ? text : text.left(hash);
    const QString anchor = hash < 0 ? QString() : text.mid(hash + 1);

    QString page;
    for (const Alias& alias : Aliases) {
        if (name.compare(QLatin1String(alias.name), Qt::CaseInsensitive) == 0)
            page = QLatin1String(alias.page);
    }
    for (const char* own : OwnPages) {
        if (name.compare(QLatin1String(own), Qt::CaseInsensitive) == 0)
            page = QLatin1String(own);
    }
    if (page.isEmpty())
        return PageUrl(QLatin1String(ContentsPage));
    QUrl url = PageUrl(page);
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

QStringList HelpTopic::Topics()
{
    return {InputPage,         SpeakerPage,   LevelPage, AdvancedPage,
            SurroundModesPage, OptionsDialog, Contents};
}

QStringList HelpTopic::Pages()
{
    QStringList pages;
    for (const char* own : OwnPages)
        pages.append(QLatin1String(own));
    return pages;
}
