// One recalculation pass over both worksheets of a large farm: the pass runs
// after every edit, so it must stay well below what a user notices.
#include <benchmark/benchmark.h>

#include <string>

#include "worksheets/Recalc.h"
#include "worksheets/Worksheet.h"

namespace {

// Rows as the crop choice leaves them, with yields and corrections that vary
// from row to row; a few rows without a crop.
void FillRows(kv4::Worksheet& n, kv4::Worksheet& p, int fields) {
    namespace ncol = kv4::ncol;
    namespace pcol = kv4::pcol;
    n.SetRowCount(fields + 2);
    p.SetRowCount(fields + 2);
    for (int r = 1; r <= fields; ++r) {
        const bool chosen = r % 10 != 0;
        n.SetCell(ncol::Frucht, r, "Frucht " + std::to_string(r % 12));
        n.SetCell(ncol::Ertragserwartung, r, std::to_string(60 + r % 40));
        n.SetCell(ncol::NMin, r, std::to_string(-(r % 60)));
        n.SetCell(ncol::Humus, r, r % 7 == 0 ? "-20" : "");
        n.SetCell(ncol::OrgVorjahr, r, std::to_string(-(r % 25)));
        p.SetCell(pcol::Ertragserwartung, r, n.Cells(ncol::Ertragserwartung, r));
        p.SetCell(pcol::Erntereste, r, r % 3 == 0 ? "    X" : "");
        if (!chosen) continue;
        n.SetCell(ncol::BasisErtrag, r, "80");
        n.SetCell(ncol::NSollwert, r, "230");
        n.SetCell(ncol::YieldStep, r, "10");
        n.SetCell(ncol::SurchargeRate, r, "10");
        n.SetCell(ncol::DeductionRate, r, "15");
        p.SetCell(pcol::Factor, r, "0,8");
        p.SetCell(pcol::FactorResidues, r, "1,04");
    }
}

void BM_RecalcWorksheets(benchmark::State& state) {
    kv4::Worksheet n = kv4::MakeNWorksheet();
    kv4::Worksheet p = kv4::MakePWorksheet();
    FillRows(n, p, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        // A changed yield expectation in the first row, as after an edit.
        n.SetCell(kv4::ncol::Ertragserwartung, 1, state.iterations() % 2 ? "81" : "79");
        kv4::RecalcWorksheets(n, p, ',');
        benchmark::DoNotOptimize(n.Revision());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_RecalcWorksheets)->Arg(2000)->Unit(benchmark::kMicrosecond);

}  // namespace
