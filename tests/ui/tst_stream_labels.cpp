// The labels of a disc's audio and subtitle streams.

#include "ui/StreamLabels.h"

#include <QtTest>

namespace {

STREAM_INFO Stream(quint8 codingType, const QByteArray& language, quint8 audioFormat = 0)
{
    STREAM_INFO stream;
    stream.codingType = codingType;
    stream.language = language;
    stream.audioFormat = audioFormat;
    return stream;
}

} // namespace

class TestStreamLabels : public QObject {
    Q_OBJECT

private slots:
    void labels_data()
    {
        QTest::addColumn<QList<STREAM_INFO>>("streams");
        QTest::addColumn<bool>("audio");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("labels");
        const QList<STREAM_INFO> japanese{Stream(0x83, "jpn", 6), Stream(0x80, "jpn", 3), Stream(0x80, "jpn", 3),
                                          Stream(0x80, "jpn", 1)};
        QTest::newRow("alike told apart") << japanese << true << "en"
            << QStringList{"Japanese Dolby TrueHD multichannel", "Japanese LPCM stereo #2",
                           "Japanese LPCM stereo #3", "Japanese LPCM mono"};
        QTest::newRow("in Japanese") << QList<STREAM_INFO>{Stream(0x81, "eng", 6), Stream(0x85, "ger", 12)} << true
            << "ja" << QStringList{"英語 Dolby Digital multichannel", "ドイツ語 DTS-HD multichannel"};
        QTest::newRow("subtitles") << QList<STREAM_INFO>{Stream(0x90, "fra"), Stream(0x90, "fra"), Stream(0x92, "qqq")}
            << false << "de_DE" << QStringList{"Französisch #1", "Französisch #2", "QQQ"};
    }

    void labels()
    {
        QFETCH(QList<STREAM_INFO>, streams);
        QFETCH(bool, audio);
        QFETCH(QString, locale);
        QFETCH(QStringList, labels);
        QCOMPARE(StreamLabels(streams, audio, locale, {"mono", "stereo", "multichannel"}), labels);
    }
};

QTEST_GUILESS_MAIN(TestStreamLabels)
#include "tst_stream_labels.moc"
