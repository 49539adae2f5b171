// Cost of the formula evaluator over the shipped map and of loading a full map.
#include "core/catalogue.h"
#include "core/prompter.h"
#include "core/stringeval.h"

#include <QFile>
#include <QTemporaryFile>
#include <benchmark/benchmark.h>

namespace {

QString shippedMap() {
    QFile f(QStringLiteral(HVC_RES_DIR "/ini/Ramlist.ini"));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(f.readAll());
}

void bmEvalShippedFormulas(benchmark::State& state) {
    hvc::Catalogue cat;
    hvc::ScriptedPrompter prompter;
    cat.loadCatalogueText(shippedMap(), prompter);
    QStringList formulas;
    for (int i = 1; i <= cat.varCount(); ++i) {
        if (!cat[i].formula.isEmpty())
            formulas << cat[i].formula;
        if (!cat[i].inverseFormula.isEmpty())
            formulas << cat[i].inverseFormula;
    }
    if (formulas.isEmpty()) {
        state.SkipWithError("the shipped map has no formulas");
        return;
    }
    std::int32_t x = 0;
    for (auto _ : state) {
        for (const QString& f : formulas)
            benchmark::DoNotOptimize(hvc::evalFormula(f, ++x & 0x7FFF, 0, 0));
    }
    state.SetItemsProcessed(state.iterations() * formulas.size());
    state.counters["formulas"] = static_cast<double>(formulas.size());
}
BENCHMARK(bmEvalShippedFormulas);

void bmEvalGroupedFormula(benchmark::State& state) {
    const QString f = QStringLiteral("((X*10)/4+(X&255))*2");
    std::int32_t x = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(hvc::evalFormula(f, ++x & 0x7FFF, 0, 0));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(bmEvalGroupedFormula);

// Groups nested state.range(0) deep: time per character must stay flat as the
// depth grows (the evaluation is linear in the formula's length).
void bmEvalDeepNesting(benchmark::State& state) {
    const auto depth = static_cast<qsizetype>(state.range(0));
    const QString f = QString(depth, u'(') + QStringLiteral("1+X") + QString(depth, u')');
    std::int32_t x = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(hvc::evalFormula(f, ++x & 0x7FFF, 0, 0));
    state.SetComplexityN(state.range(0));
    state.SetBytesProcessed(state.iterations() * f.size());
}
BENCHMARK(bmEvalDeepNesting)
    ->Arg(1000)
    ->Arg(5000)
    ->Arg(10000)
    ->Unit(benchmark::kMicrosecond)
    ->Complexity(benchmark::oN);

void bmLoadCatalogue250(benchmark::State& state) {
    QString text =
        QStringLiteral("Name\tAddr\tSub\tId\tSave\tDef\tSec\tMask\tMin\tMax\tUnit\tMon\tF\tIF\n");
    for (int i = 0; i < 250; ++i)
        text += QStringLiteral("Variable %1\t%2\t00\t\tDescriptive name "
                               "%1\t%3\t%4\t11\t0\t5000\tms\tV%1\tX*10\tX/10\n")
                    .arg(i)
                    .arg(0x100 + 2 * i, 4, 16, QChar(u'0'))
                    .arg(i * 3)
                    .arg(i % 4);
    QTemporaryFile file;
    if (!file.open() || file.write(text.toLatin1()) < 0 || !file.flush()) {
        state.SkipWithError("cannot write the temporary map");
        return;
    }
    for (auto _ : state) {
        hvc::Catalogue cat;
        hvc::ScriptedPrompter prompter;
        benchmark::DoNotOptimize(cat.loadCatalogue(file.fileName(), prompter));
    }
    state.SetItemsProcessed(state.iterations() * 250);
}
BENCHMARK(bmLoadCatalogue250);

} // namespace

BENCHMARK_MAIN();
