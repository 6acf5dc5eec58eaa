#include "panel/control_panel_form.h"

#include "model/live_presenter.h"
#include "panel/report_check_box.h"
#include "panel/report_radio_button.h"
#include "panel/spin_arrows.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace {

// Width of a value field that holds `chars` characters like "-oo dB".
constexpr int VolumeChars = 7;
constexpr int ToneChars = 6;
constexpr int SignalTypeChars = 14;
constexpr int FrequencyChars = 11;
constexpr int PresetChars = 4;
constexpr int RadioTextChars = 32; // of the 64 a station may send; the field scrolls

QString Latin(const char* text)
{
    return QString::fromLatin1(text);
}

QString Indexed(const char* stem, int index)
{
    return Latin(stem) + QString::number(index);
}

void FitChars(QLineEdit* field, int chars)
{
    const int text = field->fontMetrics().horizontalAdvance(QString(chars, u'0'));
    field->setFixedWidth(text + 2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 8);
}

// A value field; read-only ones show what the unit reported. `spoken` is
// its name for a screen reader.
QLineEdit* NewField(const QString& name, const QString& spoken, int chars, QWidget* parent,
                    bool editable = false)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
    field->setAccessibleName(spoken);
    field->setReadOnly(!editable);
    if (chars > 0)
        FitChars(field, chars);
    return field;
}

QLabel* NewLabel(const QString& text, const QString& name, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    return label;
}

ReportCheckBox* NewCheckBox(const QString& text, const QString& name, QWidget* parent)
{
    auto* box = new ReportCheckBox(text, parent);
    box->setObjectName(name);
    return box;
}

ReportRadioButton* NewRadio(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new ReportRadioButton(text, parent);
    button->setObjectName(name);
    return button;
}

QPushButton* NewButton(const QString& text, const QString& name, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

SpinArrows* NewSpin(const QString& name, const QString& spoken, QWidget* parent)
{
    auto* spin = new SpinArrows(parent);
    spin->setObjectName(name);
    spin->setAccessibleName(spoken);
    return spin;
}

// A field with its spin arrows hugging its right edge.
QHBoxLayout* FieldWithSpin(QLineEdit* field, SpinArrows* spin)
{
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    row->addWidget(field);
    row->addWidget(spin);
    row->addStretch(1);
    return row;
}

} // namespace

void ControlPanelForm::SetupUi(QMainWindow* mainWindow)
{
    window = mainWindow;
    auto* central = new QWidget(window);
    auto* layout = new QVBoxLayout(central);
    auto* groups = new QHBoxLayout;
    groups->addWidget(BuildMainGroup(), 0, Qt::AlignTop);
    auto* right = new QVBoxLayout;
    right->addWidget(BuildZoneGroup());
    right->addWidget(BuildTunerGroup());
    right->addStretch(1);
    groups->addLayout(right, 1);
    layout->addLayout(groups);
    BuildBottomRow(layout);
    window->setCentralWidget(central);
    BuildMenus();
}

void ControlPanelForm::BuildMenus()
{
    QMenuBar* bar = window->menuBar();
    fileMenu = bar->addMenu(QStringLiteral("&File"));
    exitAction = fileMenu->addAction(QStringLiteral("E&xit"));

    unitMenu = bar->addMenu(QStringLiteral("Unit"));
    unitMenu->setObjectName(QStringLiteral("unitMenu"));
    refreshAction = unitMenu->addAction(QStringLiteral("&Refresh"));
    refreshAction->setObjectName(QStringLiteral("refresh"));
    for (int k = 0; k <= AvPresetCount; ++k) {
        QAction* action = unitMenu->addAction(k == 0 ? QStringLiteral("Current &Setup...")
                                                     : QStringLiteral("A/V Setup %1...").arg(k));
        action->setObjectName(k == 0 ? QStringLiteral("currentSetup")
                                     : QStringLiteral("avSetup%1").arg(k));
        setupActions[static_cast<std::size_t>(k)] = action;
    }

    helpMenu = bar->addMenu(QStringLiteral("&Help"));
}

QGroupBox* ControlPanelForm::BuildMainGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Main"), window);
    group->setObjectName(QStringLiteral("mainGroup"));

    mainPower = NewCheckBox(QStringLiteral("Power"), QStringLiteral("mainPower"), group);
    mainMute = NewCheckBox(QStringLiteral("Mute"), QStringLiteral("mainMute"), group);
    speakersA = NewCheckBox(QStringLiteral("Speakers A"), QStringLiteral("speakersA"), group);
    speakersB = NewCheckBox(QStringLiteral("Speakers B"), QStringLiteral("speakersB"), group);
    auto* switches = new QHBoxLayout;
    for (ReportCheckBox* box : {mainPower, mainMute, speakersA, speakersB})
        switches->addWidget(box);
    switches->addStretch(1);

    auto* columns = new QHBoxLayout;
    columns->addLayout(BuildMainSources(group));
    columns->addSpacing(12);
    columns->addLayout(BuildSurroundModes(group));
    columns->addSpacing(12);
    columns->addLayout(BuildMainSettings(group));

    auto* layout = new QVBoxLayout(group);
    layout->addLayout(switches);
    layout->addLayout(columns);
    layout->addWidget(NewLabel(QStringLiteral("To rename an input, double click on its name."),
                               QStringLiteral("renameNote"), group));
    return group;
}

QVBoxLayout* ControlPanelForm::BuildMainSources(QGroupBox* group)
{
    auto* sources = new QVBoxLayout;
    for (int i = 0; i < InputCount; ++i) {
        mainSources[static_cast<std::size_t>(i)] = NewRadio(
            LivePresenter::DefaultCaption(i, LiveRoom::Main), Indexed("mainSource", i), group);
        sources->addWidget(mainSources[static_cast<std::size_t>(i)]);
    }
    sources->addSpacing(8);
    tapeMonitor = NewCheckBox(QStringLiteral("TAPE MONITOR"), QStringLiteral("tapeMonitor"), group);
    sources->addWidget(tapeMonitor);
    sources->addStretch(1);
    return sources;
}

QVBoxLayout* ControlPanelForm::BuildSurroundModes(QGroupBox* group)
{
    auto* surround = new QVBoxLayout;
    std::size_t next = 0;
    for (int mode = 0; mode < SurroundModeCount; ++mode) {
        if (mode == SurroundModeNone)
            continue;
        auto* button =
            NewRadio(LivePresenter::SurroundModeText(mode), Indexed("surround", mode), group);
        surroundModes[static_cast<std::size_t>(mode)] = button;
        surroundButtons[next++] = button;
        surround->addWidget(button);
    }
    surround->addStretch(1);
    return surround;
}

QGridLayout* ControlPanelForm::BuildMainSettings(QGroupBox* group)
{
    auto* volumeLabel =
        NewLabel(QStringLiteral("Volume:"), QStringLiteral("mainVolumeLabel"), group);
    mainVolume =
        NewField(QStringLiteral("mainVolume"), QStringLiteral("Main volume"), VolumeChars, group);
    mainVolumeSpin =
        NewSpin(QStringLiteral("mainVolumeSpin"), QStringLiteral("Main volume"), group);
    auto* signalLabel =
        NewLabel(QStringLiteral("Signal Type:"), QStringLiteral("signalTypeLabel"), group);
    signalType = NewField(QStringLiteral("signalType"), QStringLiteral("Signal type"),
                          SignalTypeChars, group);
    toneDefeat = NewCheckBox(QStringLiteral("Tone Defeat"), QStringLiteral("toneDefeat"), group);
    auto* bassLabel = NewLabel(QStringLiteral("Bass:"), QStringLiteral("bassLabel"), group);
    bass = NewField(QStringLiteral("bass"), QStringLiteral("Bass"), ToneChars, group);
    bassSpin = NewSpin(QStringLiteral("bassSpin"), QStringLiteral("Bass"), group);
    auto* trebleLabel = NewLabel(QStringLiteral("Treble:"), QStringLiteral("trebleLabel"), group);
    treble = NewField(QStringLiteral("treble"), QStringLiteral("Treble"), ToneChars, group);
    trebleSpin = NewSpin(QStringLiteral("trebleSpin"), QStringLiteral("Treble"), group);
    auto* recallLabel =
        NewLabel(QStringLiteral("Recall A/V Preset:"), QStringLiteral("recallLabel"), group);
    auto* storeLabel =
        NewLabel(QStringLiteral("Store A/V Preset:"), QStringLiteral("storeLabel"), group);
    mainLabels = {volumeLabel, signalLabel, recallLabel, bassLabel, trebleLabel, storeLabel};

    auto* recallRow = new QHBoxLayout;
    auto* storeRow = new QHBoxLayout;
    for (int n = 1; n <= AvPresetCount; ++n) {
        const std::size_t i = static_cast<std::size_t>(n - 1);
        recallButtons[i] = NewButton(QString::number(n), Indexed("recall", n), group);
        storeButtons[i] = NewButton(QString::number(n), Indexed("store", n), group);
        recallButtons[i]->setAccessibleName(QStringLiteral("Recall A/V Preset %1").arg(n));
        storeButtons[i]->setAccessibleName(QStringLiteral("Store A/V Preset %1").arg(n));
        for (QPushButton* b : {recallButtons[i], storeButtons[i]})
            b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
        recallRow->addWidget(recallButtons[i]);
        storeRow->addWidget(storeButtons[i]);
    }
    recallRow->addStretch(1);
    storeRow->addStretch(1);

    auto* settings = new QGridLayout;
    settings->addWidget(volumeLabel, 0, 0);
    settings->addLayout(FieldWithSpin(mainVolume, mainVolumeSpin), 0, 1);
    settings->addWidget(signalLabel, 1, 0);
    settings->addWidget(signalType, 1, 1);
    settings->setRowMinimumHeight(2, 8);
    settings->addWidget(toneDefeat, 3, 0, 1, 2);
    settings->addWidget(bassLabel, 4, 0);
    settings->addLayout(FieldWithSpin(bass, bassSpin), 4, 1);
    settings->addWidget(trebleLabel, 5, 0);
    settings->addLayout(FieldWithSpin(treble, trebleSpin), 5, 1);
    settings->setRowMinimumHeight(6, 8);
    settings->addWidget(recallLabel, 7, 0, 1, 2);
    settings->addLayout(recallRow, 8, 0, 1, 2);
    settings->addWidget(storeLabel, 9, 0, 1, 2);
    settings->addLayout(storeRow, 10, 0, 1, 2);
    settings->setRowStretch(11, 1);
    return settings;
}

QGroupBox* ControlPanelForm::BuildZoneGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Zone"), window);
    group->setObjectName(QStringLiteral("zoneGroup"));

    zonePower = NewCheckBox(QStringLiteral("Power"), QStringLiteral("zonePower"), group);
    zoneMute = NewCheckBox(QStringLiteral("Mute"), QStringLiteral("zoneMute"), group);
    auto* switches = new QHBoxLayout;
    switches->addWidget(zonePower);
    switches->addWidget(zoneMute);
    switches->addStretch(1);

    zoneVolumeLabel = NewLabel(QStringLiteral("Volume:"), QStringLiteral("zoneVolumeLabel"), group);
    zoneVolume =
        NewField(QStringLiteral("zoneVolume"), QStringLiteral("Zone volume"), VolumeChars, group);
    zoneVolumeSpin =
        NewSpin(QStringLiteral("zoneVolumeSpin"), QStringLiteral("Zone volume"), group);
    auto* volume = new QHBoxLayout;
    volume->addWidget(zoneVolumeLabel);
    volume->addLayout(FieldWithSpin(zoneVolume, zoneVolumeSpin), 1);

    // Two columns of five, in source order down the columns.
    auto* sources = new QGridLayout;
    constexpr int rows = InputCount / 2;
    for (int i = 0; i < InputCount; ++i) {
        auto* button = NewRadio(LivePresenter::DefaultCaption(i, LiveRoom::Zone),
                                Indexed("zoneSource", i), group);
        zoneSources[static_cast<std::size_t>(i)] = button;
        sources->addWidget(button, i % rows, i / rows);
    }

    auto* layout = new QVBoxLayout(group);
    layout->addLayout(switches);
    layout->addLayout(volume);
    layout->addLayout(sources);
    return group;
}

QGroupBox* ControlPanelForm::BuildTunerGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Tuner"), window);
    group->setObjectName(QStringLiteral("tunerGroup"));

    auto* bandLabel = NewLabel(QStringLiteral("Band"), QStringLiteral("bandLabel"), group);
    bandButtons[Band::Am] = NewRadio(QStringLiteral("AM"), QStringLiteral("bandAm"), group);
    bandButtons[Band::Fm] = NewRadio(QStringLiteral("FM"), QStringLiteral("bandFm"), group);
    auto* bands = new QHBoxLayout;
    bands->addWidget(bandButtons[Band::Am]);
    bands->addWidget(bandButtons[Band::Fm]);
    bands->addStretch(1);

    auto* frequencyLabel =
        NewLabel(QStringLiteral("Frequency"), QStringLiteral("frequencyLabel"), group);
    frequency = NewField(QStringLiteral("frequency"), QStringLiteral("Frequency"), FrequencyChars,
                         group, true);
    frequencySpin = NewSpin(QStringLiteral("frequencySpin"), QStringLiteral("Frequency"), group);
    auto* presetLabel = NewLabel(QStringLiteral("Preset"), QStringLiteral("presetLabel"), group);
    preset = NewField(QStringLiteral("preset"), QStringLiteral("Preset"), PresetChars, group, true);
    presetSpin = NewSpin(QStringLiteral("presetSpin"), QStringLiteral("Preset"), group);

    seekDown = NewButton(QStringLiteral("<"), QStringLiteral("seekDown"), group);
    seekUp = NewButton(QStringLiteral(">"), QStringLiteral("seekUp"), group);
    seekDown->setAccessibleName(QStringLiteral("Search down"));
    seekUp->setAccessibleName(QStringLiteral("Search up"));
    for (QPushButton* b : {seekDown, seekUp})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 12);
    auto* searchLabel = NewLabel(QStringLiteral("Search"), QStringLiteral("searchLabel"), group);
    searchLabel->setAlignment(Qt::AlignCenter);
    auto* search = new QHBoxLayout;
    search->addWidget(seekDown);
    search->addWidget(searchLabel);
    search->addWidget(seekUp);
    search->addStretch(1);

    fmMute = NewCheckBox(QStringLiteral("FM Mute/Mode"), QStringLiteral("fmMute"), group);
    auto* psLabel = NewLabel(QStringLiteral("PS:"), QStringLiteral("psLabel"), group);
    psName = NewField(QStringLiteral("psName"), QStringLiteral("Programme service name"), 0, group);
    auto* rtLabel = NewLabel(QStringLiteral("RT:"), QStringLiteral("rtLabel"), group);
    radioText = NewField(QStringLiteral("radioText"), QStringLiteral("Radio text"), 0, group);
    radioText->setMinimumWidth(radioText->fontMetrics().averageCharWidth() * RadioTextChars);
    tunerLabels = {bandLabel, frequencyLabel, presetLabel, searchLabel, psLabel, rtLabel};

    auto* layout = new QGridLayout(group);
    layout->addWidget(bandLabel, 0, 0);
    layout->addLayout(bands, 0, 1);
    layout->addWidget(frequencyLabel, 1, 0);
    layout->addLayout(FieldWithSpin(frequency, frequencySpin), 1, 1);
    layout->addWidget(presetLabel, 2, 0);
    layout->addLayout(FieldWithSpin(preset, presetSpin), 2, 1);
    layout->addLayout(search, 3, 1);
    layout->addWidget(fmMute, 4, 1);
    layout->addWidget(psLabel, 5, 0);
    layout->addWidget(psName, 5, 1);
    layout->addWidget(rtLabel, 6, 0);
    layout->addWidget(radioText, 6, 1);
    layout->setColumnStretch(1, 1);
    return group;
}

void ControlPanelForm::BuildBottomRow(QVBoxLayout* layout)
{
    QWidget* central = layout->parentWidget();
    connectionLine = NewLabel(QString(), QStringLiteral("connectionLine"), central);
    connectionLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Their actions come with the preset editor and the settings files.
    editPresets = NewButton(QStringLiteral("Edit Presets"), QStringLiteral("editPresets"), central);
    saveSettings =
        NewButton(QStringLiteral("Save Settings"), QStringLiteral("saveSettings"), central);
    loadSettings =
        NewButton(QStringLiteral("Load Settings"), QStringLiteral("loadSettings"), central);

    auto* row = new QHBoxLayout;
    row->addWidget(NewLabel(QStringLiteral("Status:"), QStringLiteral("statusLabel"), central));
    row->addWidget(connectionLine, 1);
    row->addWidget(editPresets);
    row->addWidget(saveSettings);
    row->addWidget(loadSettings);
    layout->addLayout(row);

    warning = NewLabel(QStringLiteral("WARNING: Incorrect unit attached."),
                       QStringLiteral("warning"), central);
    warning->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
    warning->hide();
    layout->addWidget(warning);
}
