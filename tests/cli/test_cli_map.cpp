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

TEST(CliMap, AFaultyMapGivesTheMessageThenFileLineAndReasonAndBlankLinesAWarning) {
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

    // A blank line still loads; the warning names the file and line.
    ASSERT_TRUE(writeBytes(map, kHeader + "a\t0100\t00\n\nd\t0104\t00\n"));
    r = hvcctl({"catalogue", "--ramlist", map});
    EXPECT_EQ(r.code, cli::Ok);
    EXPECT_EQ(r.out.count(u'\n'), 3);
    EXPECT_TRUE(r.err.startsWith(
        QStringLiteral("hvcctl catalogue: warning: '%1', line 3: blank line").arg(map)))
        << r.err.toStdString();
}
