#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;
class UnitSession;

// The volume popup: a small window without a title bar, owned by the
// control panel, with the unit's name, "Main Volume" or "Zone Volume", the
// volume's text, a vertical slider and a push-like "Mute".
//
// It keeps what the unit last reported for both rooms' volume and mute
// (every report, whether or not the panel shows it) and shows the room
// chosen when it opens. A slider position is the volume in dB with its
// sign inverted, so louder is higher; the bottom end (the range's maximum,
// 62 on a model of index 1, else 75) is minus infinity. Dragging the thumb
// and releasing it set the volume; "Mute" toggles the room's mute. Neither
// changes the display: the unit's reports do. The controls are enabled
// while the room the left-click option names is on. The popup closes when
// it loses the activation.
class VolumePopupDlg : public QWidget
{
    Q_OBJECT

public:
    static constexpr int LoudestPosition = -18;

    VolumePopupDlg(UnitSession& session, QWidget* owner);

    // The left-click action (Options::LeftClickAction): the room the popup
    // opens for and whose power enables it.
    void SetLeftClick(int action);
    // Opens for the room of the left-click action with its lower-left
    // corner at `corner` (kept on the screen); nothing with the action Off.
    void Open(QPoint corner);

    bool IsOn() const { return enabledFlag; }
    // 0 main room, 1 zone: the room shown since the last Open.
    int Room() const { return room; }
    static int RangeMaximum(int modelIndex);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnReport(int variable, int value);
    void UpdateEnabled();
    void ShowUnitName();
    void ShowRoom();
    void ShowValueText();
    void SendVolume();
    void SendMute();

    UnitSession& session;
    int leftClick = 0;
    int room = 0;
    bool enabledFlag = false;
    int volumes[2] = {0, 0}; // dB, as reported, by room
    bool mutes[2] = {false, false};

    QLabel* unitName = nullptr;
    QLabel* roomLabel = nullptr;
    QLabel* valueText = nullptr;
    QSlider* slider = nullptr;
    QPushButton* mute = nullptr;
};
