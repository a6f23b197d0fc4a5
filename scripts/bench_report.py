#!/usr/bin/env python3
"""Prints the benchmark table of scripts/bench from Google Benchmark JSON files.

Each row sets one of Mivo's figures ("ours") beside its reference: another
benchmark of the same run (md5sum, plain libcurl, one regex pass) or, where
nothing can be run for comparison, the target the figure is aimed at. The ratio
is always ours divided by the reference, in the row's unit; the aim says which
side of 1 (or of another bound) is good. Benchmarks that no row claims are listed
after the table with their own figure, so nothing that ran goes unreported.

usage: bench_report.py FILE.json...   (file names are bench_<program>.json)
"""
import json
import os
import re
import sys

# unit: how a figure is read from a benchmark entry.
#   ms    real time per iteration in milliseconds (lower is better)
#   us    a user counter in microseconds, named as the third member of the pair
#   MB/s  bytes_per_second / 1e6 (higher is better)
#   M/s   items_per_second / 1e6 (higher is better)
# A figure comes from (program, name pattern[, counter]); program None means
# any program. A reference is such a tuple or a number (a target).
ROWS = [
    {"what": "MD5 of a 256 MB file", "unit": "MB/s",
     "ours": ("md5", r"^BM_CMD5Checksum_File256MB"), "ref": ("md5", r"^BM_md5sum_File256MB"),
     "ref_name": "md5sum", "aim": (">=", 1.0)},
    # Both downloads alternate inside one benchmark, so that load from other
    # processes falls on both alike; its counters hold the two means.
    {"what": "DownloadPage of 100 KB over loopback", "unit": "us",
     "ours": ("download", r"^BM_Alternating", "page_us"), "ref": ("download", r"^BM_Alternating", "plain_us"),
     "ref_name": "plain libcurl", "aim": ("<=", 1.2)},
    {"what": "album walk, 4 MB artist page, 5,000 albums", "unit": "ms",
     "ours": ("album_walk", r"^BM_AlbumList$"), "ref": ("album_walk", r"^BM_ArtistPageRegexPass$"),
     "ref_name": "one regex pass", "aim": ("<=", 3.0)},
    {"what": "track walk, 2,000 track rows", "unit": "ms",
     "ours": ("album_walk", r"^BM_AlbumDetails$"), "ref": ("album_walk", r"^BM_AlbumPageRegexPass$"),
     "ref_name": "one regex pass", "aim": ("<=", 3.0)},
    # Hostile pages of 1 MB against one album-entry pattern pass over an
    # ordinary 1 MB artist page; all figures are thread CPU time.
    *[{"what": what, "unit": "ms", "ours": ("hostile_pages", ours),
       "ref": ("hostile_pages", r"^BM_AlbumEntryPass"), "ref_name": "one regex pass", "aim": ("<=", 3.0)}
      for what, ours in [
          ("artist-link search, 1 MB page of unclosed tags", r"^BM_ArtistSearchUnclosedTags"),
          ("artist-link search, 1 MB page of unclosed quotes", r"^BM_ArtistSearchUnclosedQuotes"),
          ("artist-link search, 1 MB page of near misses", r"^BM_ArtistSearchNearMisses"),
          ("album walk, 1 MB page of unclosed titles", r"^BM_AlbumListUnclosedTitles"),
          ("track walk, 1 MB page of one long row", r"^BM_TrackWalkLongRow"),
      ]],
    {"what": "cache read, nearest name in 10,000 sections", "unit": "ms",
     "ours": ("artist_cache", r"^BM_ReadNearestNameDefaultThreshold"), "ref": 10.0,
     "ref_name": "target", "aim": ("<=", 1.0)},
    {"what": "cache read, 10,000 sections, no threshold", "unit": "ms",
     "ours": ("artist_cache", r"^BM_ReadNearestNameUnbounded"), "ref": 10.0,
     "ref_name": "target", "aim": None},
    {"what": "cache write into 10,000 sections", "unit": "ms",
     "ours": ("artist_cache", r"^BM_Write"), "ref": 10.0,
     "ref_name": "target", "aim": ("<=", 1.0)},
    {"what": "name matching, 20 x 20 characters (cells)", "unit": "M/s",
     "ours": ("name_matching", r"^BM_GetDifference20x20$"), "ref": 200.0,
     "ref_name": "target", "aim": (">=", 1.0)},
    # Bounded name difference of long names against the exact one (every
    # cell of the table) for the same pair, in the same run.
    {"what": "name difference below 1.0, 100,000 x 20 characters", "unit": "ms",
     "ours": ("name_matching", r"^BM_GetDifferenceBelow100000x20/10$"),
     "ref": ("name_matching", r"^BM_GetDifference100000x20$"),
     "ref_name": "whole table", "aim": ("<=", 0.2)},
    {"what": "name difference below 216, 100,000 x 20 characters", "unit": "ms",
     "ours": ("name_matching", r"^BM_GetDifferenceBelow100000x20/2160$"),
     "ref": ("name_matching", r"^BM_GetDifference100000x20$"),
     "ref_name": "whole table", "aim": ("<=", 0.2)},
    {"what": "name difference below 1.0, 2,000 x 2,000 characters", "unit": "ms",
     "ours": ("name_matching", r"^BM_GetDifferenceBelow2000x2000/10$"),
     "ref": ("name_matching", r"^BM_GetDifference2000x2000$"),
     "ref_name": "whole table", "aim": ("<=", 0.05)},
    {"what": "name difference below 216, 2,000 x 2,000 characters", "unit": "ms",
     "ours": ("name_matching", r"^BM_GetDifferenceBelow2000x2000/2160$"),
     "ref": ("name_matching", r"^BM_GetDifference2000x2000$"),
     "ref_name": "whole table", "aim": ("<=", 0.5)},
    {"what": "artist lookup of a 100,000-character name", "unit": "ms",
     "ours": ("name_matching", r"^BM_FindArtistUrl100000$"), "ref": 500.0,
     "ref_name": "target", "aim": ("<=", 1.0)},
    {"what": "artist lookup of a 100,000-character name, cached", "unit": "ms",
     "ours": ("name_matching", r"^BM_FindArtistUrl100000Cached$"), "ref": 500.0,
     "ref_name": "target", "aim": ("<=", 1.0)},
    {"what": "entity decoding, 1 MB with 50,000 references", "unit": "ms",
     "ours": ("entities", r"^BM_DecodeHtmlEntities"), "ref": 100.0,
     "ref_name": "target", "aim": ("<=", 1.0)},
    {"what": "8 KB title of 2,000 bad references, log open", "unit": "ms",
     "ours": ("entities", r"^BM_BadReferenceTitle"), "ref": 10.0,
     "ref_name": "target", "aim": ("<=", 1.0)},
    # One run of mivo tag over 40 albums of 12 files against the local
    # catalogue; its --timings line splits the run into search and TagLib.
    {"what": "mivo tag, 480 files: per file beyond the search", "unit": "ms",
     "ours": ("tag_command", r"^BM_Tag480Files", "beyond_search_ms"), "ref": 20.0,
     "ref_name": "target", "aim": ("<=", 1.0)},
    {"what": "mivo tag, 480 files: per file in all", "unit": "ms",
     "ours": ("tag_command", r"^BM_Tag480Files", "ms_per_file"), "ref": 20.0,
     "ref_name": "target", "aim": None},
    {"what": "mivo tag, 480 files: share of the run searching", "unit": "%",
     "ours": ("tag_command", r"^BM_Tag480Files", "search_pct"), "ref": 100.0,
     "ref_name": "whole run", "aim": None},
    {"what": "mivo tag, 480 files: share of the run in TagLib", "unit": "%",
     "ours": ("tag_command", r"^BM_Tag480Files", "taglib_pct"), "ref": 100.0,
     "ref_name": "whole run", "aim": None},
]


def load(paths):
    """Maps program name (without bench_) to its list of benchmark entries."""
    runs = {}
    for path in paths:
        program = os.path.basename(path)
        program = re.sub(r"^bench_", "", re.sub(r"\.json$", "", program))
        try:
            with open(path, encoding="utf-8") as handle:
                data = json.load(handle)
        except (OSError, ValueError) as error:
            print(f"bench_report: cannot read {path}: {error}", file=sys.stderr)
            continue
        entries = [b for b in data.get("benchmarks", [])
                   if b.get("run_type", "iteration") == "iteration" and not b.get("error_occurred")]
        runs[program] = entries
    return runs


def figure(entry, unit, counter=None):
    if counter is not None:
        value = entry.get(counter)
        return float(value) if value is not None else None
    if unit == "ms":
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[entry.get("time_unit", "ns")]
        return entry["real_time"] * scale
    if unit == "MB/s":
        return entry.get("bytes_per_second", 0.0) / 1e6 or None
    if unit == "M/s":
        return entry.get("items_per_second", 0.0) / 1e6 or None
    raise ValueError(unit)


def find(runs, claimed, program, pattern, counter=None):
    """The first entry matching the pair, and the figure's counter name."""
    programs = [program] if program is not None else sorted(runs)
    for name in programs:
        for entry in runs.get(name, []):
            if re.search(pattern, entry["name"]):
                claimed.add((name, entry["name"]))
                return entry, counter
    return None, counter


def number(value):
    if value is None:
        return "-"
    if value >= 100:
        return f"{value:,.0f}"
    if value >= 10:
        return f"{value:.1f}"
    return f"{value:.3g}"


def main(paths):
    runs = load(paths)
    claimed = set()
    table = []
    for row in ROWS:
        unit = row["unit"]
        ours_entry, ours_counter = find(runs, claimed, *row["ours"])
        if isinstance(row["ref"], tuple):
            ref_entry, ref_counter = find(runs, claimed, *row["ref"])
            ref = figure(ref_entry, unit, ref_counter) if ref_entry else None
        else:
            ref = row["ref"]
        ours = figure(ours_entry, unit, ours_counter) if ours_entry else None
        ratio = ours / ref if ours is not None and ref else None
        sign, bound = row["aim"] or ("", 0.0)
        if ratio is None:
            verdict = "not run"
        elif not sign:
            verdict = "-"
        elif (ratio <= bound) if sign == "<=" else (ratio >= bound):
            verdict = "yes"
        else:
            verdict = "NO"
        table.append([row["what"], unit, number(ours), number(ref), row["ref_name"],
                      "-" if ratio is None else f"{ratio:.2f}", f"{sign} {bound:g}" if sign else "-", verdict])

    header = ["measure", "unit", "ours", "reference", "reference is", "ratio", "aim", "met"]
    widths = [max(len(str(r[i])) for r in table + [header]) for i in range(len(header))]
    right = {2, 3, 5}

    def line(cells):
        return "  ".join(str(c).rjust(w) if i in right else str(c).ljust(w)
                         for i, (c, w) in enumerate(zip(cells, widths))).rstrip()

    print(line(header))
    print(line(["-" * w for w in widths]))
    for cells in table:
        print(line(cells))

    others = [(program, entry) for program, entries in sorted(runs.items()) for entry in entries
              if (program, entry["name"]) not in claimed]
    if others:
        print()
        print("other benchmarks (no reference):")
        for program, entry in others:
            extra = []
            if entry.get("bytes_per_second"):
                extra.append(f"{entry['bytes_per_second'] / 1e6:,.1f} MB/s")
            if entry.get("items_per_second"):
                extra.append(f"{entry['items_per_second'] / 1e6:,.2f} M items/s")
            print(f"  bench_{program} {entry['name']}: {number(figure(entry, 'ms'))} ms"
                  + (" (" + ", ".join(extra) + ")" if extra else ""))


if __name__ == "__main__":
    main(sys.argv[1:])
