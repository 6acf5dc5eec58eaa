#include "setup/c_level_page.h"

#include "setup/c_speaker_page.h"
#include "setup/setup_controls.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

using SetupControls::Chosen;
using SetupControls::ItemTexts;
using SetupControls::NewList;
using SetupControls::Select;

namespace {

using Channel = LevelFields::Channel;

struct ChannelControl
{
    Channel channel;
    const char* name;
    const char* label;
};

constexpr std::array<ChannelControl, LevelFields::ChannelCount> Controls = {{
    {LevelFields::FrontLeft, "frontLeftLevel", "Front Left"},
    {LevelFields::Center, "centerLevel", "Front Centre"},
    {LevelFields::FrontRight, "frontRightLevel", "Front Right"},
    {LevelFields::SurroundRight, "surroundRightLevel", "Surround Right"},
    {LevelFields::BackRight, "backRightLevel", "Back Right"},
    {LevelFields::BackLeft, "backLeftLevel", "Back Left"},
    {LevelFields::SurroundLeft, "surroundLeftLevel", "Surround Left"},
    {LevelFields::Subwoofer, "subwooferLevel", "Subwoofer"},
}};

// Cells of the stage around the picture, which spans the middle three
// columns of the surround row. The listener faces the front row.
struct Place
{
    int row;
    int column;
};
constexpr int FrontRow = 0;
constexpr int SideRow = 1;
constexpr int BackRow = 2;
constexpr int LeftColumn = 0;
constexpr int MiddleColumn = 2;
constexpr int RightColumn = 4;

Place HomeOf(Channel channel)
{
    switch (channel) {
    case LevelFields::FrontLeft:
        return {FrontRow, LeftColumn};
    case LevelFields::Center:
        return {FrontRow, MiddleColumn};
    case LevelFields::FrontRight:
        return {FrontRow, RightColumn};
    case LevelFields::Subwoofer:
        return {FrontRow, MiddleColumn + 1};
    case LevelFields::SurroundLeft:
        return {SideRow, LeftColumn};
    case LevelFields::SurroundRight:
        return {SideRow, RightColumn};
    case LevelFields::BackLeft:
        return {BackRow, MiddleColumn - 1};
    case LevelFields::BackRight:
        return {BackRow, MiddleColumn + 1};
    case LevelFields::ChannelCount:
        break;
    }
    return {BackRow, MiddleColumn};
}

} // namespace

CLevelPage::CLevelPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("levelPage"));
    setAccessibleName(Title());

    stage = new QGridLayout;
    picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("listenerPicture"));
    picture->setAccessibleName(QStringLiteral("Listener"));
    picture->setAlignment(Qt::AlignCenter);
    // Without the picture the page works as well, just with an empty middle.
    const QPixmap listener(QString::fromLatin1(PicturePath));
    if (!listener.isNull()) {
        picture->setPixmap(listener);
        picture->setMinimumSize(listener.size());
    }
    stage->addWidget(picture, SideRow, LeftColumn + 1, 1, RightColumn - LeftColumn - 1);

    for (const ChannelControl& control : Controls) {
        const auto i = static_cast<std::size_t>(control.channel);
        auto* cell = new QWidget(this);
        cell->setObjectName(QString::fromLatin1(control.name) + QStringLiteral("Cell"));
        const QString text = QString::fromLatin1(control.label);
        levels[i] = NewList(cell, QString::fromLatin1(control.name), text,
                            ItemTexts(LevelFields::LevelCount, &LevelText));
        labels[i] = SetupControls::NewLabel(cell, text, levels[i]);
        labels[i]->setAlignment(Qt::AlignHCenter);
        auto* cellLayout = new QVBoxLayout(cell);
        cellLayout->setContentsMargins(0, 0, 0, 0);
        cellLayout->addWidget(labels[i]);
        cellLayout->addWidget(levels[i]);
        cells[i] = cell;
        const Place home = HomeOf(control.channel);
        stage->addWidget(cell, home.row, home.column, Qt::AlignCenter);
        connect(levels[i], &QComboBox::activated, this, &CLevelPage::SelectionChanged);
    }
    for (int column = LeftColumn; column <= RightColumn; ++column)
        stage->setColumnStretch(column, 1);

    const QStringList tones = ItemTexts(LevelFields::ToneCount, &ToneText);
    bass = NewList(this, QStringLiteral("bass"), QStringLiteral("Bass"), tones);
    treble = NewList(this, QStringLiteral("treble"), QStringLiteral("Treble"), tones);
    auto* tone = new QHBoxLayout;
    for (QComboBox* list : {bass, treble}) {
        tone->addWidget(SetupControls::NewLabel(this, list->accessibleName(), list));
        tone->addWidget(list);
        tone->addSpacing(fontMetrics().averageCharWidth() * 2);
        connect(list, &QComboBox::activated, this, &CLevelPage::SelectionChanged);
    }
    tone->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(stage);
    layout->addSpacing(fontMetrics().height());
    layout->addLayout(tone);
    layout->addStretch(1);

    Load(fields, flags);
}

QString CLevelPage::Title()
{
    return QStringLiteral("Levels");
}

QString CLevelPage::LevelText(int index)
{
    const int dB = index - LevelFields::LevelZero;
    return dB > 0 ? QStringLiteral("+%1 dB").arg(dB) : QStringLiteral("%1 dB").arg(dB);
}

QString CLevelPage::ToneText(int index)
{
    const int dB = 2 * index - 10;
    if (dB == 0)
        return QStringLiteral(" 0 dB");
    return dB > 0 ? QStringLiteral("+%1 dB").arg(dB) : QStringLiteral("%1 dB").arg(dB);
}

void CLevelPage::Load(const LevelFields& loaded, const SetupFlags& unitFlags)
{
    fields = loaded;
    flags = unitFlags;
    for (std::size_t i = 0; i < levels.size(); ++i)
        Select(levels[i], fields.levels[i]);
    Select(bass, fields.bass);
    Select(treble, fields.treble);
    modifiedMark = false;
    ApplyAvailability();
}

LevelFields CLevelPage::Fields() const
{
    LevelFields result = fields;
    for (std::size_t i = 0; i < levels.size(); ++i)
        result.levels[i] = Chosen(levels[i], result.levels[i]);
    result.bass = Chosen(bass, result.bass);
    result.treble = Chosen(treble, result.treble);
    return result;
}

void CLevelPage::SetSpeakerPage(const CSpeakerPage* page)
{
    speakerPage = page;
}

void CLevelPage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    ApplyAvailability();
}

void CLevelPage::SelectionChanged()
{
    ApplyAvailability();
    modifiedMark = true;
    Q_EMIT modified();
}

void CLevelPage::ApplyAvailability()
{
    const LevelFields::Usable usable =
        speakerPage ? LevelFields::UsableFor(speakerPage->Fields(), flags) : LevelFields::Usable{};
    const auto enable = [this](Channel channel, bool on) {
        const auto i = static_cast<std::size_t>(channel);
        labels[i]->setEnabled(on);
        levels[i]->setEnabled(on);
    };
    enable(LevelFields::Center, usable.center);
    enable(LevelFields::SurroundLeft, usable.surround);
    enable(LevelFields::SurroundRight, usable.surround);
    enable(LevelFields::BackLeft, usable.back);
    enable(LevelFields::BackRight, usable.back);
    enable(LevelFields::Subwoofer, usable.subwoofer);
    PlaceBack(usable.backPair);
}

void CLevelPage::PlaceBack(bool pair)
{
    // A single back speaker stands in the middle behind the listener; its
    // level is the back left one.
    QWidget* left = cells[LevelFields::BackLeft];
    QWidget* right = cells[LevelFields::BackRight];
    const Place place = pair ? HomeOf(LevelFields::BackLeft) : Place{BackRow, MiddleColumn};
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    stage->getItemPosition(stage->indexOf(left), &row, &column, &rowSpan, &columnSpan);
    if (row != place.row || column != place.column) {
        stage->removeWidget(left);
        stage->addWidget(left, place.row, place.column, Qt::AlignCenter);
    }
    right->setVisible(pair);
}
