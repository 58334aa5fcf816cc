// Speed of the per-frame math (matrix products, inverses, quaternion products) and of the allocator.
#include <benchmark/benchmark.h>

#include <new>

#include "core/AlignedAllocator.h"
#include "core/Matrix.h"
#include "core/Quaternion.h"

static void matrixMultiply(benchmark::State& state) {
    Matrix a = Matrix::makeTranslation(Vector4(1, 2, 3, 1));
    Matrix b = Matrix::fromQuaternion(quaternionFromAxisAngle(Vector4(0, 1, 0, 0), 0.5f));
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        Matrix c = Matrix::multiply(a, b);
        benchmark::DoNotOptimize(c);
    }
}
BENCHMARK(matrixMultiply);

static void matrixInverse(benchmark::State& state) {
    Matrix m(Vector4(4, -2, 1, 3), Vector4(1, 5, -3, 2), Vector4(2, 1, 6, -1), Vector4(-3, 2, 1, 7));
    for (auto _ : state) {
        benchmark::DoNotOptimize(m);
        Matrix inverse = m.inverse();
        benchmark::DoNotOptimize(inverse);
    }
}
BENCHMARK(matrixInverse);

static void quaternionProductAndRotate(benchmark::State& state) {
    Quaternion a = quaternionFromAxisAngle(Vector4(0, 1, 0, 0), 0.3f);
    Quaternion b = quaternionFromAxisAngle(Vector4(1, 0, 0, 0), 0.2f);
    Vector4 v(1, 2, 3, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(a);
        Quaternion q = quaternionNormalized(quaternionMultiply(a, b));
        Vector4 turned = quaternionRotate(q, v);
        benchmark::DoNotOptimize(turned);
    }
}
BENCHMARK(quaternionProductAndRotate);

static void allocateAndFree(benchmark::State& state) {
    const std::size_t size = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        void* object = ::operator new(size);
        benchmark::DoNotOptimize(object);
        ::operator delete(object);
    }
}
BENCHMARK(allocateAndFree)->Arg(16)->Arg(80)->Arg(4096);
