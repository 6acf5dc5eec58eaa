#include "link/message_set.h"
#include "link/unit_frame.h"

#include "test_bytes.h"
#include <QRandomGenerator>

#include <QTest>

namespace {

// Every payload the receiver completes while it takes the bytes in order.
QList<QByteArray> FeedAll(UnitFrame& receiver, const QByteArray& line)
{
    QList<QByteArray> frames;
    for (char c : line) {
        if (receiver.Feed(static_cast<std::uint8_t>(c)))
            frames.append(receiver.Payload());
    }
    return frames;
}

} // namespace

class TestUnitFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodesTheLineFormat_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("identity query") << Bytes({20, 20}) << Bytes({0x01, 0x14, 0x14, 0x02, 0xD7});
        QTest::newRow("mute key") << Bytes({22, 148}) << Bytes({0x01, 0x16, 0x94, 0x02, 0x55});
        QTest::newRow("zero value escaped")
            << Bytes({21, 40, 0}) << Bytes({0x01, 0x15, 0x28, 0x5E, 0x40, 0x02, 0xC2});
        QTest::newRow("version query") << Bytes({23}) << Bytes({0x01, 0x17, 0x02, 0xE8});
        QTest::newRow("store preset")
            << Bytes({25, 1}) << Bytes({0x01, 0x19, 0x5E, 0x41, 0x02, 0xE5});
        QTest::newRow("caret escaped") << Bytes({0x5E}) << Bytes({0x01, 0x5E, 0x5E, 0x02, 0xA1});
        QTest::newRow("0x13 escaped, 0x14 not")
            << Bytes({0x13, 0x14}) << Bytes({0x01, 0x5E, 0x53, 0x14, 0x02, 0xD8});
        // Sum 0xF2 gives checksum 0x0D, which is escaped too.
        QTest::newRow("escaped checksum") << Bytes({0xF2}) << Bytes({0x01, 0xF2, 0x02, 0x5E, 0x4D});
        QTest::newRow("empty") << QByteArray() << Bytes({0x01, 0x02, 0xFF});
    }

    void encodesTheLineFormat()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QByteArray, wire);
        QCOMPARE(UnitFrame::Encode(payload), wire);

        UnitFrame receiver;
        const QList<QByteArray> frames = FeedAll(receiver, wire);
        QCOMPARE(frames.size(), 1);
        QCOMPARE(frames.first(), payload);
    }

    void receiverEdgeCases_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QList<QByteArray>>("frames");

        const QByteArray good = UnitFrame::Encode(Bytes({20, 21, 1}));
        QTest::newRow("escaped caret inside a frame")
            << Bytes({0x01, 0x5E, 0x5E, 0x02, 0xA1}) << QList<QByteArray>{Bytes({0x5E})};
        QTest::newRow("escaped start byte inside a frame")
            << Bytes({0x01, 0x5E, 0x41, 0x02, 0xFE}) << QList<QByteArray>{Bytes({0x01})};
        QTest::newRow("start byte mid-frame restarts")
            << Bytes({0x01, 0x14, 0x33}) + good << QList<QByteArray>{Bytes({20, 21, 1})};
        QTest::newRow("wrong checksum dropped, next frame received")
            << Bytes({0x01, 0x14, 0x14, 0x02, 0xD8}) + good
            << QList<QByteArray>{Bytes({20, 21, 1})};
        QTest::newRow("stray bytes outside frames ignored")
            << Bytes({0x33, 0xFF, 0x5E, 0x41}) + good + Bytes({0x80, 0x90})
            << QList<QByteArray>{Bytes({20, 21, 1})};
        QTest::newRow("end byte outside a frame starts nothing")
            << Bytes({0x02, 0xFF, 0x02, 0x00}) << QList<QByteArray>{};
        QTest::newRow("escape pending at a start byte does not leak")
            << Bytes({0x01, 0x14, 0x5E}) + UnitFrame::Encode(Bytes({0x54, 0x01}))
            << QList<QByteArray>{Bytes({0x54, 0x01})};

        QByteArray longest(MaxPayload, 'A');
        QTest::newRow("longest payload accepted")
            << UnitFrame::Encode(longest) << QList<QByteArray>{longest};
        QByteArray oversized(MaxPayload + 1, 'A');
        QTest::newRow("oversized frame dropped, next received")
            << UnitFrame::Encode(oversized) + good << QList<QByteArray>{Bytes({20, 21, 1})};
        QByteArray huge(5000, 'B');
        QTest::newRow("endless frame never overruns")
            << Bytes({0x01}) + huge + good << QList<QByteArray>{Bytes({20, 21, 1})};
    }

    void receiverEdgeCases()
    {
        QFETCH(QByteArray, line);
        QFETCH(QList<QByteArray>, frames);
        UnitFrame receiver;
        QCOMPARE(FeedAll(receiver, line), frames);
    }

    void randomPayloadsRoundTripBackToBack()
    {
        QRandomGenerator random(1234);
        QByteArray line;
        QList<QByteArray> sent;
        for (int i = 0; i < 500; ++i) {
            QByteArray payload(random.bounded(0, MaxPayload + 1), Qt::Uninitialized);
            for (char& c : payload)
                c = static_cast<char>(random.bounded(256));
            sent.append(payload);
            line += UnitFrame::Encode(payload);
        }
        UnitFrame receiver;
        QCOMPARE(FeedAll(receiver, line), sent);
    }
};

QTEST_GUILESS_MAIN(TestUnitFrame)
#include "test_unit_frame.moc"
