// How a run of mivo ended, as the exit status, the "error" kind of the JSON
// output and the hint printed with a failure tell it:
//   0 success;
//   1 nothing found: every page the plug-in asked for arrived, and the
//     artist or album was not on it (or the plug-in answered failure);
//   3 a download failed: the plug-in's statistics count fewer successful
//     downloads than downloads;
//   128 + the signal number when SIGINT (130) or SIGTERM (143) cut the run short.
// (2, a usage error, is decided before anything runs.) Pure functions; safe
// from any thread.
#pragma once

#include <optional>
#include <string>

#include "host/Commands.h"

namespace mivo_host {

constexpr int kExitSuccess = 0;
constexpr int kExitNothingFound = 1;
constexpr int kExitUsage = 2;
constexpr int kExitDownloadFailed = 3;

// The --max-difference value that lets the artist lookup accept a name with
// one letter wrong. On the name matcher's scale a letter costs 100 to replace
// by another letter and 70 to insert or delete (digits and punctuation cost
// less), and a candidate is taken only when its difference is strictly below
// the setting: 101 is the least value that takes every one-letter slip.
constexpr float kOneTypoDifference = 101;

// The kind of failure of result; stopSignal is the signal that asked to stop, 0 for none.
FailureKind Classify(const CommandResult& result, int stopSignal);

// The exit status for kind (stopSignal as for Classify).
int ExitStatus(FailureKind kind, int stopSignal);

// "not-found", "download", "interrupted"; "" for None.
const char* KindName(FailureKind kind);

// Sets result.failureKind, result.partial and, for a stop or a failed
// download, result.failure to say so.
void DescribeOutcome(CommandResult& result, int stopSignal);

// The advice printed after a "not found" failure: a typo-tolerant
// --max-difference (unless one as large was given) and, without --log-dir,
// where the plug-in's reasons would be.
std::string NotFoundHint(std::optional<float> maxDifference, bool logFolderGiven);

}  // namespace mivo_host
