#include "setup/c_advanced_page.h"

#include "setup/setup_controls.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;
using SetupControls::Chosen;
using SetupControls::Select;

namespace {

const QStringList& OffOn()
{
    static const QStringList items = {u"Off"_s, u"On"_s};
    return items;
}

const QStringList& AutoOn()
{
    static const QStringList items = {u"Auto"_s, u"On"_s};
    return items;
}

QGroupBox* NewGroup(QWidget* parent, const QString& name, const QString& title)
{
    auto* box = new QGroupBox(title, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

CAdvancedPage::CAdvancedPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("advancedPage"));

    auto* zoneBox =
        NewGroup(this, QStringLiteral("zoneBox"), QStringLiteral("Secondary Zone Controls"));
    zoneForm = new QFormLayout(zoneBox);
    mainZoneDsp = AddList(zoneForm, QStringLiteral("mainZoneDsp"), QStringLiteral("Main/Zone DSP:"),
                          {u"7.1/Off"_s, u"5.1/2.0"_s});
    autoTrigger = AddList(zoneForm, QStringLiteral("autoTrigger"), QStringLiteral("Auto Trigger:"),
                          {u"Main"_s, u"Zone"_s, u"Both"_s});
    volumeControl = AddList(zoneForm, QStringLiteral("volumeControl"),
                            QStringLiteral("Volume control: "), {u"Fixed"_s, u"Variable"_s});
    relay = AddList(zoneForm, QStringLiteral("relay"), QStringLiteral("Relay: "),
                    {u"None"_s, u"Relay A"_s, u"Relay B"_s});

    osdBox = NewGroup(this, QStringLiteral("osdBox"), QStringLiteral("On Screen Display Options"));
    auto* osdForm = new QFormLayout(osdBox);
    background =
        AddList(osdForm, QStringLiteral("background"), QStringLiteral("Background:"), OffOn());
    temporaryOsd =
        AddList(osdForm, QStringLiteral("temporaryOsd"), QStringLiteral("Temporary OSD:"), OffOn());

    auto* surroundBox =
        NewGroup(this, QStringLiteral("surroundBox"), QStringLiteral("Surround Sound Modes"));
    surroundForm = new QFormLayout(surroundBox);
    surroundExMode = AddList(surroundForm, QStringLiteral("surroundExMode"),
                             QStringLiteral("Surround EX* Mode:"), AutoOn());
    dolbyDynamicRange = AddList(surroundForm, QStringLiteral("dolbyDynamicRange"),
                                QStringLiteral("Dolby Digital Dynamic Range:"),
                                {u"100%"_s, u"75%"_s, u"50%"_s, u"25%"_s});
    dtsEsMatrix = AddList(surroundForm, QStringLiteral("dtsEsMatrix"),
                          QStringLiteral("DTS-ES Matrix Mode:"), AutoOn());
    dtsDynamicRange = AddList(surroundForm, QStringLiteral("dtsDynamicRange"),
                              QStringLiteral("DTS Dynamic Range Control:"), OffOn());
    auto* note = new QLabel(QStringLiteral("*This applies to units without PLIIx"), this);
    note->setObjectName(QStringLiteral("pliixNote"));

    presetBox =
        NewGroup(this, QStringLiteral("presetBox"), QStringLiteral("Rename Current Preset"));
    auto* presetForm = new QFormLayout(presetBox);
    presetName =
        SetupControls::NewNameBox(presetBox, QStringLiteral("presetName"),
                                  QStringLiteral("Preset name:"), AdvancedFields::PresetNameLength);
    presetForm->addRow(presetName->accessibleName(), presetName);

    // Zone and display options on the left, the decoder options with their
    // note on the right, the preset name beneath.
    auto* layout = new QGridLayout(this);
    layout->addWidget(zoneBox, 0, 0);
    layout->addWidget(osdBox, 1, 0);
    layout->addWidget(surroundBox, 0, 1);
    layout->addWidget(note, 1, 1, Qt::AlignTop);
    layout->addWidget(presetBox, 2, 0, 1, 2);
    layout->setRowStretch(3, 1);
}

QComboBox* CAdvancedPage::AddList(QFormLayout* form, const QString& name, const QString& label,
                                  const QStringList& items)
{
    QComboBox* list = SetupControls::NewList(form->parentWidget(), name, label, items);
    form->addRow(label, list);
    return list;
}

QString CAdvancedPage::Title()
{
    return QStringLiteral("Advanced");
}

void CAdvancedPage::Load(const AdvancedFields& fields, const SetupFlags& setupFlags)
{
    loaded = fields;
    flags = setupFlags;
    Select(mainZoneDsp, fields.mainZoneDsp);
    Select(autoTrigger, fields.autoTrigger);
    Select(volumeControl, fields.volumeControl);
    Select(relay, fields.relay);
    Select(background, fields.background);
    Select(temporaryOsd, fields.temporaryOsd);
    Select(surroundExMode, fields.surroundExMode);
    Select(dolbyDynamicRange, fields.dolbyDynamicRange);
    Select(dtsEsMatrix, fields.dtsEsMatrix);
    Select(dtsDynamicRange, fields.dtsDynamicRange);
    presetName->setText(fields.presetName);

    // No zone volume control (older firmware): neither it nor the relay.
    const bool zoneVolume = fields.volumeControl != -1;
    zoneForm->setRowVisible(volumeControl, zoneVolume);
    zoneForm->setRowVisible(relay, zoneVolume);
    dtsDynamicRange->setEnabled(flags.dtsDynamicRange);
    surroundForm->labelForField(dtsDynamicRange)->setEnabled(flags.dtsDynamicRange);
    // Below v1.20 the unit has no temporary display: its bit is never stored.
    temporaryOsd->setEnabled(flags.temporaryOsd);
    presetBox->setVisible(AdvancedFields::ShowsPresetName(flags));
    osdBox->setVisible(AdvancedFields::ShowsOsdOptions(flags));
}

AdvancedFields CAdvancedPage::Fields() const
{
    AdvancedFields fields = loaded;
    fields.mainZoneDsp = Chosen(mainZoneDsp, loaded.mainZoneDsp);
    fields.autoTrigger = Chosen(autoTrigger, loaded.autoTrigger);
    fields.volumeControl = Chosen(volumeControl, loaded.volumeControl);
    fields.relay = Chosen(relay, loaded.relay);
    fields.background = Chosen(background, loaded.background);
    fields.temporaryOsd = Chosen(temporaryOsd, loaded.temporaryOsd);
    fields.surroundExMode = Chosen(surroundExMode, loaded.surroundExMode);
    fields.dolbyDynamicRange = Chosen(dolbyDynamicRange, loaded.dolbyDynamicRange);
    fields.dtsEsMatrix = Chosen(dtsEsMatrix, loaded.dtsEsMatrix);
    if (flags.dtsDynamicRange)
        fields.dtsDynamicRange = Chosen(dtsDynamicRange, loaded.dtsDynamicRange);
    if (AdvancedFields::HasPresetName(flags))
        fields.presetName = presetName->text();
    return fields;
}
