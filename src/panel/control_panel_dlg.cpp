#include "panel/control_panel_dlg.h"

#include "desktop/message_box.h"
#include "desktop/message_table.h"
#include "desktop/options_store.h"
#include "model/tuner_preset_list.h"
#include "panel/report_check_box.h"
#include "panel/report_radio_button.h"
#include "panel/spin_arrows.h"
#include "panel/tuner_entry.h"
#include "setup/rename_input_dlg.h"
#include "transfer/transfer_presenter.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

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

// A value field; read-only ones show what the unit reported.
QLineEdit* NewField(const QString& name, int chars, QWidget* parent, bool editable = false)
{
    auto* field = new QLineEdit(parent);
    field->setObjectName(name);
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

SpinArrows* NewSpin(const QString& name, QWidget* parent)
{
    auto* spin = new SpinArrows(parent);
    spin->setObjectName(name);
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

// Selects the button at `index` and clears the others; an index outside the
// group clears them all. Null entries (values without a button) are skipped.
template <std::size_t N> void SelectOnly(const std::array<ReportRadioButton*, N>& group, int index)
{
    for (std::size_t i = 0; i < N; ++i) {
        if (group[i])
            group[i]->setChecked(static_cast<int>(i) == index);
    }
}

template <std::size_t N> bool InRange(const std::array<ReportRadioButton*, N>&, int index)
{
    return index >= 0 && index < static_cast<int>(N);
}

QString TrimmedRight(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1].isSpace())
        --end;
    return text.left(end);
}

// A rewritten field is selected while it has the focus, so typing replaces
// it.
void SetTextSelected(QLineEdit* field, const QString& text)
{
    field->setText(text);
    if (field->hasFocus())
        field->selectAll();
}

bool IsEnterKey(const QKeyEvent* key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

// The preset field takes digits only, as typed; editing and navigation keys
// pass.
bool IsRefusedInPresetField(const QKeyEvent* key)
{
    const QString text = key->text();
    if (text.isEmpty() || (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return false;
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return c.isPrint() && !(c >= u'0' && c <= u'9'); });
}

} // namespace

ControlPanelDlg::ControlPanelDlg(const Options& opts, bool autostart, QWidget* parent)
    : QMainWindow(parent), options(opts), startedByAutostart(autostart)
{
    setWindowTitle(QStringLiteral("Veltrix PC Interface"));
    setObjectName(QStringLiteral("controlPanel"));

    auto* central = new QWidget(this);
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
    setCentralWidget(central);
    BuildMenus();
    ConnectCommands();

    waitTimer.setTimerType(Qt::PreciseTimer);
    connect(&waitTimer, &QTimer::timeout, this, &ControlPanelDlg::EndWait);

    // Every control of the three groups starts disabled and empty, as
    // without a unit.
    ShowConnection(false);
    ShowMainPower(false);
    ShowZonePower(false);
    UpdateTunerSection(false);
    RefreshConnectionLine();

    session.SetPortSetting(options.port);
    connect(&session, &UnitSession::connectionLineRefreshed, this,
            &ControlPanelDlg::RefreshConnectionLine);
    connect(&session, &UnitSession::connectionShown, this, &ControlPanelDlg::ShowConnection);
    connect(&session, &UnitSession::mainPowerShown, this, &ControlPanelDlg::ShowMainPower);
    connect(&session, &UnitSession::zonePowerShown, this, &ControlPanelDlg::ShowZonePower);
    connect(&session, &UnitSession::tunerSectionUpdated, this,
            &ControlPanelDlg::UpdateTunerSection);
    connect(&session, &UnitSession::reportApplied, this, &ControlPanelDlg::ApplyReport);
    connect(&session, &UnitSession::inputNameReported, this, &ControlPanelDlg::ShowInputName);
    // A text longer than its field shows its start.
    connect(&session, &UnitSession::psNameChanged, this, [this](const QString& name) {
        psName->setText(name);
        psName->setCursorPosition(0);
    });
    connect(&session, &UnitSession::radioTextChanged, this, [this](const QString& text) {
        radioText->setText(text);
        radioText->setCursorPosition(0);
    });

    // Memory transfers disable the window and show their progress; when one
    // ends (done, failed or cancelled) a connected unit can be saved and
    // loaded again.
    new TransferPresenter(session.Transfer(), this);
    connect(&session.Transfer(), &MemoryTransfer::transferFinished, this, [this] {
        const bool connected = session.Status().connected;
        saveSettings->setEnabled(connected);
        loadSettings->setEnabled(connected);
    });
}

ControlPanelDlg::~ControlPanelDlg()
{
    // The fields must not commit typed values while the window goes away.
    frequency->removeEventFilter(this);
    preset->removeEventFilter(this);
}

// ---------------------------------------------------------------------------
// Building the window

void ControlPanelDlg::BuildMenus()
{
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("E&xit"), this, &ControlPanelDlg::close);

    unitMenu = menuBar()->addMenu(QStringLiteral("Unit"));
    unitMenu->setObjectName(QStringLiteral("unitMenu"));
    refreshAction =
        unitMenu->addAction(QStringLiteral("&Refresh"), this, [this] { session.Refresh(); });
    refreshAction->setObjectName(QStringLiteral("refresh"));

    menuBar()->addMenu(QStringLiteral("&Help"));
}

QGroupBox* ControlPanelDlg::BuildMainGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Main"), this);
    group->setObjectName(QStringLiteral("mainGroup"));

    mainPower = NewCheckBox(QStringLiteral("Power"), QStringLiteral("mainPower"), group);
    mainMute = NewCheckBox(QStringLiteral("Mute"), QStringLiteral("mainMute"), group);
    speakersA = NewCheckBox(QStringLiteral("Speakers A"), QStringLiteral("speakersA"), group);
    speakersB = NewCheckBox(QStringLiteral("Speakers B"), QStringLiteral("speakersB"), group);
    auto* switches = new QHBoxLayout;
    for (ReportCheckBox* box : {mainPower, mainMute, speakersA, speakersB})
        switches->addWidget(box);
    switches->addStretch(1);

    auto* sources = new QVBoxLayout;
    for (int i = 0; i < InputCount; ++i) {
        mainSources[static_cast<std::size_t>(i)] =
            NewRadio(Latin(DefaultSourceNames[static_cast<std::size_t>(i)]),
                     Indexed("mainSource", i), group);
        sources->addWidget(mainSources[static_cast<std::size_t>(i)]);
    }
    sources->addSpacing(8);
    tapeMonitor = NewCheckBox(QStringLiteral("TAPE MONITOR"), QStringLiteral("tapeMonitor"), group);
    sources->addWidget(tapeMonitor);
    sources->addStretch(1);

    auto* surround = new QVBoxLayout;
    std::size_t next = 0;
    for (int mode = 0; mode < SurroundModeCount; ++mode) {
        if (mode == SurroundModeNone)
            continue;
        auto* button = NewRadio(Latin(SurroundModeNames[static_cast<std::size_t>(mode)]),
                                Indexed("surround", mode), group);
        surroundModes[static_cast<std::size_t>(mode)] = button;
        surroundButtons[next++] = button;
        surround->addWidget(button);
    }
    surround->addStretch(1);

    auto* volumeLabel =
        NewLabel(QStringLiteral("Volume:"), QStringLiteral("mainVolumeLabel"), group);
    mainVolume = NewField(QStringLiteral("mainVolume"), VolumeChars, group);
    mainVolumeSpin = NewSpin(QStringLiteral("mainVolumeSpin"), group);
    auto* signalLabel =
        NewLabel(QStringLiteral("Signal Type:"), QStringLiteral("signalTypeLabel"), group);
    signalType = NewField(QStringLiteral("signalType"), SignalTypeChars, group);
    toneDefeat = NewCheckBox(QStringLiteral("Tone Defeat"), QStringLiteral("toneDefeat"), group);
    auto* bassLabel = NewLabel(QStringLiteral("Bass:"), QStringLiteral("bassLabel"), group);
    bass = NewField(QStringLiteral("bass"), ToneChars, group);
    bassSpin = NewSpin(QStringLiteral("bassSpin"), group);
    auto* trebleLabel = NewLabel(QStringLiteral("Treble:"), QStringLiteral("trebleLabel"), group);
    treble = NewField(QStringLiteral("treble"), ToneChars, group);
    trebleSpin = NewSpin(QStringLiteral("trebleSpin"), group);
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

    auto* columns = new QHBoxLayout;
    columns->addLayout(sources);
    columns->addSpacing(12);
    columns->addLayout(surround);
    columns->addSpacing(12);
    columns->addLayout(settings);

    auto* layout = new QVBoxLayout(group);
    layout->addLayout(switches);
    layout->addLayout(columns);
    layout->addWidget(NewLabel(QStringLiteral("To rename an input, double click on its name."),
                               QStringLiteral("renameNote"), group));
    return group;
}

QGroupBox* ControlPanelDlg::BuildZoneGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Zone"), this);
    group->setObjectName(QStringLiteral("zoneGroup"));

    zonePower = NewCheckBox(QStringLiteral("Power"), QStringLiteral("zonePower"), group);
    zoneMute = NewCheckBox(QStringLiteral("Mute"), QStringLiteral("zoneMute"), group);
    auto* switches = new QHBoxLayout;
    switches->addWidget(zonePower);
    switches->addWidget(zoneMute);
    switches->addStretch(1);

    zoneVolumeLabel = NewLabel(QStringLiteral("Volume:"), QStringLiteral("zoneVolumeLabel"), group);
    zoneVolume = NewField(QStringLiteral("zoneVolume"), VolumeChars, group);
    zoneVolumeSpin = NewSpin(QStringLiteral("zoneVolumeSpin"), group);
    auto* volume = new QHBoxLayout;
    volume->addWidget(zoneVolumeLabel);
    volume->addLayout(FieldWithSpin(zoneVolume, zoneVolumeSpin), 1);

    // Two columns of five, in source order down the columns.
    auto* sources = new QGridLayout;
    constexpr int rows = InputCount / 2;
    for (int i = 0; i < InputCount; ++i) {
        const char* name =
            i == SourceExternal ? ZoneLocalName : DefaultSourceNames[static_cast<std::size_t>(i)];
        auto* button = NewRadio(Latin(name), Indexed("zoneSource", i), group);
        zoneSources[static_cast<std::size_t>(i)] = button;
        sources->addWidget(button, i % rows, i / rows);
    }

    auto* layout = new QVBoxLayout(group);
    layout->addLayout(switches);
    layout->addLayout(volume);
    layout->addLayout(sources);
    return group;
}

QGroupBox* ControlPanelDlg::BuildTunerGroup()
{
    auto* group = new QGroupBox(QStringLiteral("Tuner"), this);
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
    frequency = NewField(QStringLiteral("frequency"), FrequencyChars, group, true);
    frequencySpin = NewSpin(QStringLiteral("frequencySpin"), group);
    auto* presetLabel = NewLabel(QStringLiteral("Preset"), QStringLiteral("presetLabel"), group);
    preset = NewField(QStringLiteral("preset"), PresetChars, group, true);
    presetSpin = NewSpin(QStringLiteral("presetSpin"), group);
    frequency->installEventFilter(this);
    preset->installEventFilter(this);

    seekDown = NewButton(QStringLiteral("<"), QStringLiteral("seekDown"), group);
    seekUp = NewButton(QStringLiteral(">"), QStringLiteral("seekUp"), group);
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
    psName = NewField(QStringLiteral("psName"), 0, group);
    auto* rtLabel = NewLabel(QStringLiteral("RT:"), QStringLiteral("rtLabel"), group);
    radioText = NewField(QStringLiteral("radioText"), 0, group);
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

void ControlPanelDlg::BuildBottomRow(QVBoxLayout* layout)
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

void ControlPanelDlg::ConnectCommands()
{
    UnitLink& link = session.Link();

    connect(mainPower, &QCheckBox::clicked, this, [this, &link] {
        StartWait(MainPowerWait);
        link.SendKey(KeyCode::MainPower);
    });
    connect(zonePower, &QCheckBox::clicked, this, [this, &link] {
        StartWait(ZonePowerWait);
        link.SendKey(KeyCode::ZonePower);
    });
    const std::pair<ReportCheckBox*, std::uint8_t> toggles[] = {
        {mainMute, KeyCode::MainMute},     {speakersA, KeyCode::SpeakersA},
        {speakersB, KeyCode::SpeakersB},   {tapeMonitor, KeyCode::TapeMonitor},
        {toneDefeat, KeyCode::ToneDefeat}, {zoneMute, KeyCode::ZoneMute}};
    for (const auto& [box, key] : toggles)
        connect(box, &QCheckBox::clicked, this, [&link, key = key] { link.SendKey(key); });

    connect(mainVolumeSpin, &SpinArrows::stepped, this, [this](int delta) {
        StepVolume(delta, KeyCode::MainVolumeUp, KeyCode::MainVolumeDown);
    });
    connect(zoneVolumeSpin, &SpinArrows::stepped, this, [this](int delta) {
        StepVolume(delta, KeyCode::ZoneVolumeUp, KeyCode::ZoneVolumeDown);
    });
    connect(bassSpin, &SpinArrows::stepped, this,
            [this](int delta) { StepTone(delta, Variable::Bass, session.Status().bass); });
    connect(trebleSpin, &SpinArrows::stepped, this,
            [this](int delta) { StepTone(delta, Variable::Treble, session.Status().treble); });

    for (std::size_t i = 0; i < InputCount; ++i) {
        const int index = static_cast<int>(i);
        connect(mainSources[i], &QRadioButton::clicked, this,
                [&link, i] { link.SendKey(KeyCode::MainSource[i]); });
        connect(zoneSources[i], &QRadioButton::clicked, this,
                [&link, i] { link.SendKey(KeyCode::ZoneSource[i]); });
        // The dialog opens after the double click's mouse events are done.
        if (index != SourceTuner)
            connect(
                mainSources[i], &ReportRadioButton::doubleClicked, this,
                [this, index] { RenameInput(index); }, Qt::QueuedConnection);
        if (index != SourceTuner && index != SourceExternal)
            connect(
                zoneSources[i], &ReportRadioButton::doubleClicked, this,
                [this, index] { RenameInput(index); }, Qt::QueuedConnection);
    }
    for (std::size_t mode = 0; mode < surroundModes.size(); ++mode) {
        if (!surroundModes[mode])
            continue;
        connect(surroundModes[mode], &QRadioButton::clicked, this, [&link, mode] {
            link.SendSet(Variable::SurroundMode, static_cast<std::uint8_t>(mode));
        });
    }
    for (std::size_t i = 0; i < AvPresetCount; ++i) {
        connect(recallButtons[i], &QPushButton::clicked, this,
                [&link, i] { link.SendKey(KeyCode::RecallPreset[i]); });
        connect(storeButtons[i], &QPushButton::clicked, this,
                [this, i] { StorePreset(static_cast<int>(i) + 1); });
    }

    connect(bandButtons[Band::Am], &QRadioButton::clicked, this,
            [this] { SendTunerKey(&KeyCode::TunerKeys::bandAm); });
    connect(bandButtons[Band::Fm], &QRadioButton::clicked, this,
            [this] { SendTunerKey(&KeyCode::TunerKeys::bandFm); });
    connect(seekUp, &QPushButton::clicked, this,
            [this] { SendTunerKey(&KeyCode::TunerKeys::seekUp); });
    connect(seekDown, &QPushButton::clicked, this,
            [this] { SendTunerKey(&KeyCode::TunerKeys::seekDown); });
    connect(frequencySpin, &SpinArrows::stepped, this, [this](int delta) {
        StepTuner(delta, &KeyCode::TunerKeys::frequencyUp, &KeyCode::TunerKeys::frequencyDown);
    });
    connect(presetSpin, &SpinArrows::stepped, this, [this](int delta) {
        StepTuner(delta, &KeyCode::TunerKeys::presetUp, &KeyCode::TunerKeys::presetDown);
    });
    connect(fmMute, &QCheckBox::clicked, this, &ControlPanelDlg::ToggleFmMute);
}

// ---------------------------------------------------------------------------
// Life cycle

QString ControlPanelDlg::ConnectionLine() const
{
    return connectionLine->text();
}

void ControlPanelDlg::Initialise()
{
    PlaceWindow();
    session.Start();
    ShowWindow();
}

void ControlPanelDlg::PlaceWindow()
{
    adjustSize();
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect desktop = screen->availableGeometry();
    const int maxX = desktop.width() - frameGeometry().width();
    const int maxY = desktop.height() - frameGeometry().height();
    int x = std::min(options.x, maxX);
    int y = std::min(options.y, maxY);
    if (x < 0)
        x = maxX / 2;
    if (y < 0)
        y = maxY / 2;
    move(desktop.left() + x, desktop.top() + y);
}

void ControlPanelDlg::ShowWindow()
{
    if (startedByAutostart && options.autostartMinimized) {
        // Hidden only when the tray icon is really there to bring it back.
        if (!(options.minimizeToTray && options.enableTrayIcon && trayIconAdded))
            showMinimized();
        return;
    }
    show();
}

void ControlPanelDlg::closeEvent(QCloseEvent* event)
{
    Shutdown();
    event->accept();
}

void ControlPanelDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void ControlPanelDlg::Shutdown()
{
    if (shutDown)
        return;
    shutDown = true;
    EndWait();
    const QRect frame = frameGeometry();
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QPoint origin = screen ? screen->availableGeometry().topLeft() : QPoint();
    OptionsStore::SavePosition(frame.left() - origin.x(), frame.top() - origin.y());
    session.Stop();
    Q_EMIT shutDownFinished();
}

void ControlPanelDlg::StartWait(int milliseconds)
{
    waitTimer.start(milliseconds);
    waiting = true;
    setCursor(Qt::WaitCursor);
}

void ControlPanelDlg::EndWait()
{
    if (!waiting)
        return;
    waitTimer.stop();
    waiting = false;
    unsetCursor();
}

// ---------------------------------------------------------------------------
// Views

void ControlPanelDlg::ShowConnection(bool connected)
{
    for (ReportCheckBox* power : {mainPower, zonePower}) {
        power->setEnabled(connected);
        if (!connected)
            power->setChecked(false);
    }
    refreshAction->setEnabled(connected);
}

void ControlPanelDlg::ShowMainPower(bool on)
{
    for (QLabel* label : std::as_const(mainLabels))
        label->setEnabled(on);
    for (ReportRadioButton* button : mainSources)
        button->setEnabled(on);
    for (ReportRadioButton* button : surroundButtons)
        button->setEnabled(on);
    for (std::size_t i = 0; i < AvPresetCount; ++i) {
        recallButtons[i]->setEnabled(on);
        storeButtons[i]->setEnabled(on);
    }
    for (ReportCheckBox* box : {mainMute, speakersA, speakersB, tapeMonitor, toneDefeat}) {
        box->setEnabled(on);
        if (!on)
            box->setChecked(false);
    }
    for (QLineEdit* field : {mainVolume, signalType, bass, treble}) {
        field->setEnabled(on);
        if (!on)
            field->clear();
    }
    for (SpinArrows* spin : {mainVolumeSpin, bassSpin, trebleSpin})
        spin->setEnabled(on);
    if (!on) {
        SelectOnly(mainSources, -1);
        SelectOnly(surroundButtons, -1);
    }
}

void ControlPanelDlg::ShowZonePower(bool on)
{
    zoneVolumeLabel->setEnabled(on);
    for (ReportRadioButton* button : zoneSources)
        button->setEnabled(on);
    zoneMute->setEnabled(on);
    zoneVolume->setEnabled(on);
    zoneVolumeSpin->setEnabled(on);
    if (!on) {
        zoneMute->setChecked(false);
        zoneVolume->clear();
        SelectOnly(zoneSources, -1);
    }
}

void ControlPanelDlg::UpdateTunerSection(bool live)
{
    const bool wasLive = frequency->isEnabled();
    for (ReportRadioButton* band : bandButtons)
        band->setEnabled(live);
    for (QLabel* label : std::as_const(tunerLabels))
        label->setEnabled(live);
    seekDown->setEnabled(live);
    seekUp->setEnabled(live);
    fmMute->setEnabled(live);
    // Disabled before they are emptied: a field losing the focus this way
    // must not commit what it holds.
    for (QLineEdit* field : {frequency, preset, psName, radioText})
        field->setEnabled(live);
    frequencySpin->setEnabled(live);
    presetSpin->setEnabled(live);
    if (!live) {
        fmMute->setChecked(false);
        for (QLineEdit* field : {frequency, preset, psName, radioText})
            field->clear();
        SelectOnly(bandButtons, -1);
    } else if (!wasLive && (session.Status().tunerBand == Band::Fm ? fmFrequency : amFrequency)) {
        // The unit reports the tuner's values whether or not it is heard, and
        // often before the source that makes it heard: show what is known
        // rather than empty fields until the next tuner report.
        ShowTunerBand();
    }
}

void ControlPanelDlg::RefreshConnectionLine()
{
    const LiveStatus& status = session.Status();
    const bool supported = status.connected && status.facts.IsSupportedModel();
    if (status.connected) {
        connectionLine->setText(
            QStringLiteral("Connected to %1 %2 on %3")
                .arg(status.facts.modelText, status.facts.versionText, session.Link().PortName()));
        // Only the refresh of a new connection enables them; a transfer may
        // have disabled them since.
        if (status.firstConnectionPending) {
            saveSettings->setEnabled(true);
            loadSettings->setEnabled(true);
        }
        const bool speakers = status.facts.HasSpeakerSwitching();
        speakersA->setVisible(speakers);
        speakersB->setVisible(speakers);
    } else {
        connectionLine->setText(QStringLiteral("Not Connected"));
        saveSettings->setEnabled(false);
        loadSettings->setEnabled(false);
    }
    unitMenu->setTitle(supported ? QStringLiteral("&") + status.facts.modelText
                                 : QStringLiteral("Unit"));
    warning->setVisible(status.connected && !supported);
}

// ---------------------------------------------------------------------------
// Reports

QString ControlPanelDlg::VolumeText(int value) const
{
    if ((value & 0xFF) == session.Status().facts.MinusInfinityCode())
        return QStringLiteral("-oo dB");
    return QStringLiteral("%1 dB").arg(value);
}

void ControlPanelDlg::ApplyReport(int variable, int value, bool shown)
{
    // The tuner's values are kept whatever is shown, so the band's report
    // and the typed entries see the latest ones.
    switch (variable) {
    case Variable::AmFrequency:
        amFrequency = value;
        break;
    case Variable::FmFrequency:
        fmFrequency = value;
        break;
    case Variable::AmPreset:
        amPreset = value;
        break;
    case Variable::FmPreset:
        fmPreset = value;
        break;
    default:
        break;
    }
    if (!shown)
        return;

    switch (variable) {
    case Variable::MainPower:
        mainPower->setChecked(value != 0);
        EndWait();
        return;
    case Variable::ZonePower:
        zonePower->setChecked(value != 0);
        EndWait();
        return;
    case Variable::MainVolume:
        mainVolume->setText(VolumeText(value));
        return;
    case Variable::ZoneVolume:
        zoneVolume->setText(VolumeText(value));
        return;
    case Variable::MainMute:
        mainMute->setChecked(value != 0);
        return;
    case Variable::ZoneMute:
        zoneMute->setChecked(value != 0);
        return;
    case Variable::TapeMonitor:
        tapeMonitor->setChecked(value != 0);
        return;
    case Variable::SpeakersA:
        speakersA->setChecked(value != 0);
        return;
    case Variable::SpeakersB:
        speakersB->setChecked(value != 0);
        return;
    case Variable::ToneDefeat:
        toneDefeat->setChecked(value != 0);
        return;
    case Variable::Treble:
        treble->setText(QStringLiteral("%1 dB").arg(value));
        return;
    case Variable::Bass:
        bass->setText(QStringLiteral("%1 dB").arg(value));
        return;
    case Variable::SignalType:
        if (value >= 0 && value < SignalTypeCount)
            signalType->setText(Latin(SignalTypeNames[static_cast<std::size_t>(value)]));
        return;
    case Variable::SurroundMode:
        if (InRange(surroundModes, value) && surroundModes[static_cast<std::size_t>(value)])
            SelectOnly(surroundModes, value);
        return;
    case Variable::MainSource:
        if (InRange(mainSources, value))
            SelectOnly(mainSources, value);
        return;
    case Variable::ZoneSource:
        if (InRange(zoneSources, value))
            SelectOnly(zoneSources, value);
        return;
    case Variable::TunerBand:
        ShowTunerBand();
        return;
    case Variable::AmFrequency:
    case Variable::FmFrequency:
        ShowFrequency();
        return;
    case Variable::AmPreset:
    case Variable::FmPreset:
        ShowPreset();
        return;
    case Variable::FmMute:
        fmMute->setChecked(value != 0);
        return;
    default:
        return;
    }
}

void ControlPanelDlg::ShowInputName(int index, const QString& name)
{
    if (index < 0 || index >= InputCount)
        return;
    mainSources[static_cast<std::size_t>(index)]->setText(name);
    // The zone's button of input 8 is LOCAL and keeps its caption.
    if (index != SourceExternal)
        zoneSources[static_cast<std::size_t>(index)]->setText(name);
}

void ControlPanelDlg::ShowTunerBand()
{
    const int band = session.Status().tunerBand;
    if (InRange(bandButtons, band))
        SelectOnly(bandButtons, band);
    ShowFrequency();
    ShowPreset();
}

void ControlPanelDlg::ShowFrequency()
{
    const bool fm = session.Status().tunerBand == Band::Fm;
    SetTextSelected(frequency, fm ? TunerPresetList::FmFrequencyText(fmFrequency)
                                  : TunerPresetList::AmFrequencyText(amFrequency));
}

void ControlPanelDlg::ShowPreset()
{
    const bool fm = session.Status().tunerBand == Band::Fm;
    SetTextSelected(preset, TunerPresetList::PresetText(fm ? fmPreset : amPreset));
}

// ---------------------------------------------------------------------------
// Commands

void ControlPanelDlg::StepVolume(int delta, std::uint8_t upKey, std::uint8_t downKey)
{
    if (delta < 0)
        session.Link().SendKey(upKey);
    else if (delta > 0)
        session.Link().SendKey(downKey);
}

void ControlPanelDlg::StepTone(int delta, std::uint8_t variable, int current)
{
    // The unit keeps the value within its range; the byte is the signed dB.
    if (delta < 0)
        session.Link().SendSet(variable, static_cast<std::uint8_t>(current + 2));
    else if (delta > 0)
        session.Link().SendSet(variable, static_cast<std::uint8_t>(current - 2));
}

void ControlPanelDlg::StorePreset(int number)
{
    if (!MessageBox::Confirm(this, MessageTable::Text(Message::StorePresetConfirm)))
        return;
    session.Link().SendFrame({MessageType::StorePreset, static_cast<std::uint8_t>(number)});
}

void ControlPanelDlg::SendTunerKey(TunerKey key)
{
    // The room whose TUNER button is selected gets the key; a zone that
    // hears the main room's tuner through LOCAL has no keys of its own.
    if (mainSources[SourceTuner]->isChecked())
        session.Link().SendKey(KeyCode::MainTuner.*key);
    else if (zoneSources[SourceTuner]->isChecked())
        session.Link().SendKey(KeyCode::ZoneTuner.*key);
}

void ControlPanelDlg::StepTuner(int delta, TunerKey upKey, TunerKey downKey)
{
    if (delta < 0)
        SendTunerKey(upKey);
    else if (delta > 0)
        SendTunerKey(downKey);
}

void ControlPanelDlg::ToggleFmMute()
{
    session.Link().SendSet(Variable::FmMute, fmMute->isChecked() ? 0 : 1);
}

void ControlPanelDlg::CommitFrequency()
{
    if (!frequency->isEnabled())
        return;
    const bool fm = session.Status().tunerBand == Band::Fm;
    const int value =
        fm ? TunerEntry::ParseFm(frequency->text()) : TunerEntry::ParseAm(frequency->text());
    int& stored = fm ? fmFrequency : amFrequency;
    if (value == 0 || value == stored) {
        frequency->setText(fm ? TunerPresetList::FmFrequencyText(stored)
                              : TunerPresetList::AmFrequencyText(stored));
        frequency->selectAll();
        return;
    }
    stored = value;
    // 16 bits, low byte first.
    session.Link().SendFrame({MessageType::Set, fm ? Variable::FmFrequency : Variable::AmFrequency,
                              static_cast<std::uint8_t>(value & 0xFF),
                              static_cast<std::uint8_t>(value >> 8)});
}

void ControlPanelDlg::CommitPreset()
{
    if (!preset->isEnabled())
        return;
    const bool fm = session.Status().tunerBand == Band::Fm;
    const int value = TunerEntry::ParsePreset(preset->text());
    int& stored = fm ? fmPreset : amPreset;
    if (value == 0 || value == stored) {
        preset->setText(TunerPresetList::PresetText(stored));
        preset->selectAll();
        return;
    }
    stored = value;
    session.Link().SendSet(fm ? Variable::FmPreset : Variable::AmPreset,
                           static_cast<std::uint8_t>(value));
}

void ControlPanelDlg::RenameInput(int index)
{
    if (index < 0 || index >= SourceTuner)
        return;
    const QString current = TrimmedRight(mainSources[static_cast<std::size_t>(index)]->text());
    RenameInputDlg dialog(this);
    dialog.SetNames(current, current);
    if (!dialog.Run())
        return;
    // The caption follows when the unit reports the new name.
    SendInputNameFrame(index, TrimmedRight(dialog.NewName().left(InputNameLength)));
}

void ControlPanelDlg::SendInputName(int index, const QString& name)
{
    if (index < 0 || index >= InputCount)
        return;
    const QString trimmed = TrimmedRight(name);
    if (trimmed.isEmpty())
        return;
    mainSources[static_cast<std::size_t>(index)]->setText(trimmed);
    SendInputNameFrame(index, trimmed);
}

void ControlPanelDlg::SendInputNameFrame(int index, const QString& name)
{
    if (name.isEmpty())
        return;
    QByteArray payload;
    payload.append(static_cast<char>(MessageType::Set));
    payload.append(static_cast<char>(Variable::InputName));
    payload.append(static_cast<char>(index));
    payload.append(name.leftJustified(InputNameLength, u' ', true).toLatin1());
    session.Link().SendFrame(payload);
}

// ---------------------------------------------------------------------------
// Events

bool ControlPanelDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != frequency && watched != preset)
        return QMainWindow::eventFilter(watched, event);
    const bool isFrequency = watched == frequency;
    switch (event->type()) {
    case QEvent::KeyPress: {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (IsEnterKey(key)) {
            isFrequency ? CommitFrequency() : CommitPreset();
            return true;
        }
        if (!isFrequency && IsRefusedInPresetField(key))
            return true;
        break;
    }
    case QEvent::FocusOut:
        // A context menu takes the focus only for a moment.
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
            isFrequency ? CommitFrequency() : CommitPreset();
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool ControlPanelDlg::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate:
        RememberFocus();
        break;
    case QEvent::WindowActivate: {
        const bool handled = QMainWindow::event(event);
        if (!rememberedFocus)
            RememberFocus();
        RestoreFocus();
        return handled;
    }
    default:
        break;
    }
    return QMainWindow::event(event);
}

void ControlPanelDlg::RememberFocus()
{
    QWidget* focused = focusWidget();
    if (focused && isAncestorOf(focused))
        rememberedFocus = focused;
}

std::span<ReportRadioButton* const> ControlPanelDlg::RadioGroupOf(const QWidget* widget) const
{
    for (std::span<ReportRadioButton* const> group :
         {std::span<ReportRadioButton* const>(mainSources),
          std::span<ReportRadioButton* const>(surroundButtons),
          std::span<ReportRadioButton* const>(zoneSources),
          std::span<ReportRadioButton* const>(bandButtons)}) {
        if (std::find(group.begin(), group.end(), widget) != group.end())
            return group;
    }
    return {};
}

void ControlPanelDlg::RestoreFocus()
{
    QWidget* remembered = rememberedFocus;
    if (!remembered)
        return;
    const std::span<ReportRadioButton* const> group = RadioGroupOf(remembered);
    if (group.empty()) {
        remembered->setFocus(Qt::ActiveWindowFocusReason);
        return;
    }
    // The radio buttons show the unit's selection: move the focus to the
    // selected one, walking the group from the button after the remembered
    // one and ending with the remembered one itself.
    const auto start = std::find(group.begin(), group.end(), remembered) - group.begin();
    const auto size = static_cast<std::ptrdiff_t>(group.size());
    for (std::ptrdiff_t step = 1; step <= size; ++step) {
        ReportRadioButton* button = group[static_cast<std::size_t>((start + step) % size)];
        if (button->isChecked()) {
            button->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}
