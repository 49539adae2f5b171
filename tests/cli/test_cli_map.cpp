// hvcctl and the variable map: what a technician sees when a map is wrong.
#include "cli/cli.h"
#include "core/catalogue.h"
#include "support/filebytes.h"
#include "support/hvcctlrun.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace hvc;
using namespace hvc::testutil;

namespace {
const QByteArray kHeader =
    "Name\tAddr\tSub\tId\tSave\tDef\tSec\tMask\tMin\tMax\tUnit\tMon\tF\tIF\n";
}

TEST(CliMap, AFaultyMapGivesTheMessageThenFileLineAndReason) {
    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("custom.ini"));
    ASSERT_TRUE(writeBytes(map, kHeader + "a\t0100\t00\n" + "b\t01G0\t00\n"));
    const QString expected = QString::fromLatin1(kRamlistMessage) +
                             QStringLiteral("\n  '%1', line 3: Address '01G0' is not a hexadecimal "
                                            "number\n")
                                 .arg(map);
    Outcome r = hvcctl({"catalogue", "--ramlist", map});
    EXPECT_EQ(r.code, cli::Usage);
    EXPECT_EQ(r.err, expected);
    r = hvcctl({"show", dir.filePath(QStringLiteral("any.txt")), "--ramlist", map});
    EXPECT_EQ(r.code, cli::Usage);
    EXPECT_EQ(r.err, expected);
}

TEST(CliMap, CatalogueWarnsOfBlankAndNameOnlyLines) {
    QTemporaryDir dir;
    const QString map = dir.filePath(QStringLiteral("holes.ini"));
    ASSERT_TRUE(writeBytes(map, kHeader + "a\t0100\t00\n\nStray\nd\t0104\t00\n"));
    const Outcome r = hvcctl({"catalogue", "--ramlist", map});
    EXPECT_EQ(r.code, cli::Ok);
    EXPECT_EQ(r.out.count(u'\n'), 4) << "the lines still load as variables";
    const QStringList warnings = r.err.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(warnings.size(), 2) << r.err.toStdString();
    EXPECT_TRUE(warnings[0].startsWith(
        QStringLiteral("hvcctl catalogue: warning: '%1', line 3: blank line").arg(map)));
    EXPECT_TRUE(warnings[1].contains(QStringLiteral("line 4: only a name ('Stray')")));
    EXPECT_EQ(hvcctl({"catalogue", "--ramlist", HVC_SOURCE_DIR "/res/ini/Ramlist.ini"}).err,
              QString())
        << "the shipped map has no such line";
}
