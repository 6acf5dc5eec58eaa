#pragma once

#include <QDialog>
#include <QList>

#include <functional>

class FrequencySpinBox;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

// The modal "New Tuner Preset" dialog: a preset number, a frequency and, for
// FM, the mute flag and a name. It changes nothing itself; the caller takes
// the values after OK. Choosing a number already in use asks before OK
// closes the dialog.
//
// The frequency is kept by the dialog, not parsed from the field at will:
// typed text is taken when the field loses the focus, before a spin step and
// at OK, so what the field shows is what OK returns. A value outside the
// band becomes the band's first channel for the step in force: 87.50 MHz,
// 530 kHz (10 kHz step) or 531 kHz (9 kHz step, whose raster has no 530).
//
// Test hook: SetNextAnswer queues an answer for the next Run(), which then
// shows the dialog without a modal loop and calls the answer with it; the
// answer works the controls (OK and Cancel included), and Run returns
// whether the dialog was accepted when the answer returned.
class NewTunerPresetDlg : public QDialog
{
    Q_OBJECT

public:
    enum class Band
    {
        Fm,
        Am,
    };
    using Answer = std::function<void(NewTunerPresetDlg& dialog)>;

    static constexpr int FmSpinStep = 5; // 50 kHz, in 10 kHz units
    static constexpr int NameLength = 8;

    // `used` holds a flag per preset number of the band (index = number - 1):
    // set when that preset exists.
    NewTunerPresetDlg(Band band, int amStepSize, const QList<bool>& used,
                      QWidget* parent = nullptr);

    // True when closed with OK.
    bool Run();

    // After OK.
    int PresetIndex() const { return presetIndex; } // number - 1
    int PresetNumber() const { return presetIndex + 1; }
    int Frequency() const { return frequency; } // FM in 10 kHz units, AM in kHz
    int FmMute() const { return fmMute; }
    QString Name() const { return name; }
    QString FrequencyText() const { return frequencyText; }
    // The chosen number was not in use.
    bool IsNew() const { return isNew; }

    // The frequency a value becomes in the band, and its text.
    static int InBand(Band band, int amStepSize, int frequency);
    static QString TextOf(Band band, int frequency);

    static void SetNextAnswer(Answer answer);

private:
    void BuildForm();
    void ApplyTypedText();
    void Step(int steps);
    void CheckAndShow();
    void UpdateNewFlag();
    void Accept();

    Band band;
    int amStep;
    QList<bool> used;

    int presetIndex = -1;
    int frequency = 0;
    int fmMute = 1;
    QString name;
    QString frequencyText;
    bool isNew = false;

    QComboBox* numberList = nullptr;
    FrequencySpinBox* frequencyField = nullptr;
    QCheckBox* muteBox = nullptr;
    QLabel* nameLabel = nullptr;
    QLineEdit* nameField = nullptr;
};
