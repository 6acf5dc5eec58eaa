#include "desktop/volume_popup_dlg.h"

#include "desktop/options.h"
#include "unit/unit_session.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

namespace {

UnitCommands::Room CommandRoom(LiveRoom room)
{
    return room == LiveRoom::Main ? UnitCommands::Room::Main : UnitCommands::Room::Zone;
}

QLabel* NewLabel(const QString& name, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

} // namespace

VolumePopupDlg::VolumePopupDlg(UnitSession& unitSession, QWidget* owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      session(unitSession), presenter(unitSession.Status())
{
    setObjectName(QStringLiteral("volumePopup"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    unitName = NewLabel(QStringLiteral("unitName"), this);
    roomLabel = NewLabel(QStringLiteral("room"), this);
    valueText = NewLabel(QStringLiteral("value"), this);
    slider = new QSlider(Qt::Vertical, this);
    slider->setObjectName(QStringLiteral("volume"));
    // The range's maximum, the quietest setting, at the bottom.
    slider->setInvertedAppearance(true);
    slider->setInvertedControls(true);
    slider->setRange(LivePresenter::LoudestPosition, presenter.QuietestPosition());
    slider->setMinimumHeight(110);
    mute = new QPushButton(QStringLiteral("Mute"), this);
    mute->setObjectName(QStringLiteral("mute"));
    mute->setCheckable(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(unitName);
    layout->addWidget(roomLabel);
    layout->addWidget(valueText);
    layout->addWidget(slider, 1, Qt::AlignHCenter);
    layout->addWidget(mute);
    ShowRoom();

    // Only a drag sets the volume: clicks in the channel and keys move the
    // thumb and send nothing.
    connect(slider, &QSlider::sliderMoved, this, &VolumePopupDlg::SendVolume);
    connect(slider, &QSlider::sliderReleased, this, &VolumePopupDlg::SendVolume);
    connect(slider, &QSlider::valueChanged, this, &VolumePopupDlg::ShowValueText);
    connect(mute, &QPushButton::clicked, this, &VolumePopupDlg::SendMute);

    LiveStatus& live = session.Live();
    connect(&live, &LiveStatus::soundReported, this, &VolumePopupDlg::OnSoundReported);
    connect(&live, &LiveStatus::mainPowerShown, this, &VolumePopupDlg::UpdateEnabled);
    connect(&live, &LiveStatus::zonePowerShown, this, &VolumePopupDlg::UpdateEnabled);
    connect(&live, &LiveStatus::connectionLineRefreshed, this, &VolumePopupDlg::ShowUnitName);
    UpdateEnabled();
}

void VolumePopupDlg::SetLeftClick(int action)
{
    leftClick = action;
    UpdateEnabled();
}

void VolumePopupDlg::OnSoundReported(LiveRoom reported)
{
    if (isVisible() && reported == room)
        ShowRoom();
}

void VolumePopupDlg::UpdateEnabled()
{
    enabledFlag = (leftClick == Options::MainVolume && presenter.RoomOn(LiveRoom::Main)) ||
                  (leftClick == Options::ZoneVolume && presenter.RoomOn(LiveRoom::Zone));
    for (QWidget* control : {static_cast<QWidget*>(roomLabel), static_cast<QWidget*>(valueText),
                             static_cast<QWidget*>(slider), static_cast<QWidget*>(mute)})
        control->setEnabled(enabledFlag);
}

void VolumePopupDlg::ShowUnitName()
{
    unitName->setText(presenter.UnitName());
}

void VolumePopupDlg::ShowRoom()
{
    const QString roomText =
        room == LiveRoom::Main ? QStringLiteral("Main Volume") : QStringLiteral("Zone Volume");
    roomLabel->setText(roomText);
    // A screen reader hears which room the slider and the mute are for.
    slider->setAccessibleName(roomText);
    mute->setAccessibleDescription(roomText);
    {
        const QSignalBlocker quiet(slider);
        slider->setRange(LivePresenter::LoudestPosition, presenter.QuietestPosition());
        // The user's drag wins over a report arriving meanwhile; the release
        // sends where the thumb is.
        if (!slider->isSliderDown())
            slider->setValue(-session.Status().ReportedSound(room).volume);
    }
    mute->setChecked(session.Status().ReportedSound(room).mute);
    ShowValueText();
}

void VolumePopupDlg::ShowValueText()
{
    valueText->setText(presenter.PopupVolumeText(room, slider->value() == slider->maximum()));
}

void VolumePopupDlg::Open(QPoint corner)
{
    if (leftClick != Options::MainVolume && leftClick != Options::ZoneVolume)
        return;
    room = leftClick == Options::MainVolume ? LiveRoom::Main : LiveRoom::Zone;
    ShowRoom();
    UpdateEnabled();
    adjustSize();
    QRect frame(QPoint(corner.x(), corner.y() - height() + 1), size());
    if (const QScreen* screen = QGuiApplication::screenAt(corner)) {
        const QRect desktop = screen->availableGeometry();
        frame.moveLeft(std::clamp(frame.left(), desktop.left(),
                                  std::max(desktop.left(), desktop.right() - frame.width() + 1)));
        frame.moveTop(std::clamp(frame.top(), desktop.top(),
                                 std::max(desktop.top(), desktop.bottom() - frame.height() + 1)));
    }
    move(frame.topLeft());
    show();
    raise();
    activateWindow();
}

void VolumePopupDlg::SendVolume()
{
    session.Commands().SetVolume(CommandRoom(room), -slider->sliderPosition());
}

void VolumePopupDlg::SendMute()
{
    // The mark belongs to the unit: it changes when the unit reports.
    mute->setChecked(session.Status().ReportedSound(room).mute);
    session.Commands().Toggle(room == LiveRoom::Main ? UnitCommands::Switch::MainMute
                                                     : UnitCommands::Switch::ZoneMute);
}

bool VolumePopupDlg::event(QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate)
        close();
    return QWidget::event(event);
}

void VolumePopupDlg::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}
