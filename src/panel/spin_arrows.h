#pragma once

#include <QWidget>

class QToolButton;

// The two arrows of a spin beside a read-only field. The arrows keep no
// position of their own: each press reports a step, as a platform spin
// control reports its position delta. The upper arrow steps by -1, the
// lower one by +1; both repeat while held. Give the spin an accessible name
// ("Volume"): its arrows are spoken as "Volume up" and "Volume down".
class SpinArrows : public QWidget
{
    Q_OBJECT

public:
    explicit SpinArrows(QWidget* parent = nullptr);

    QToolButton* UpArrow() const { return up; }
    QToolButton* DownArrow() const { return down; }

Q_SIGNALS:
    void stepped(int delta);

private:
    QToolButton* up = nullptr;
    QToolButton* down = nullptr;
};
