#include "bench_inputs.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "block_memory.h"
#include "decoder.h"
#include "exact_power.h"
#include "polynomial.h"
#include "probe_state.h"
#include "probe_traits.h"

namespace probe_bench {

const std::vector<float>& Order15Coefficients() {
    static const std::vector<float> coefficients = [] {
        std::vector<float> c;
        for (int k = 0; k <= 15; ++k) {
            float magnitude = std::ldexp(1.0f + static_cast<float>(k) / 17.0f, -9 * k);
            c.push_back(k % 3 == 1 ? -magnitude : magnitude);
        }
        return c;
    }();
    return coefficients;
}

const probe_test::Image& Order15Image() {
    static const probe_test::Image image = [] {
        probe_test::ImageContents contents;
        contents.type = 6;
        contents.position = Order15Coefficients();
        contents.force.polynomial = {0.0f, 1.0f};
        return probe_test::BuildImage(contents);
    }();
    return image;
}

bool DecodeTable(const probe_test::Image& image, std::vector<float>* table) {
    static probe::ProbeState state;
    bool accepted = probe::DecodeImage(probe::kProbeType6, state, image.data()) == 0;
    if (accepted && table != nullptr) {
        table->resize(probe::kPositionTableSize);
        probe::BlockLock lock(state.Parameters.PositionTable);
        std::memcpy(table->data(), lock.data(), table->size() * sizeof(float));
    }
    probe::ResetProbeState(state);
    return accepted;
}

void NaivePowTable(const float* coefficients, std::uint16_t order, float* table) {
    for (int i = 0; i < probe::kPositionTableSize; ++i) {
        double x = i - probe::kPositionTableZero;
        double sum = coefficients[0];
        for (unsigned k = 1; k <= order; ++k) {
            sum += std::pow(x, static_cast<double>(k)) * static_cast<double>(coefficients[k]);
        }
        float value = static_cast<float>(sum);
        table[i] = static_cast<float>(static_cast<double>(value) * probe::kPositionTableScale);
    }
}

void DefinedTable(const float* coefficients, std::uint16_t order, float* table) {
    for (int i = 0; i < probe::kPositionTableSize; ++i) {
        float value = probe::EvaluatePolynomial(i - probe::kPositionTableZero, coefficients, order);
        table[i] = static_cast<float>(static_cast<double>(value) * probe::kPositionTableScale);
    }
}

int CountDifferences(const std::vector<float>& a, const std::vector<float>& b) {
    int count = 0;
    for (std::size_t i = 0; i < a.size() && i < b.size(); ++i) {
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            ++count;
    }
    return count;
}

bool ReportTableComparison() {
    const std::vector<float>& c = Order15Coefficients();
    std::vector<float> decoded, defined(probe::kPositionTableSize),
        naive(probe::kPositionTableSize);
    if (!DecodeTable(Order15Image(), &decoded)) {
        std::printf("the order-15 image was refused\n");
        return false;
    }
    DefinedTable(c.data(), 15, defined.data());
    NaivePowTable(c.data(), 15, naive.data());
    int wrong = CountDifferences(decoded, defined);
    std::printf("table entries differing from the definition: %d of %d\n", wrong,
                probe::kPositionTableSize);
    std::printf("naive pow table entries differing from the exact one: %d of %d\n",
                CountDifferences(naive, defined), probe::kPositionTableSize);
    int powers = 0;
    for (std::uint32_t x = 1; x <= probe::kMaxSmallIntegerBase; ++x) {
        double exact[16];
        probe::SmallIntegerPowers(x, 15, exact);
        for (unsigned k = 1; k <= 15; ++k) {
            double platform = std::pow(static_cast<double>(x), static_cast<double>(k));
            if (std::memcmp(&platform, &exact[k], sizeof platform) != 0)
                ++powers;
        }
    }
    std::printf("platform pow differing from the exact x^k, x = 1..32768, k = 1..15: %d of %d\n",
                powers, 15 * 32768);
    return wrong == 0;
}

}  // namespace probe_bench
