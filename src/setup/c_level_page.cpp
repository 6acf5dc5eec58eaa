#include "setup/c_level_page.h"

#include "desktop/help_topic.h"
#include "desktop/help_window.h"
#include "setup/c_speaker_page.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSignalBlocker>
#include <QVBoxLayout>

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

void Select(QComboBox* list, int code)
{
    const QSignalBlocker blocker(list);
    list->setCurrentIndex(code >= 0 && code < list->count() ? code : -1);
}

void Take(const QComboBox* list, int& field)
{
    if (list->currentIndex() >= 0)
        field = list->currentIndex();
}

QComboBox* NewList(QWidget* parent, const char* name, const QString& accessibleName, int count,
                   QString (*text)(int))
{
    auto* list = new QComboBox(parent);
    list->setObjectName(QString::fromLatin1(name));
    list->setAccessibleName(accessibleName);
    for (int i = 0; i < count; ++i)
        list->addItem(text(i));
    return list;
}

} // namespace

CLevelPage::CLevelPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("levelPage"));
    HelpWindow::ShowOnF1(*this, HelpTopic::LevelPage);
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
        levels[i] = NewList(cell, control.name, text, LevelFields::LevelCount, &LevelText);
        labels[i] = new QLabel(text, cell);
        labels[i]->setBuddy(levels[i]);
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

    bass = NewList(this, "bass", QStringLiteral("Bass"), LevelFields::ToneCount, &ToneText);
    treble = NewList(this, "treble", QStringLiteral("Treble"), LevelFields::ToneCount, &ToneText);
    auto* tone = new QHBoxLayout;
    for (QComboBox* list : {bass, treble}) {
        auto* label = new QLabel(list->accessibleName(), this);
        label->setBuddy(list);
        tone->addWidget(label);
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
        Take(levels[i], result.levels[i]);
    Take(bass, result.bass);
    Take(treble, result.treble);
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
