// Cell value conversions for rowset consumers, against a plain copy of the cell value (the
// baseline: every conversion starts from such a copy, since it converts in place).
#include <pova/common/RowsetHelper.h>

#include <benchmark/benchmark.h>

namespace {

using common::RowsetHelper;
using namespace ZELT_o;  // the DataType values

// A typical value of each source type. The variant holds a number, so that copying its bits
// shares nothing that a conversion would free.
CellValue prototype(DataType type) {
    CellValue v;
    v.type = type;
    switch (type) {
        case kDataInteger:
            v.longValue = 123456;
            break;
        case kDataReal:
            v.doubleValue = 12345.6789;
            break;
        case kDataString:
            v.stringValue = "12345.6789";
            break;
        case kDataDateTime:
            v.dateValue = 39704.5;
            break;
        default:
            v.variantValue.vt = VT_R8;
            v.variantValue.dblVal = 12345.6789;
            break;
    }
    return v;
}

void BM_CopyCellValue(benchmark::State& state) {
    CellValue const source = prototype(static_cast<DataType>(state.range(0)));
    for (auto _ : state) {
        CellValue copy = source;
        benchmark::DoNotOptimize(copy);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_ConvertData(benchmark::State& state) {
    CellValue const source = prototype(static_cast<DataType>(state.range(0)));
    auto const to = static_cast<DataType>(state.range(1));
    for (auto _ : state) {
        CellValue value = source;
        benchmark::DoNotOptimize(RowsetHelper::convert_data(value, to, 64));
        if (value.type == kDataVariant) {
            // A string converted to a variant made a BSTR: the caller owns it.
            VariantClear(&value.variantValue);
        }
        benchmark::DoNotOptimize(value);
    }
    state.SetItemsProcessed(state.iterations());
}

void copyArguments(benchmark::internal::Benchmark* b) {
    b->ArgName("from");
    for (int from = kDataInteger; from <= kDataVariant; ++from) {
        b->Arg(from);
    }
}

// Every supported conversion, the identities included.
void conversionArguments(benchmark::internal::Benchmark* b) {
    b->ArgNames({"from", "to"});
    for (int from = kDataInteger; from <= kDataVariant; ++from) {
        for (int to = kDataInteger; to <= kDataVariant; ++to) {
            if (RowsetHelper::is_conversion_supported(static_cast<DataType>(from),
                                                      static_cast<DataType>(to))) {
                b->Args({from, to});
            }
        }
    }
}

BENCHMARK(BM_CopyCellValue)->Apply(copyArguments);
BENCHMARK(BM_ConvertData)->Apply(conversionArguments);

}  // namespace
