#pragma once

#include "setup/setup_flags.h"
#include "setup/surround_mode_fields.h"

#include <QWidget>

#include <array>

class QComboBox;
class QLabel;

// The "Surround Modes" page of the Receiver Setup sheet, shown for an A/V
// preset in the place of the Input page: per input the surround mode for
// analog/PCM stereo, DTS, Dolby Digital 2-channel and other Dolby Digital
// signals. The lists follow the unit: PLIIx items on firmware v2.00 or
// later, two more Dolby Digital others items on a K220. The External row is
// never shown, but its codes are carried like the others.
//
// It only moves a SurroundModeFields record into its lists (Load) and out
// again (Fields); the record maps list indexes to codes.
class CSurrmodePage : public QWidget
{
    Q_OBJECT

public:
    explicit CSurrmodePage(QWidget* parent = nullptr);

    static QString Title();

    void Load(const SurroundModeFields& fields, const SetupFlags& flags);
    // The loaded record with the lists' indexes moved in; a list without a
    // selection gives back the loaded index.
    SurroundModeFields Fields() const;

private:
    struct RowControls
    {
        QLabel* label = nullptr;
        QComboBox* stereo = nullptr;
        QComboBox* dts = nullptr;
        QComboBox* dolbyTwoChannel = nullptr;
        QComboBox* dolbyOthers = nullptr;
    };

    std::array<RowControls, SurroundModeFields::InputCount> rows;
    SurroundModeFields loaded;
};
