#pragma once

#include "setup/level_fields.h"
#include "setup/setup_flags.h"

#include <QPointer>
#include <QWidget>

#include <array>

class CSpeakerPage;
class QComboBox;
class QGridLayout;
class QLabel;

// The "Levels" page: the level of each speaker channel, bass and treble. The
// level lists stand around a picture of the listener seen from above, each
// where its speaker would stand. Which lists are usable follows the Speaker
// page, re-read every time this page is shown and after every change here.
//
// Load moves a record into the controls; Fields gives it back with the
// controls' values moved in. A list showing no selection (an unknown code)
// leaves its field as loaded; a disabled list keeps its value.
class CLevelPage : public QWidget
{
    Q_OBJECT

public:
    // The listener picture among the program's resources.
    static constexpr const char* PicturePath = ":/veltrix/pictures/listener.png";

    explicit CLevelPage(QWidget* parent = nullptr);

    static QString Title();

    void Load(const LevelFields& fields, const SetupFlags& flags);
    LevelFields Fields() const;
    // The page whose speaker fields decide what is usable here; none means
    // every list is usable. The page must outlive its use or be destroyed
    // first (it is tracked, so a destroyed page counts as none).
    void SetSpeakerPage(const CSpeakerPage* page);

    bool IsModified() const { return modifiedMark; }

    // List items: levels "-12 dB" .. "0 dB" .. "+12 dB"; bass and treble
    // "-10 dB" .. " 0 dB" .. "+10 dB".
    static QString LevelText(int index);
    static QString ToneText(int index);

Q_SIGNALS:
    void modified();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SelectionChanged();
    void ApplyAvailability();
    void PlaceBack(bool pair);

    LevelFields fields;
    SetupFlags flags;
    QPointer<const CSpeakerPage> speakerPage;
    bool modifiedMark = false;

    QGridLayout* stage = nullptr;
    QLabel* picture = nullptr;
    // Per channel (LevelFields::Channel): the label and list, held together
    // in a cell so the back cells move as one.
    std::array<QWidget*, LevelFields::ChannelCount> cells{};
    std::array<QLabel*, LevelFields::ChannelCount> labels{};
    std::array<QComboBox*, LevelFields::ChannelCount> levels{};
    QComboBox* bass = nullptr;
    QComboBox* treble = nullptr;
};
