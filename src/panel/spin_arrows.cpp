#include "panel/spin_arrows.h"

#include "panel/spin_arrow_button.h"

#include <QVBoxLayout>

namespace {

QToolButton* NewArrow(Qt::ArrowType type, const QString& name, QWidget* parent)
{
    auto* arrow = new SpinArrowButton(type, parent);
    arrow->setObjectName(name);
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);
    arrow->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Ignored);
    arrow->setFixedWidth(18);
    return arrow;
}

} // namespace

SpinArrows::SpinArrows(QWidget* parent) : QWidget(parent)
{
    up = NewArrow(Qt::UpArrow, QStringLiteral("up"), this);
    down = NewArrow(Qt::DownArrow, QStringLiteral("down"), this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up, 1);
    layout->addWidget(down, 1);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    connect(up, &QToolButton::clicked, this, [this] { Q_EMIT stepped(-1); });
    connect(down, &QToolButton::clicked, this, [this] { Q_EMIT stepped(1); });
}
