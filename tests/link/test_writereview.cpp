// Review before writing, against hvc-sim: the rows a write would change, the
// selective write, the read-back check and a bad file to compare, through UnitCommands
// with a view that answers the review as a technician would.

#include "core/configfile.h"
#include "core/unitcommands.h"
#include "core/writereview.h"
#include "support/filebytes.h"
#include "support/unitrig.h"

#include <functional>

using namespace hvc;
using hvc::test::kUnitWords;
using hvc::test::readEeprom;
using hvc::test::UnitRig;
using hvc::test::writeEeprom;

namespace {

class ReviewView : public CommandView {
public:
    WriteChoice chooseWrite(const QList<ReviewRow>& rows) override {
        shown = rows;
        ++reviews;
        return answer ? answer(rows) : WriteChoice::cancel();
    }
    QList<int> chooseFileRows(const QList<ReviewRow>& rows, const QString&) override {
        shown = rows;
        ++reviews;
        return {};
    }

    std::function<WriteChoice(const QList<ReviewRow>&)> answer;
    QList<ReviewRow> shown;
    int reviews = 0;
};

WriteChoice tickAll(const QList<ReviewRow>& rows) {
    QList<int> all;
    for (const ReviewRow& r : rows)
        all << r.position;
    return WriteChoice::rows(all);
}

struct ReviewRig : UnitRig {
    ReviewView view;
    UnitCommands commands{state, view};

    // hvc-sim with the test unit's words, connected as the Connect command does.
    bool connect(const QStringList& simArgs = {}, QMap<QString, int> words = kUnitWords) {
        writeEeprom(eeprom(), words);
        if (!start(simArgs))
            return false;
        link.closeLink();
        commands.connectToUnit();
        return state.session.connectState() == ConnectState::Connected &&
               prompter.messages.isEmpty();
    }
    int pos(HvcId id) const { return state.document.catalogue.idIndex(id); }
    std::uint16_t pageKey() { return state.document.page(Page::Config).writeKey; }
    QList<int> shownPositions() const {
        QList<int> out;
        for (const ReviewRow& r : view.shown)
            out << r.position;
        return out;
    }
    int unitWord(const char* address) const { return readEeprom(eeprom()).value(address); }
};

} // namespace

TEST(WriteReview, TickedRowsReachTheUnitAndUntickedOnesStayPending) {
    ReviewRig rig;
    ASSERT_TRUE(rig.connect()) << rig.prompter.texts().join(u'\n').toStdString();
    UnitVariable& max = rig.var(HvcId::HVC_I0_MAX);
    UnitVariable& rise = rig.var(HvcId::HVC_RAMP_TRISE_0);
    UnitVariable& dither = rig.var(HvcId::HVC_DITHER_FREQ);
    max.workingWord = 900;
    rise.workingWord = 600;
    dither.workingWord = 150;
    rig.state.document.flags.markDataChanged();
    rig.view.answer = [&rig](const QList<ReviewRow>&) {
        return WriteChoice::rows({rig.pos(HvcId::HVC_I0_MAX), rig.pos(HvcId::HVC_DITHER_FREQ)});
    };

    rig.commands.writePage(rig.pageKey(), {});
    // Exactly the three edits, in catalogue order, against the unit's words.
    EXPECT_EQ(rig.shownPositions(),
              (QList<int>{rig.pos(HvcId::HVC_I0_MAX), rig.pos(HvcId::HVC_RAMP_TRISE_0),
                          rig.pos(HvcId::HVC_DITHER_FREQ)}));
    EXPECT_EQ(describeRow(rig.state.document.catalogue, rig.view.shown[0]).newValue, "900 mA");
    EXPECT_EQ(rig.unitWord("0302.00"), 900);
    EXPECT_EQ(rig.unitWord("0502.00"), 150);
    EXPECT_EQ(rig.unitWord("0400.00"), 125) << "an unticked row reached the unit";
    EXPECT_EQ(rise.unitWord, 125) << "the unticked edit must stay pending";

    // The next review lists only what is left; writing it clears the document.
    rig.view.answer = tickAll;
    rig.commands.writePage(rig.pageKey(), {});
    EXPECT_EQ(rig.shownPositions(), QList<int>{rig.pos(HvcId::HVC_RAMP_TRISE_0)});
    EXPECT_EQ(rig.unitWord("0400.00"), 600);
    EXPECT_TRUE(rig.state.document.flags.dataUnchanged());
}

TEST(WriteReview, CancelWritesNothingALoadedFileIsReviewedAgainstTheUnitAGarbledOneNotAtAll) {
    ReviewRig rig;
    ASSERT_TRUE(rig.connect());
    const QString path = rig.dir.filePath(QStringLiteral("other.txt"));
    rig.var(HvcId::HVC_I0_MIN).workingWord = 400;
    rig.var(HvcId::HVC_JOY_TIMEOUT).workingWord = 40000;
    ASSERT_TRUE(saveConfigFile(rig.state, path).ok());

    // Load records the file's values as the unit's; the review must not believe it.
    ASSERT_TRUE(rig.commands.loadFile(path));
    EXPECT_EQ(rig.var(HvcId::HVC_I0_MIN).unitWord, 400);
    rig.commands.writeAll();
    EXPECT_EQ(rig.view.reviews, 1);
    EXPECT_EQ(rig.shownPositions(),
              (QList<int>{rig.pos(HvcId::HVC_I0_MIN), rig.pos(HvcId::HVC_JOY_TIMEOUT)}));
    EXPECT_EQ(rig.view.shown[0].unitWord, 310);
    EXPECT_EQ(rig.unitWord("0300.00"), 310);

    // Written whole: the word read back signed is the same word as 40000.
    rig.view.answer = tickAll;
    rig.commands.writeAll();
    EXPECT_EQ(rig.unitWord("0602.00"), 40000 - 65536);
    EXPECT_TRUE(rig.prompter.texts().filter(QLatin1String(kVerifyFailed)).isEmpty())
        << rig.prompter.texts().join(u'\n').toStdString();
    rig.commands.writeAll();
    EXPECT_TRUE(rig.view.shown.isEmpty()) << "a word the unit holds listed as a difference";

    // Compare with a garbled file: the load's message, nothing asked or changed.
    QByteArray garbled = hvc::testutil::readBytes(path);
    garbled.replace("\t0302.00\t", "\t03Z2.00\t");
    ASSERT_TRUE(hvc::testutil::writeBytes(path, garbled));
    rig.prompter.messages.clear();
    const int reviews = rig.view.reviews;
    EXPECT_FALSE(rig.commands.compareWithFile(path));
    EXPECT_EQ(rig.prompter.texts(), QStringList{QString::fromLatin1(kErrorLoadingFile)});
    EXPECT_EQ(rig.view.reviews, reviews);
}

TEST(WriteReview, ReadBackCatchesAUnitThatIgnoresOrAltersAWrite) {
    ReviewRig rig;
    ASSERT_TRUE(
        rig.connect({QStringLiteral("--ignore-write"), QStringLiteral("0302.00"),
                     QStringLiteral("--alter-write"), QStringLiteral("Dither Frequency=5")}));
    UnitVariable& max = rig.var(HvcId::HVC_I0_MAX);
    max.workingWord = 900;
    rig.var(HvcId::HVC_I0_MIN).workingWord = 400;
    rig.state.document.flags.markDataChanged();
    rig.view.answer = tickAll;

    rig.commands.writePage(rig.pageKey(), {});
    ASSERT_EQ(rig.prompter.messages.size(), 1);
    EXPECT_EQ(rig.prompter.messages[0].text,
              QStringLiteral("Verify failed: I Max 1A (0302.00): written 900, the unit holds 820"));
    EXPECT_EQ(max.unitWord, 820) << "the record must say what the unit holds";

    // Nothing else differs now, yet the whole image may be written: every word
    // is sent and checked, so the altering word is caught too.
    max.workingWord = 820;
    rig.prompter.messages.clear();
    rig.view.answer = [](const QList<ReviewRow>&) { return WriteChoice::wholeImage(); };
    rig.commands.writeAll();
    EXPECT_TRUE(rig.view.shown.isEmpty());
    EXPECT_EQ(rig.prompter.texts(),
              QStringList{"Verify failed: Dither Frequency (0502.00): written 120, the unit "
                          "holds 125"});

    // With the check off, nothing is read back and nothing is said.
    rig.state.session.verifyWrites = false;
    rig.prompter.messages.clear();
    max.workingWord = 950;
    rig.commands.writePage(rig.pageKey(), {});
    EXPECT_TRUE(rig.prompter.messages.isEmpty());
    EXPECT_EQ(rig.unitWord("0302.00"), 820);
}
