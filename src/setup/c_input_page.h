#pragma once

#include "setup/input_fields.h"
#include "setup/setup_flags.h"

#include <QWidget>

#include <array>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

// The "Input Settings" page of the Receiver Setup sheet, shown for the
// current setup: per input its name, connectors, triggers and analog gain.
// Which columns exist follows the unit (SetupFlags): the analog gain on the
// extended layout, the video format on the "V" models, trigger lists or
// check boxes with two trigger sources by firmware.
//
// The page only moves an InputFields record into its controls (Load) and
// out again (Fields); the record holds the codes and the flow does the rest.
class CInputPage : public QWidget
{
    Q_OBJECT

public:
    explicit CInputPage(QWidget* parent = nullptr);

    static QString Title();

    void Load(const InputFields& fields, const SetupFlags& flags);
    // The loaded record with the controls' values moved in; a list without
    // a selection gives back the loaded code.
    InputFields Fields() const;

private:
    struct RowControls
    {
        QLineEdit* name = nullptr;
        QComboBox* video = nullptr;
        QComboBox* videoFormat = nullptr;
        QComboBox* analogAudio = nullptr;
        QComboBox* digitalAudio = nullptr;
        QComboBox* trigger1List = nullptr;
        QComboBox* trigger2List = nullptr;
        QCheckBox* trigger1Check = nullptr;
        QCheckBox* trigger2Check = nullptr;
        QComboBox* analogGain = nullptr;
    };

    void AddHeadings(QGridLayout* grid);
    // Creates, places and connects the controls of row `input`.
    void AddRow(QGridLayout* grid, int input);
    // The "Trigger 1/2 Source" lists beneath the grid, into triggerSources.
    void NewTriggerSources();
    // Refills row `input`'s format list after its Video choice changed.
    void VideoChosen(int input);
    void ApplyFormatList(int input, const InputFields::FormatList& list);

    std::array<RowControls, InputFields::InputCount> rows;
    QLabel* analogGainHeading = nullptr;
    QWidget* triggerSources = nullptr;
    QComboBox* trigger1Source = nullptr;
    QComboBox* trigger2Source = nullptr;

    InputFields loaded;
    SetupFlags flags;
};
