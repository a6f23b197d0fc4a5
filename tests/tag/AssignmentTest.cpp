#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "host/tag/Assignment.h"

namespace mivo_host {
namespace {

// The total cost of an assignment; fails the test when it is not one (a
// column given twice, a column out of range, or too few rows assigned).
double CheckedTotal(const std::vector<double>& costs, size_t rows, size_t cols, const std::vector<long>& got,
                    const std::string& what) {
    EXPECT_EQ(got.size(), rows) << what;
    std::vector<char> taken(cols, 0);
    size_t assigned = 0;
    double total = 0;
    for (size_t r = 0; r < got.size(); ++r) {
        if (got[r] == kUnassigned) continue;
        EXPECT_TRUE(got[r] >= 0 && static_cast<size_t>(got[r]) < cols) << what << ": row " << r;
        if (got[r] < 0 || static_cast<size_t>(got[r]) >= cols) continue;
        const auto c = static_cast<size_t>(got[r]);
        EXPECT_FALSE(taken[c]) << what << ": column " << c << " twice";
        taken[c] = 1;
        ++assigned;
        total += costs[r * cols + c];
    }
    EXPECT_EQ(assigned, std::min(rows, cols)) << what;
    return total;
}

// The least total by trying every assignment.
double BruteForceTotal(const std::vector<double>& costs, size_t rows, size_t cols) {
    const size_t k = std::min(rows, cols);
    std::vector<size_t> order(std::max(rows, cols));
    std::iota(order.begin(), order.end(), size_t{0});
    double best = std::numeric_limits<double>::infinity();
    do {
        double total = 0;
        // The first k entries of the order: columns of rows 0..k-1, or rows of columns 0..k-1.
        for (size_t t = 0; t < k; ++t) total += rows <= cols ? costs[t * cols + order[t]] : costs[order[t] * cols + t];
        best = std::min(best, total);
    } while (std::next_permutation(order.begin(), order.end()));
    return best;
}

TEST(SolveAssignment, LeastTotalOnRandomMatrices) {
    std::mt19937 random(20261209);
    struct Kind {
        const char* name;
        std::function<double()> cost;
    };
    std::uniform_real_distribution<double> real(0.0, 10.0);
    std::uniform_int_distribution<int> fewValues(0, 2);  // many ties
    const Kind kinds[] = {{"real costs", [&] { return real(random); }},
                          {"costs 0, 1, 2", [&] { return static_cast<double>(fewValues(random)); }},
                          {"all costs equal", [] { return 0.5; }}};
    for (const Kind& kind : kinds) {
        for (size_t rows = 1; rows <= 6; ++rows) {
            for (size_t cols = 1; cols <= 6; ++cols) {
                for (int round = 0; round < 8; ++round) {
                    std::vector<double> costs(rows * cols);
                    for (double& cost : costs) cost = kind.cost();
                    const std::string what = std::string(kind.name) + " " + std::to_string(rows) + "x" +
                                             std::to_string(cols) + " round " + std::to_string(round);
                    const double total = CheckedTotal(costs, rows, cols, SolveAssignment(costs, rows, cols), what);
                    EXPECT_NEAR(total, BruteForceTotal(costs, rows, cols), 1e-9) << what;
                }
            }
        }
    }
}

TEST(SolveAssignment, SmallAndOddMatrices) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    struct Row {
        const char* name;
        std::vector<double> costs;
        size_t rows, cols;
        std::vector<long> expected;
    };
    const Row rows[] = {
        {"no rows", {}, 0, 3, {}},
        {"no columns", {}, 3, 0, {-1, -1, -1}},
        {"1x1", {5}, 1, 1, {0}},
        {"1x1 of cost 0", {0}, 1, 1, {0}},
        {"one row takes its cheapest column", {3, 1, 2}, 1, 3, {1}},
        {"one column takes its cheapest row", {3, 1, 2}, 3, 1, {-1, 0, -1}},
        // A greedy pass gives row 0 its cheapest column and row 1 what is left: 1 + 100.
        {"greedy trap", {1, 2, 2, 100}, 2, 2, {1, 0}},
        {"greedy trap, wide", {1, 2, 50, 2, 100, 100}, 2, 3, {1, 0}},
        {"greedy trap, tall", {1, 2, 2, 100, 50, 100}, 3, 2, {1, 0, -1}},
        {"anti-diagonal", {9, 9, 1, 9, 1, 9, 1, 9, 9}, 3, 3, {2, 1, 0}},
        {"size not rows x cols", {1, 2, 3}, 2, 2, {-1, -1}},
        {"negative cost", {1, -1, 1, 1}, 2, 2, {-1, -1}},
        {"NaN cost", {1, nan, 1, 1}, 2, 2, {-1, -1}},
        {"infinite cost", {1, infinity, 1, 1}, 2, 2, {-1, -1}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(SolveAssignment(row.costs, row.rows, row.cols), row.expected) << row.name;
    }
}

// Large matrices cannot be tried whole: an optimal assignment admits no
// cheaper exchange of columns between two rows, nor a move of a row to a free
// column.
TEST(SolveAssignment, LargeMatricesAdmitNoCheaperExchange) {
    std::mt19937 random(17);
    std::uniform_real_distribution<double> real(0.0, 1.0);
    for (const auto& [rows, cols] : {std::pair<size_t, size_t>{200, 200}, {150, 220}, {220, 150}}) {
        std::vector<double> costs(rows * cols);
        for (double& cost : costs) cost = real(random);
        const std::string what = std::to_string(rows) + "x" + std::to_string(cols);
        const std::vector<long> got = SolveAssignment(costs, rows, cols);
        CheckedTotal(costs, rows, cols, got, what);
        auto cost = [&](size_t r, long c) { return costs[r * cols + static_cast<size_t>(c)]; };
        std::vector<char> taken(cols, 0);
        for (long c : got)
            if (c != kUnassigned) taken[static_cast<size_t>(c)] = 1;
        size_t worse = 0;
        for (size_t a = 0; a < rows; ++a) {
            if (got[a] == kUnassigned) continue;
            for (size_t b = 0; b < rows; ++b) {
                if (got[b] == kUnassigned) {
                    // b could take a's column instead.
                    if (cost(b, got[a]) < cost(a, got[a]) - 1e-12) ++worse;
                    continue;
                }
                if (b > a && cost(a, got[b]) + cost(b, got[a]) < cost(a, got[a]) + cost(b, got[b]) - 1e-12) ++worse;
            }
            for (size_t c = 0; c < cols; ++c)
                if (!taken[c] && cost(a, static_cast<long>(c)) < cost(a, got[a]) - 1e-12) ++worse;
        }
        EXPECT_EQ(worse, 0u) << what;
    }
}

}  // namespace
}  // namespace mivo_host
