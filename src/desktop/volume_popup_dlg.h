#pragma once

#include "model/live_presenter.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QSlider;
class UnitSession;

// The volume popup: a small window without a title bar, owned by the
// control panel, with the unit's name, "Main Volume" or "Zone Volume", the
// volume's text, a vertical slider and a push-like "Mute".
//
// It shows what the unit last reported for the volume and mute of the room
// chosen when it opens (every report, whether or not the panel shows it).
// The slider's positions are LivePresenter's: the volume in dB with its sign
// inverted, the bottom end minus infinity. Dragging the thumb
// and releasing it set the volume; "Mute" toggles the room's mute. Neither
// changes the display: the unit's reports do. The controls are enabled
// while the room the left-click option names is on. The popup closes when
// it loses the activation.
class VolumePopupDlg : public QWidget
{
    Q_OBJECT

public:
    VolumePopupDlg(UnitSession& session, QWidget* owner);

    // The left-click action (Options::LeftClickAction): the room the popup
    // opens for and whose power enables it.
    void SetLeftClick(int action);
    // Opens for the room of the left-click action with its lower-left
    // corner at `corner` (kept on the screen); nothing with the action Off.
    void Open(QPoint corner);

    bool IsOn() const { return enabledFlag; }
    // The room shown since the last Open.
    LiveRoom Room() const { return room; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnSoundReported(LiveRoom reported);
    void UpdateEnabled();
    void ShowUnitName();
    void ShowRoom();
    void ShowValueText();
    void SendVolume();
    void SendMute();

    UnitSession& session;
    LivePresenter presenter;
    int leftClick = 0;
    LiveRoom room = LiveRoom::Main;
    bool enabledFlag = false;

    QLabel* unitName = nullptr;
    QLabel* roomLabel = nullptr;
    QLabel* valueText = nullptr;
    QSlider* slider = nullptr;
    QPushButton* mute = nullptr;
};
