// Least-total-cost assignment: the Hungarian algorithm with potentials and
// shortest augmenting paths, O(n^2 m) time for n <= m and O(n m) memory.
// `mivo tag` pairs audio files with an album's tracks through it. A pure
// function; safe from any thread.
#pragma once

#include <cstddef>
#include <vector>

namespace mivo_host {

// The mark of a row that got no column.
inline constexpr long kUnassigned = -1;

// Least-total-cost assignment of rows to columns of a rectangular cost matrix (rows x cols, row-major),
// Hungarian algorithm (potentials / shortest augmenting path, O(n^2 m)). Every row gets a distinct
// column when rows <= cols; otherwise every column gets a distinct row. Result: for each row the
// column it got, or -1 (kUnassigned). Costs are finite doubles >= 0.
// Checked: a matrix whose size is not rows x cols, or that holds a negative or non-finite cost,
// assigns nothing (every row kUnassigned).
std::vector<long> SolveAssignment(const std::vector<double>& costs, size_t rows, size_t cols);

}  // namespace mivo_host
