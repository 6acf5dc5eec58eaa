#pragma once

#include "setup/advanced_fields.h"
#include "setup/setup_flags.h"

#include <QWidget>

class QComboBox;
class QFormLayout;
class QGroupBox;
class QLabel;
class QLineEdit;

// The "Advanced" page of the Receiver Setup sheet, shown for the current
// setup and every A/V preset: secondary-zone, on-screen display and decoder
// options, and the preset's name. It only moves an AdvancedFields record
// into its controls (Load) and out again (Fields).
class CAdvancedPage : public QWidget
{
    Q_OBJECT

public:
    explicit CAdvancedPage(QWidget* parent = nullptr);

    static QString Title();

    void Load(const AdvancedFields& fields, const SetupFlags& flags);
    // The loaded record with the controls' values moved in; a list without
    // a selection gives back the loaded code.
    AdvancedFields Fields() const;

private:
    QComboBox* AddList(QFormLayout* form, const QString& name, const QString& label,
                       const QStringList& items);

    QComboBox* mainZoneDsp = nullptr;
    QComboBox* autoTrigger = nullptr;
    QComboBox* volumeControl = nullptr;
    QComboBox* relay = nullptr;
    QComboBox* background = nullptr;
    QComboBox* temporaryOsd = nullptr;
    QComboBox* surroundExMode = nullptr;
    QComboBox* dolbyDynamicRange = nullptr;
    QComboBox* dtsEsMatrix = nullptr;
    QComboBox* dtsDynamicRange = nullptr;
    QLineEdit* presetName = nullptr;
    QFormLayout* zoneForm = nullptr;
    QFormLayout* surroundForm = nullptr;
    QGroupBox* osdBox = nullptr;
    QGroupBox* presetBox = nullptr;

    AdvancedFields loaded;
    SetupFlags flags;
};
