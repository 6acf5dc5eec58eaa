#pragma once

#include "link/message_set.h"

#include <QList>

#include <array>

class QAction;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMainWindow;
class QMenu;
class QPushButton;
class QVBoxLayout;
class ReportCheckBox;
class ReportRadioButton;
class SpinArrows;

// The control panel's controls and their layout: the menu bar, the Main,
// Zone and Tuner groups, the bottom row with the connection line and the
// warning. A form
// only builds and holds the widgets (each with an object name and an
// accessible name); the window that inherits it gives them their behaviour.
struct ControlPanelForm
{
    // Builds every control into the window's central widget and menu bar.
    void SetupUi(QMainWindow* window);

    // Menus: File (features put their entries before Exit), the unit's menu
    // (Refresh, "Current Setup..." and "A/V Setup 1..." to "A/V Setup 5..."),
    // Help (filled by its feature).
    QMenu* fileMenu = nullptr;
    QAction* exitAction = nullptr;
    QMenu* unitMenu = nullptr;
    QAction* refreshAction = nullptr;
    std::array<QAction*, 1 + AvPresetCount> setupActions{};
    QMenu* helpMenu = nullptr;

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

private:
    void BuildMenus();
    QGroupBox* BuildMainGroup();
    QVBoxLayout* BuildMainSources(QGroupBox* group);
    QVBoxLayout* BuildSurroundModes(QGroupBox* group);
    QGridLayout* BuildMainSettings(QGroupBox* group);
    QGroupBox* BuildZoneGroup();
    QGroupBox* BuildTunerGroup();
    void BuildBottomRow(QVBoxLayout* layout);

    QMainWindow* window = nullptr;
};
