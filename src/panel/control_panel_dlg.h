#pragma once

#include "desktop/options.h"
#include "link/message_set.h"
#include "panel/unit_session.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <cstdint>
#include <span>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QVBoxLayout;
class ReportCheckBox;
class ReportRadioButton;
class SpinArrows;

// The program's main window, titled "Veltrix PC Interface": the control
// panel of the attached receiver, with the Main, Zone and Tuner groups and
// the connection line. It owns the session with the unit.
//
// Commands are fire-and-forget: a click sends a message and changes nothing
// on the panel. Check marks, radio selections and texts follow the unit's
// reports only, so the panel always shows what the unit last said.
class ControlPanelDlg : public QMainWindow
{
    Q_OBJECT

public:
    // How long the wait cursor may stay after a click on Power, in ms; the
    // unit's power report ends it earlier.
    static constexpr int MainPowerWait = 8000;
    static constexpr int ZonePowerWait = 4000;

    ControlPanelDlg(const Options& options, bool startedByAutostart, QWidget* parent = nullptr);
    ~ControlPanelDlg() override;

    // Places and shows the window and starts probing for the unit.
    void Initialise();

    UnitSession& Session() { return session; }
    QString ConnectionLine() const;

    // Renames input `index` (0..9) on the unit: trailing spaces are removed,
    // an empty name does nothing, else the main source button shows the name
    // at once and the unit gets it padded to 13 characters. Other indexes
    // are ignored.
    void SendInputName(int index, const QString& name);

    // The wait cursor over the window, ended by EndWait or after
    // `milliseconds`.
    void StartWait(int milliseconds);
    void EndWait();
    bool IsWaiting() const { return waiting; }

Q_SIGNALS:
    // The window stored its position and closed the port; the program ends.
    void shutDownFinished();

protected:
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The tuner keys that act on the room hearing the tuner.
    using TunerKey = std::uint8_t KeyCode::TunerKeys::*;

    void BuildMenus();
    QGroupBox* BuildMainGroup();
    QGroupBox* BuildZoneGroup();
    QGroupBox* BuildTunerGroup();
    void BuildBottomRow(QVBoxLayout* layout);
    void ConnectCommands();
    void PlaceWindow();
    void ShowWindow();
    void Shutdown();

    // The views, driven by the session.
    void ShowConnection(bool connected);
    void ShowMainPower(bool on);
    void ShowZonePower(bool on);
    void UpdateTunerSection(bool live);
    void RefreshConnectionLine();

    // What the unit's reports do to the controls.
    void ApplyReport(int variable, int value, bool shown);
    void ShowInputName(int index, const QString& name);
    QString VolumeText(int value) const;
    void ShowTunerBand();
    void ShowFrequency();
    void ShowPreset();

    // Commands.
    void StepVolume(int delta, std::uint8_t upKey, std::uint8_t downKey);
    void StepTone(int delta, std::uint8_t variable, int current);
    void StorePreset(int number);
    void SendTunerKey(TunerKey key);
    void StepTuner(int delta, TunerKey upKey, TunerKey downKey);
    void ToggleFmMute();
    void CommitFrequency();
    void CommitPreset();
    void RenameInput(int index);
    void SendInputNameFrame(int index, const QString& name);

    // Focus restore on activation.
    void RememberFocus();
    void RestoreFocus();
    std::span<ReportRadioButton* const> RadioGroupOf(const QWidget* widget) const;

    UnitSession session;
    Options options;
    bool startedByAutostart = false;
    bool trayIconAdded = false;
    bool shutDown = false;

    QTimer waitTimer;
    bool waiting = false;
    QPointer<QWidget> rememberedFocus;

    // The tuner's values as last reported or typed: a typed value counts as
    // the current one until the unit reports, so typing it again sends
    // nothing.
    int fmFrequency = 0;
    int amFrequency = 0;
    int fmPreset = 0;
    int amPreset = 0;

    // Main group.
    ReportCheckBox* mainPower = nullptr;
    ReportCheckBox* mainMute = nullptr;
    ReportCheckBox* speakersA = nullptr;
    ReportCheckBox* speakersB = nullptr;
    QLineEdit* mainVolume = nullptr;
    SpinArrows* mainVolumeSpin = nullptr;
    QLineEdit* signalType = nullptr;
    std::array<ReportRadioButton*, InputCount> mainSources{};
    ReportCheckBox* tapeMonitor = nullptr;
    // By surround mode value; the entry of SurroundModeNone stays null.
    std::array<ReportRadioButton*, SurroundModeCount> surroundModes{};
    std::array<ReportRadioButton*, SurroundModeCount - 1> surroundButtons{};
    ReportCheckBox* toneDefeat = nullptr;
    QLineEdit* bass = nullptr;
    SpinArrows* bassSpin = nullptr;
    QLineEdit* treble = nullptr;
    SpinArrows* trebleSpin = nullptr;
    std::array<QPushButton*, AvPresetCount> recallButtons{};
    std::array<QPushButton*, AvPresetCount> storeButtons{};
    QList<QLabel*> mainLabels;

    // Zone group.
    ReportCheckBox* zonePower = nullptr;
    ReportCheckBox* zoneMute = nullptr;
    QLabel* zoneVolumeLabel = nullptr;
    QLineEdit* zoneVolume = nullptr;
    SpinArrows* zoneVolumeSpin = nullptr;
    std::array<ReportRadioButton*, InputCount> zoneSources{};

    // Tuner group.
    std::array<ReportRadioButton*, 2> bandButtons{}; // by band value: AM, FM
    QLineEdit* frequency = nullptr;
    SpinArrows* frequencySpin = nullptr;
    QLineEdit* preset = nullptr;
    SpinArrows* presetSpin = nullptr;
    QPushButton* seekDown = nullptr;
    QPushButton* seekUp = nullptr;
    ReportCheckBox* fmMute = nullptr;
    QLineEdit* psName = nullptr;
    QLineEdit* radioText = nullptr;
    QList<QLabel*> tunerLabels;

    // Bottom row.
    QLabel* connectionLine = nullptr;
    QPushButton* editPresets = nullptr;
    QPushButton* saveSettings = nullptr;
    QPushButton* loadSettings = nullptr;
    QLabel* warning = nullptr;

    QMenu* unitMenu = nullptr;
    QAction* refreshAction = nullptr;
};
