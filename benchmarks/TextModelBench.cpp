// Speed of the text model against the in-memory host.
#include "model/Align.h"
#include "model/EditState.h"
#include "model/InsertionPoint.h"
#include "model/WriteBack.h"

#include "qarx/hostctl.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>

namespace {

// A drawing with a stack of n lines, 5 units apart, as the current document.
struct Stack {
    explicit Stack(int n) {
        auto db = std::make_unique<AcDbDatabase>();
        AcDbBlockTableRecord* ms = nullptr;
        acdbOpenObject(ms, db->modelSpaceId(), AcDb::kForWrite);
        for (int i = 0; i < n; ++i) {
            auto* t = new AcDbText;
            t->setTextString((L"line " + std::to_wstring(i)).c_str());
            t->setPosition({10, -5.0 * i, 0});
            AcDbObjectId id;
            ms->appendAcDbEntity(id, t);
            t->close();
            state.texts.push_back(id);
            text += (i ? L"\r" : L"") + std::wstring(L"line ") + std::to_wstring(i);
        }
        ms->close();
        qarx::Host::get().closeAllDocuments();
        qarx::Host::get().addDocument(std::move(db), L"bench.dxf");
        state.mode = DTEXT;
        state.lineSpacing = 5, state.stepY = 5, state.baseX = 10;
    }
    ~Stack() { qarx::Host::get().closeAllDocuments(); }
    EditState state;
    std::wstring text;
};

void BM_ApplyOneTypedCharacter(benchmark::State& st) {
    Stack s(static_cast<int>(st.range(0)));
    std::wstring a = s.text + L"x", b = s.text + L"y";
    bool flip = false;
    for (auto _ : st) {
        TextLines lines((flip = !flip) ? a : b);
        benchmark::DoNotOptimize(ApplyEditorText(s.state, lines));
    }
}
BENCHMARK(BM_ApplyOneTypedCharacter)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The stack as a selection in random order, made anew for each run.
struct Shuffled : Stack {
    explicit Shuffled(int n) : Stack(n), ids(state.texts) { std::shuffle(ids.begin(), ids.end(), std::mt19937(7)); }
    EditState select() {
        EditState e;
        qarx::Host::get().queueSelection({qarx::SelectionAnswer::kEntities, ids});
        acedSSGet(nullptr, nullptr, nullptr, nullptr, e.selectionSet);
        return e;
    }
    AcDbObjectIdArray ids;
};

void BM_ClassifySelection(benchmark::State& st) {
    Shuffled s(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        st.PauseTiming();
        EditState e = s.select();
        st.ResumeTiming();
        benchmark::DoNotOptimize(ClassifySelection(e));
        st.PauseTiming();
        acedSSFree(e.selectionSet);
        st.ResumeTiming();
    }
}
BENCHMARK(BM_ClassifySelection)->Arg(2000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The literal exchange passes, each key read from the drawing at each
// comparison: what ClassifySelection's order must equal.
void ExchangePasses(EditState& s) {
    const size_t n = s.texts.size();
    auto key = [&](AcDbObjectId id) {
        AcGePoint3d p;
        GetEffectiveInsertionPoint(id, p);
        return p.y * s.cosRotation - p.x * s.sinRotation;
    };
    for (bool exchanged = true; exchanged;) {
        exchanged = false;
        for (size_t i = 1; i < n; ++i)
            if (key(s.texts[i]) > key(s.texts[i - 1])) {
                std::swap(s.texts[i], s.texts[i - 1]);
                exchanged = true;
            }
    }
}

void BM_ExchangePasses(benchmark::State& st) {
    Shuffled s(static_cast<int>(st.range(0)));
    for (auto _ : st) {
        st.PauseTiming();
        EditState e = s.select();
        EditState fast = s.select();
        ClassifySelection(fast);
        e.mode = DTEXT;
        e.texts = s.ids;
        ComputeLineFrame(e);
        st.ResumeTiming();
        ExchangePasses(e);
        st.PauseTiming();
        if (e.texts != fast.texts) st.SkipWithError("the exchange passes give another order");
        acedSSFree(e.selectionSet);
        acedSSFree(fast.selectionSet);
        st.ResumeTiming();
    }
}
BENCHMARK(BM_ExchangePasses)->Arg(2000)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_AlignX(benchmark::State& st) {
    Stack s(static_cast<int>(st.range(0)));
    for (auto _ : st)
        benchmark::DoNotOptimize(AlignX(s.state));
}
BENCHMARK(BM_AlignX)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_AlignY(benchmark::State& st) {
    Stack s(static_cast<int>(st.range(0)));
    for (auto _ : st)
        benchmark::DoNotOptimize(AlignY(s.state));
}
BENCHMARK(BM_AlignY)->Arg(10000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
