// The joystick pictures: the build paints one set per model of the shipped
// catalogue, and JoyPictures finds them, or leaves them empty when they are missing.

#include "core/joycatalogue.h"
#include "core/prompter.h"
#include "shell/joypictures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace hvc;

namespace {

QString resDir() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/res");
}

constexpr JoyPicture kAxisKinds[] = {JoyPicture::X, JoyPicture::Y, JoyPicture::Z, JoyPicture::W};

// The axis pictures a record should have: one per axis it reads.
int axisPictures(const JoyModel& r) {
    return r.axisNum >= 1 && r.axisNum <= 3 ? r.axisNum : 4;
}

} // namespace

class JoyPicturesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyShippedModelHasItsPictures();
    void missingFilesStayEmptyWithoutAMessage();
};

void JoyPicturesTest::everyShippedModelHasItsPictures() {
    JoyCatalogue catalogue;
    ScriptedPrompter prompter;
    QVERIFY2(catalogue.loadJoyList(resDir() + QStringLiteral("/ini/JoylistNew.ini"), prompter),
             qPrintable(catalogue.lastError()));
    QVERIFY(catalogue.joyCount() > 0);
    JoyPictures pictures;
    pictures.load(catalogue, resDir() + QStringLiteral("/bmp/joy"));
    for (int i = 0; i < catalogue.joyCount(); ++i) {
        const JoyModel& r = catalogue.joyList(i);
        QVERIFY2(!pictures.picture(i).isNull(), qPrintable(r.joyCode));
        QCOMPARE(pictures.picture(i).size(), pictures.picture(i, JoyPicture::Off).size());
        for (int k = 0; k < 4; ++k)
            QVERIFY2(pictures.picture(i, kAxisKinds[k]).isNull() != (k < axisPictures(r)),
                     qPrintable(r.joyCode + QStringLiteral(" axis %1").arg(k + 1)));
        // Models are told apart by their pictures, not only by the caption.
        for (int j = 0; j < i; ++j)
            QVERIFY(pictures.picture(i).toImage() != pictures.picture(j).toImage());
    }
    QVERIFY(!pictures.unknownPicture().isNull() && !pictures.notUsedPicture().isNull() &&
            !pictures.customPicture().isNull());
    QVERIFY(pictures.picture(catalogue.joyCount()).isNull());
    // The hand pointer is the painted one, not the system's.
    QCOMPARE(pictures.handCursor().shape(), Qt::BitmapCursor);
    QVERIFY(!pictures.handCursor().pixmap().isNull());
}

void JoyPicturesTest::missingFilesStayEmptyWithoutAMessage() {
    JoyCatalogue catalogue;
    ScriptedPrompter prompter;
    QVERIFY(catalogue.loadJoyListText(
        QStringLiteral(
            "header\nAA\tn\t\t\t\t\t1\t2\t7\t1\t0\t17\t2\nBB\tn\t\t\t\t\t1\t1\t8\t1\t0\n"),
        prompter));
    QTemporaryDir dir;
    const QString joy = dir.filePath(QStringLiteral("bmp/joy"));
    QVERIFY(QDir().mkpath(joy));
    // Only some of AA's files exist; BB, the shared pictures and the hand have none.
    const QString shipped = resDir() + QStringLiteral("/bmp/joy/HJ2C");
    QVERIFY(QFile::copy(shipped + QStringLiteral(".jpg"), joy + QStringLiteral("/AA.jpg")));
    QVERIFY(QFile::copy(shipped + QStringLiteral("_Y.jpg"), joy + QStringLiteral("/AA_Y.jpg")));
    JoyPictures pictures;
    pictures.load(catalogue, joy);

    QVERIFY(!pictures.picture(0).isNull());
    QVERIFY(!pictures.picture(0, JoyPicture::Y).isNull());
    QVERIFY(pictures.picture(0, JoyPicture::X).isNull());
    QVERIFY(pictures.picture(0, JoyPicture::Off).isNull());
    QVERIFY(pictures.picture(1).isNull());
    QVERIFY(pictures.unknownPicture().isNull());
    QCOMPARE(pictures.handCursor().shape(), Qt::PointingHandCursor);
    QVERIFY(prompter.messages.isEmpty());
}

QTEST_MAIN(JoyPicturesTest)
#include "test_joypictures.moc"
