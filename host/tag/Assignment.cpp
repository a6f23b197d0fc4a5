// The Hungarian algorithm: rows are added one at a time, each by the shortest
// augmenting path over reduced costs (cost - row potential - column
// potential), found Dijkstra-style over the columns.
#include "host/tag/Assignment.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mivo_host {

namespace {

// True when costs is a rows x cols matrix of finite costs >= 0.
bool IsValidMatrix(const std::vector<double>& costs, size_t rows, size_t cols) {
    if (cols != 0 && rows > costs.max_size() / cols) return false;
    if (costs.size() != rows * cols) return false;
    for (double cost : costs)
        if (!std::isfinite(cost) || cost < 0) return false;
    return true;
}

// For each of the n rows of the n x m matrix a (n <= m), the column it gets.
// Rows and columns count from 1 inside; row 0 and column 0 are the start of
// every augmenting path.
std::vector<long> SolveWide(const std::vector<double>& a, size_t n, size_t m) {
    constexpr double kInfinity = std::numeric_limits<double>::infinity();
    std::vector<double> rowPotential(n + 1, 0.0), columnPotential(m + 1, 0.0);
    std::vector<size_t> rowOfColumn(m + 1, 0);  // 0: the column is free
    std::vector<size_t> previous(m + 1, 0);     // the column before this one on the path
    std::vector<double> slack(m + 1);
    std::vector<char> reached(m + 1);
    for (size_t row = 1; row <= n; ++row) {
        rowOfColumn[0] = row;
        size_t column = 0;
        std::fill(slack.begin(), slack.end(), kInfinity);
        std::fill(reached.begin(), reached.end(), 0);
        do {
            reached[column] = 1;
            const size_t from = rowOfColumn[column];
            const double* costs = &a[(from - 1) * m];
            double delta = kInfinity;
            size_t next = 0;
            for (size_t j = 1; j <= m; ++j) {
                if (reached[j]) continue;
                const double reduced = costs[j - 1] - rowPotential[from] - columnPotential[j];
                if (reduced < slack[j]) {
                    slack[j] = reduced;
                    previous[j] = column;
                }
                if (slack[j] < delta) {
                    delta = slack[j];
                    next = j;
                }
            }
            for (size_t j = 0; j <= m; ++j) {
                if (reached[j]) {
                    rowPotential[rowOfColumn[j]] += delta;
                    columnPotential[j] -= delta;
                } else {
                    slack[j] -= delta;
                }
            }
            column = next;
        } while (rowOfColumn[column] != 0);
        // Shift the rows along the path back to its start.
        while (column != 0) {
            const size_t before = previous[column];
            rowOfColumn[column] = rowOfColumn[before];
            column = before;
        }
    }
    std::vector<long> columnOfRow(n, kUnassigned);
    for (size_t j = 1; j <= m; ++j)
        if (rowOfColumn[j] != 0) columnOfRow[rowOfColumn[j] - 1] = static_cast<long>(j - 1);
    return columnOfRow;
}

}  // namespace

std::vector<long> SolveAssignment(const std::vector<double>& costs, size_t rows, size_t cols) {
    if (!IsValidMatrix(costs, rows, cols) || rows == 0 || cols == 0) return std::vector<long>(rows, kUnassigned);
    if (rows <= cols) return SolveWide(costs, rows, cols);
    // More rows than columns: every column gets a row, found on the transpose.
    std::vector<double> transposed(costs.size());
    for (size_t r = 0; r < rows; ++r)
        for (size_t c = 0; c < cols; ++c) transposed[c * rows + r] = costs[r * cols + c];
    const std::vector<long> rowOfColumn = SolveWide(transposed, cols, rows);
    std::vector<long> columnOfRow(rows, kUnassigned);
    for (size_t c = 0; c < cols; ++c) columnOfRow[static_cast<size_t>(rowOfColumn[c])] = static_cast<long>(c);
    return columnOfRow;
}

}  // namespace mivo_host
