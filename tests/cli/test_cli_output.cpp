// hvcctl's standard output: what a command prints either arrives or the command fails.
#include "cli/cli.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace hvc;

TEST(CliOutput, OutputThatCannotBeWrittenExitsTwo) {
    for (const QStringList& args :
         {QStringList{"eval", "1+1"}, QStringList{"--help"}, QStringList{"part", "a|b", "2"}}) {
        QFile full(QStringLiteral("/dev/full"));
        ASSERT_TRUE(full.open(QIODevice::WriteOnly));
        QTextStream out(&full);
        QString err;
        QTextStream e(&err);
        cli::Io io{out, e};
        EXPECT_EQ(cli::runCli(args, io), cli::Usage) << args.join(' ').toStdString();
        e.flush();
        EXPECT_TRUE(err.startsWith("hvcctl: the output could not be written: "))
            << err.toStdString();
    }
    // The same command succeeds where the output arrives.
    QString text, err;
    QTextStream out(&text), e(&err);
    cli::Io io{out, e};
    EXPECT_EQ(cli::runCli({"eval", "1+1"}, io), cli::Ok);
    EXPECT_EQ(text, "2\n");
}
