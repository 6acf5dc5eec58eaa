#include <QTest>
class Placeholder : public QObject
{
    Q_OBJECT
};
QTEST_GUILESS_MAIN(Placeholder)
#include "sim_receiver_test.moc"
