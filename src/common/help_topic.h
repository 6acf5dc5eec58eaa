#pragma once

#include <QLatin1String>
#include <QStringList>
#include <QUrl>

// The help topics the program's windows ask for, and where each is found
// among the help pages built into the program (resources/help). A topic is
// a page name with an optional "#anchor", optionally after "::/":
// "::/Veltrix-setup_102.html#speaker_setup". The names the windows use are
// mapped onto the program's own pages; a page of the program may also be
// named directly ("connecting.html#dialout").
class HelpTopic
{
public:
    static constexpr QLatin1String InputPage{"::/Veltrix-setup_102.html#input_settings"};
    static constexpr QLatin1String SpeakerPage{"::/Veltrix-setup_102.html#speaker_setup"};
    static constexpr QLatin1String LevelPage{"::/Veltrix-setup_102.html#level_setup"};
    static constexpr QLatin1String ListeningModesPage{"::/Veltrix-setup_102.html#listening_modes"};
    static constexpr QLatin1String AdvancedPage{"::/Veltrix-setup_102.html#advanced_setup"};
    static constexpr QLatin1String SurroundModesPage{"::/Veltrix-preset.html"};
    static constexpr QLatin1String OptionsDialog{"::/Veltrix-options.html#options"};
    // "Contents...": the first page.
    static constexpr QLatin1String Contents{""};

    // The resource address of a topic, with its anchor as the fragment. An
    // unknown page gives the contents page, so help never shows a blank.
    static QUrl Resolve(const QString& topic);

    // Every topic above, and every page of the program's help, for checks
    // that each one exists.
    static QStringList Topics();
    static QStringList Pages();
    static QUrl PageUrl(const QString& page);
};
