// Running the shell completion the way the shells do: bash's completion
// function with COMP_WORDS and COMP_CWORD set, zsh's completion file with the
// completion system's own calls (compadd, _files, _message, _call_program)
// standing in as functions that print what they were given. The programs
// named in the words are found through PATH in bin, so the completion reads
// their real --help. The last word is the one being completed.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "HostProcess.h"

namespace host_e2e {

// The lines a shell script printed, empty lines dropped.
inline std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

constexpr const char* kBashCompletion = R"(
file=$1; bin=$2; cd "$3" || exit 1; shift 3
PATH="$bin:$PATH"
source "$file" || exit 1
COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_mivo
printf '%s\n' "${COMPREPLY[@]}"
)";

constexpr const char* kZshCompletion = R"(
file=$1; bin=$2; cd "$3" || exit 1; shift 3
PATH="$bin:$PATH"
compadd() { print -rl -- ${(P)2} }
_files() { print -r -- "<files${1:+ $1}>" }
_message() { print -r -- "<message $1>" }
_call_program() { shift; "$@" }
words=("$@"); CURRENT=$#; PREFIX=${words[CURRENT]}
source "$file"
)";

// What bash's completion in file offers for words, run in the folder names;
// the shell's output goes to folder.
inline ProcessResult BashCompletes(const std::string& file, const std::string& bin,
                                   const std::vector<std::string>& words, const fs::path& names,
                                   const fs::path& folder) {
    std::vector<std::string> args{"-c", kBashCompletion, "bash", file, bin, names.string()};
    args.insert(args.end(), words.begin(), words.end());
    return Run("/bin/bash", args, folder);
}

// What zsh's completion in file offers for words, before zsh narrows it to
// the word's prefix, run in the folder names; the shell's output goes to folder.
inline ProcessResult ZshCompletes(const std::string& zsh, const std::string& file, const std::string& bin,
                                  const std::vector<std::string>& words, const fs::path& names,
                                  const fs::path& folder) {
    std::vector<std::string> args{"-f", "-c", kZshCompletion, "zsh", file, bin, names.string()};
    args.insert(args.end(), words.begin(), words.end());
    return Run(zsh, args, folder);
}

}  // namespace host_e2e
