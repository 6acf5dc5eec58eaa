#include "setup/c_listening_mode_page.h"

#include "setup/c_speaker_page.h"
#include "setup/setup_controls.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>

using SetupControls::Chosen;
using SetupControls::NewList;
using SetupControls::Select;

CListeningModePage::CListeningModePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("listeningModePage"));
    setAccessibleName(Title());

    auto* proLogic = new QGroupBox(QStringLiteral("Pro Logic II Music Mode"), this);
    proLogic->setObjectName(QStringLiteral("proLogicGroup"));
    dimension = NewList(proLogic, QStringLiteral("dimension"), QStringLiteral("Dimension"),
                        {QStringLiteral("-3"), QStringLiteral("-2"), QStringLiteral("-1"),
                         QStringLiteral("0"), QStringLiteral("+1"), QStringLiteral("+2"),
                         QStringLiteral("+3")});
    centerWidth =
        NewList(proLogic, QStringLiteral("centerWidth"), QStringLiteral("Center Width"),
                SetupControls::ItemTexts(ListeningModeFields::CenterWidthCount,
                                         [](int width) { return QString::number(width); }));
    panorama = NewList(proLogic, QStringLiteral("panorama"), QStringLiteral("Panorama"),
                       {QStringLiteral("Off"), QStringLiteral("On")});
    auto* proLogicLayout = new QFormLayout(proLogic);
    proLogicLayout->addRow(QStringLiteral("Dimension:"), dimension);
    proLogicLayout->addRow(QStringLiteral("Center Width:"), centerWidth);
    proLogicLayout->addRow(QStringLiteral("Panorama:"), panorama);

    neo6Group = new QGroupBox(QStringLiteral("NEO:6 Music Mode"), this);
    neo6Group->setObjectName(QStringLiteral("neo6Group"));
    centerGain = NewList(neo6Group, QStringLiteral("centerGain"), QStringLiteral("Center Gain"),
                         {QStringLiteral("0.0"), QStringLiteral("0.1"), QStringLiteral("0.2"),
                          QStringLiteral("0.3"), QStringLiteral("0.4"), QStringLiteral("0.5")});
    auto* neo6Layout = new QFormLayout(neo6Group);
    neo6Layout->addRow(QStringLiteral("Center Gain:"), centerGain);

    enhancedStereo1Group = NewEnhancedStereoGroup(1, enhancedStereo1);
    enhancedStereo2Group = NewEnhancedStereoGroup(2, enhancedStereo2);

    auto* layout = new QGridLayout(this);
    layout->addWidget(proLogic, 0, 0);
    layout->addWidget(neo6Group, 1, 0);
    layout->addWidget(enhancedStereo1Group, 0, 1, 2, 1, Qt::AlignTop);
    layout->addWidget(enhancedStereo2Group, 0, 2, 2, 1, Qt::AlignTop);
    layout->setRowStretch(2, 1);
    layout->setColumnStretch(3, 1);

    Load(fields, flags);
}

QGroupBox* CListeningModePage::NewEnhancedStereoGroup(int number, ChannelLists& lists)
{
    const QString title = QStringLiteral("Enhanced Stereo %1").arg(number);
    auto* group = new QGroupBox(title, this);
    group->setObjectName(QStringLiteral("enhancedStereo%1Group").arg(number));
    static constexpr std::array<const char*, ListeningModeFields::ChannelCount> channels = {
        "Front", "Center", "Surround", "Back"};
    auto* form = new QFormLayout(group);
    for (std::size_t i = 0; i < channels.size(); ++i) {
        const QString channel = QString::fromLatin1(channels[i]);
        // Both groups have the same labels: the accessible name says which.
        lists[i] = NewList(group, QStringLiteral("enhancedStereo%1%2").arg(number).arg(channel),
                           title + u' ' + channel, {QStringLiteral("Off"), QStringLiteral("On")});
        form->addRow(channel + u':', lists[i]);
    }
    return group;
}

QString CListeningModePage::Title()
{
    return QStringLiteral("Listening Modes");
}

void CListeningModePage::Load(const ListeningModeFields& loaded, const SetupFlags& unitFlags)
{
    fields = loaded;
    flags = unitFlags;
    Select(dimension, fields.dimension);
    Select(centerWidth, fields.centerWidth);
    Select(panorama, fields.panorama);
    Select(centerGain, fields.centerGain);
    for (std::size_t i = 0; i < enhancedStereo1.size(); ++i) {
        Select(enhancedStereo1[i], fields.enhancedStereo1[i]);
        Select(enhancedStereo2[i], fields.enhancedStereo2[i]);
    }
    neo6Group->setVisible(flags.neo6CenterGain);
    enhancedStereo1Group->setVisible(flags.newFirmware);
    enhancedStereo2Group->setVisible(flags.newFirmware);
    ApplyAvailability();
}

ListeningModeFields CListeningModePage::Fields() const
{
    ListeningModeFields result = fields;
    result.dimension = Chosen(dimension, result.dimension);
    result.centerWidth = Chosen(centerWidth, result.centerWidth);
    result.panorama = Chosen(panorama, result.panorama);
    // Hidden lists hold what was loaded: absent fields stay -1.
    if (flags.neo6CenterGain)
        result.centerGain = Chosen(centerGain, result.centerGain);
    if (flags.newFirmware) {
        for (std::size_t i = 0; i < enhancedStereo1.size(); ++i) {
            result.enhancedStereo1[i] = Chosen(enhancedStereo1[i], result.enhancedStereo1[i]);
            result.enhancedStereo2[i] = Chosen(enhancedStereo2[i], result.enhancedStereo2[i]);
        }
    }
    return result;
}

void CListeningModePage::SetSpeakerPage(const CSpeakerPage* page)
{
    speakerPage = page;
}

void CListeningModePage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ApplyAvailability();
}

void CListeningModePage::ApplyAvailability()
{
    std::array<bool, ListeningModeFields::ChannelCount> switchable{true, true, true, true};
    if (speakerPage)
        switchable = ListeningModeFields::SwitchableChannels(speakerPage->Fields());
    for (std::size_t i = 0; i < switchable.size(); ++i) {
        enhancedStereo1[i]->setEnabled(switchable[i]);
        enhancedStereo2[i]->setEnabled(switchable[i]);
    }
}
