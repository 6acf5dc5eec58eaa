#pragma once

#include "setup/setup_flags.h"
#include "setup/speaker_fields.h"

#include <QWidget>

class QCheckBox;
class QComboBox;

// The "Speaker Setup" page: speaker sizes, back count, distances with their
// unit, subwoofer and crossover, Enhanced Bass. It keeps the choices
// consistent with SpeakerFields' rules while the user edits.
//
// Load moves a record into the controls and applies the rules (which counts
// as no change); Fields gives the record back with the controls' values
// moved in. A list showing no selection (an unknown code in the block) leaves
// its field as loaded. The Levels and Listening Modes pages read Fields
// whenever they are shown.
class CSpeakerPage : public QWidget
{
    Q_OBJECT

public:
    explicit CSpeakerPage(QWidget* parent = nullptr);

    static QString Title();

    void Load(const SpeakerFields& fields, const SetupFlags& flags);
    SpeakerFields Fields() const;
    int FrontSize() const { return Fields().frontSize; }

    // The user changed a control since the last Load.
    bool IsModified() const { return modifiedMark; }

    // A distance list item: index 0..39 as " 1 ft" .. "40 ft" or
    // " 0.3 m" .. "12.0 m"; any unit but metres shows feet.
    static QString DistanceText(int index, int unit);

Q_SIGNALS:
    void modified();

private:
    void CreateControls();
    void LayOut();
    void ReadControls(SpeakerFields& target) const;
    void ShowFields();
    void ApplyRules();
    void SelectionChanged();
    void UnitChanged();
    void FillDistances(int unit);
    void MarkModified();

    SpeakerFields fields;
    SetupFlags flags;
    bool modifiedMark = false;

    QComboBox* frontSize = nullptr;
    QComboBox* center = nullptr;
    QComboBox* surround = nullptr;
    QComboBox* back = nullptr;
    QComboBox* backCount = nullptr;
    QComboBox* frontDistance = nullptr;
    QComboBox* centerDistance = nullptr;
    QComboBox* surroundDistance = nullptr;
    QComboBox* backDistance = nullptr;
    QComboBox* distanceUnit = nullptr;
    QComboBox* subwooferSwitch = nullptr;
    QComboBox* crossover = nullptr;
    QComboBox* subwooferCombined = nullptr;
    QCheckBox* enhancedBass = nullptr;
};
