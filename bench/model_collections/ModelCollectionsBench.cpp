// What one edit of a model collection costs as the collection grows: 100,000 appends to a
// sequence, each a modification committed by itself, then the same inside one transaction;
// 100,000 insertions into a set; and look-ups in a set of that size. An edit or look-up that
// copied the collection would cost in proportion to its size: the time per edit at 1,000,
// 10,000 and 100,000 items shows whether it does.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

#include "tq/zero/ElementMacros.h"

namespace {

// clang-format off
TQ_ELEMENT("bench_model_collections", Ledger, ::tq::zero::Element,
           (STRINGS, ANY, entries, Entries)
           (STRING_SET, ANY, keys, Keys))
// clang-format on

// Zero-padded, so ascending numbers are ascending texts and each set insertion lands at the end.
std::u16string key(std::int64_t number) {
    std::string text = std::to_string(number);
    text.insert(0, 9 - std::min<std::size_t>(9, text.size()), '0');
    return std::u16string(text.begin(), text.end());
}

// Runs `edits` on a fresh ledger per iteration; only the edits are timed.
template <class Edits>
void timeEdits(benchmark::State& state, Edits edits) {
    const std::int64_t count = state.range(0);
    for (auto _ : state) {
        state.PauseTiming();
        {
            tq::zero::Model model;
            const Ledger ledger = Ledger::create(model, tq::zero::nilUuid());
            state.ResumeTiming();
            edits(model, ledger, count);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.counters["per_edit"] =
        benchmark::Counter(static_cast<double>(count),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SequenceAppendEachCommitted(benchmark::State& state) {
    timeEdits(state, [](const tq::zero::Model&, const Ledger& ledger, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
            auto modification = ledger.getEntries().modify();
            modification.append(key(i));
            modification.commit();
        }
    });
}

void BM_SequenceAppendInOneTransaction(benchmark::State& state) {
    timeEdits(state, [](const tq::zero::Model& model, const Ledger& ledger, std::int64_t count) {
        model.beginTransaction(false);
        for (std::int64_t i = 0; i < count; ++i) {
            auto modification = ledger.getEntries().modify();
            modification.append(key(i));
            modification.commit();
        }
        model.commit();
        model.endTransaction();
    });
}

void BM_SetInsertEachCommitted(benchmark::State& state) {
    timeEdits(state, [](const tq::zero::Model&, const Ledger& ledger, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
            auto modification = ledger.getKeys().modify();
            modification.insert(key(i));
            modification.commit();
        }
    });
}

void BM_SetContains(benchmark::State& state) {
    const std::int64_t count = state.range(0);
    tq::zero::Model model;
    const Ledger ledger = Ledger::create(model, tq::zero::nilUuid());
    auto filling = ledger.getKeys().modify();
    for (std::int64_t i = 0; i < count; ++i) filling.insert(key(i));
    filling.commit();
    const auto keys = ledger.getKeys();
    std::int64_t probe = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(keys.contains(key(probe)));
        probe = (probe + 7919) % (2 * count);  // half of the probes miss
    }
}

BENCHMARK(BM_SequenceAppendEachCommitted)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SequenceAppendInOneTransaction)
    ->Arg(1'000)
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetInsertEachCommitted)->Arg(1'000)->Arg(10'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SetContains)->Arg(1'000)->Arg(10'000)->Arg(100'000);

}  // namespace

BENCHMARK_MAIN();
