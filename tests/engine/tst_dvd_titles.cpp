// A DVD's titles and chapters as libdvdread reads them from a folder made
// with dvdauthor and from an image of it.
#include "TestMedia.h"

#include "disc/DvdTitleList.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestDvdTitles : public QObject
{
    Q_OBJECT
private slots:
    void titlesOfAFolderAndItsImage()
    {
        QTemporaryDir work;
        const QString folder = work.filePath("DVD");
        QVERIFY2(TestMedia::MakeDvd(folder, {5, 7}, work.path(), 2), "dvdauthor could not make the DVD");
        const QString image = work.filePath("DVD.iso");
        QCOMPARE(QProcess::execute("genisoimage", {"-quiet", "-udf", "-dvd-video", "-o", image, folder}), 0);
        for (const QString &location : {folder, image}) {
            const QList<DvdTitle> titles = ReadDvdTitles(location);
            QCOMPARE(titles.size(), 2);
            QCOMPARE(titles[0].number, 1);
            QCOMPARE(titles[1].number, 2);
            QVERIFY(qAbs(titles[0].seconds - 5) <= 1);
            QVERIFY(qAbs(titles[1].seconds - 7) <= 1);
            QCOMPARE(titles[1].chapters.size(), 4);
            QCOMPARE(titles[1].chapters.first(), 0u);
            QVERIFY(qAbs(int(titles[1].chapters[2]) - 4000) <= 500);
        }
        QVERIFY(ReadDvdTitles(work.filePath("nothing")).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDvdTitles)
#include "tst_dvd_titles.moc"
