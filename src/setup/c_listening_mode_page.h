#pragma once

#include "setup/listening_mode_fields.h"
#include "setup/setup_flags.h"

#include <QPointer>
#include <QWidget>

#include <array>

class CSpeakerPage;
class QComboBox;
class QGroupBox;

// The "Listening Modes" page: the Pro Logic II music mode, the NEO:6 music
// mode's center gain (v1.23 on) and the channels of the two Enhanced Stereo
// modes (v2.00 on). Which Enhanced Stereo channels can be switched follows
// the Speaker page, re-read every time this page is shown.
//
// Load moves a record into the controls; Fields gives it back with the
// controls' values moved in. A list showing no selection (an unknown code)
// leaves its field as loaded; a disabled list keeps its value. The page sets
// no modified mark.
class CListeningModePage : public QWidget
{
    Q_OBJECT

public:
    explicit CListeningModePage(QWidget* parent = nullptr);

    static QString Title();

    void Load(const ListeningModeFields& fields, const SetupFlags& flags);
    ListeningModeFields Fields() const;
    // As CLevelPage::SetSpeakerPage; none means every channel can be switched.
    void SetSpeakerPage(const CSpeakerPage* page);

protected:
    void showEvent(QShowEvent* event) override;

private:
    using ChannelLists = std::array<QComboBox*, ListeningModeFields::ChannelCount>;

    QGroupBox* NewEnhancedStereoGroup(int number, ChannelLists& lists);
    void ApplyAvailability();

    ListeningModeFields fields;
    SetupFlags flags;
    QPointer<const CSpeakerPage> speakerPage;

    QComboBox* dimension = nullptr;
    QComboBox* centerWidth = nullptr;
    QComboBox* panorama = nullptr;
    QComboBox* centerGain = nullptr;
    QGroupBox* neo6Group = nullptr;
    QGroupBox* enhancedStereo1Group = nullptr;
    QGroupBox* enhancedStereo2Group = nullptr;
    ChannelLists enhancedStereo1{};
    ChannelLists enhancedStereo2{};
};
