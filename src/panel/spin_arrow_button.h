#pragma once

#include <QToolButton>

// One arrow of SpinArrows. Assistive technology hears it named after its
// spin: "<spin's accessible name> up" or "... down" ("Volume up"), or "Up" or
// "Down" while the spin has no name. The name is worked out whenever it is
// asked for, so it follows a later change of the spin's name.
class SpinArrowButton : public QToolButton
{
    Q_OBJECT

public:
    // `type` is Qt::UpArrow or Qt::DownArrow.
    SpinArrowButton(Qt::ArrowType type, QWidget* parent);

    QString SpokenName() const;
};
