#include "timing/webster.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace livra::timing {

double optimumCycle(double lostTime, double Y) { return (1.5 * lostTime + 5) / (1 - Y); }

std::optional<double> saturationDegree(double flow, double saturation, double cycle, double green) {
    if (green <= 0 || saturation <= 0) return std::nullopt;
    return flow * cycle / (saturation * green);
}

double uniformDelay(double flow, double saturation, double cycle, double green) {
    const double lambda = green / cycle;
    return cycle * (1 - lambda) * (1 - lambda) / (2 * (1 - flow / saturation));
}

std::optional<double> websterDelay(double flow, double saturation, double cycle, double green) {
    const auto x = saturationDegree(flow, saturation, cycle, green);
    if (!x || *x >= 1) return std::nullopt;
    const double lambda = green / cycle;
    const double uniform = uniformDelay(flow, saturation, cycle, green);
    if (flow <= 0) return uniform;
    const double q = flow / 3600.0;
    const double random = *x * *x / (2 * q * (1 - *x));
    const double correction = 0.65 * std::cbrt(cycle / (q * q)) * std::pow(*x, 2 + 5 * lambda);
    return uniform + random - correction;
}

std::vector<int> splitKeepingSum(int total, const std::vector<double>& weights) {
    const double sum = std::accumulate(weights.begin(), weights.end(), 0.0);
    std::vector<int> shares(weights.size(), 0);
    if (weights.empty() || sum <= 0 || total <= 0) return shares;
    std::vector<double> rest(weights.size());
    int given = 0;
    for (size_t i = 0; i < weights.size(); ++i) {
        const double exact = total * weights[i] / sum;
        shares[i] = int(std::floor(exact));
        rest[i] = exact - shares[i];
        given += shares[i];
    }
    std::vector<size_t> order(weights.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return rest[a] > rest[b]; });
    for (size_t k = 0; given < total; k = (k + 1) % order.size(), ++given) ++shares[order[k]];
    return shares;
}

}  // namespace livra::timing
