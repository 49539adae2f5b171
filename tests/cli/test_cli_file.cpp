#include "cli/cli.h"
#include "core/appstate.h"
#include "core/prompter.h"
#include "support/filebytes.h"
#include "support/hvcctlrun.h"
#include "support/paths.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;
using namespace hvc::testutil;
using hvc::test::dataPath;

namespace {

const QString kMap = dataPath("cfg_map.ini");

} // namespace

TEST(CliFile, ShowPrintsFieldsThenVariables) {
    const Outcome r = hvcctl({"show", dataPath("cfg_original.txt"), "--ramlist", kMap});
    ASSERT_EQ(r.code, cli::Ok) << r.err.toStdString();
    EXPECT_TRUE(
        r.out.startsWith("File Name:\tcfg_original.txt\nAuthor:\tMario Rossi\nDate:\t12/03/2009\n"
                         "Revision:\t2\nCompany:\tOleodinamica Srl\nAdditional Comments:\n"
                         "\tfirst\n\tsecond, with a comma\n\n"))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.contains("\nZero Offset\t0220.00\t-12\t-12 mA\n"));
    EXPECT_TRUE(r.out.contains("\nT Rise 1A\t0400.00\t80\t800 ms\n")); // display through X*10
    EXPECT_TRUE(r.out.endsWith("\nSub Word\t01A2.03\t9\t9\n"));
}

TEST(CliFile, DiffOfTwoFiles) {
    // The same values written by the original program and by hand: no difference.
    Outcome r = hvcctl({"diff", dataPath("cfg_original.txt"), dataPath("cfg_handwritten_lf.txt"),
                        "--ramlist", kMap});
    EXPECT_EQ(r.code, cli::Ok) << r.err.toStdString();
    EXPECT_EQ(r.out, QString());

    QTemporaryDir dir;
    const QString changed = dir.filePath("changed.txt");
    QByteArray bytes = readBytes(dataPath("cfg_original.txt"));
    bytes.replace("0400.00\t00080", "0400.00\t00095");
    bytes.replace("Sub word\t01A2.03\t00009\r", "");
    ASSERT_TRUE(writeBytes(changed, bytes));
    r = hvcctl({"diff", dataPath("cfg_original.txt"), changed, "--ramlist", kMap});
    EXPECT_EQ(r.code, cli::Failed);
    EXPECT_EQ(r.out, "T Rise 1A\t0400.00\t80\t95\t800 ms\t950 ms\n"
                     "Sub Word\t01A2.03\t9\t-\t9\t-\n");
}

TEST(CliFile, TroubleExitsTwo) {
    QTemporaryDir dir;
    const QString cut = dir.filePath("cut.txt");
    const QByteArray good = readBytes(dataPath("cfg_original.txt"));
    ASSERT_TRUE(writeBytes(cut, good.left(good.size() - 9)));
    for (const QStringList& args :
         {QStringList{"diff", dataPath("cfg_original.txt"), cut, "--ramlist", kMap},
          QStringList{"show", cut, "--ramlist", kMap},
          QStringList{"show", dir.filePath("missing.txt"), "--ramlist", kMap}}) {
        const Outcome r = hvcctl(args);
        EXPECT_EQ(r.code, cli::Usage) << args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("Error Loading File!\n")) << r.err.toStdString();
        EXPECT_EQ(r.out, QString());
    }
    EXPECT_EQ(hvcctl({"diff", dataPath("cfg_original.txt"), "--ramlist", kMap}).code, cli::Usage);
    EXPECT_EQ(
        hvcctl({"show", dataPath("cfg_original.txt"), "--ramlist", dir.filePath("none.ini")}).code,
        cli::Usage);
}

TEST(CliFile, SaveAfterReadAllReportsAFailedSave) {
    // The successful save runs end to end in CliFileUnit.
    ScriptedPrompter prompter;
    AppState state;
    state.observers.setPrompter(&prompter);
    ASSERT_TRUE(state.document.catalogue.loadCatalogue(kMap, prompter));
    QTemporaryDir dir;
    QString out, err;
    QTextStream o(&out), e(&err);
    cli::Io io{o, e};
    QCommandLineParser parser;
    cli::addSaveOptions(parser);
    ASSERT_TRUE(parser.parse({"hvcctl", "-o", dir.filePath("no/such/unit.txt")}));
    EXPECT_EQ(cli::saveAfterReadAll(state, parser, io), cli::Usage);
    EXPECT_EQ(prompter.texts(), QStringList{"Configuration NOT SAVED!"});
    e.flush();
    EXPECT_FALSE(err.isEmpty());
}
