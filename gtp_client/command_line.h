// Command lines of engines as a person types them and as the settings file keeps them:
// split into words as a POSIX shell splits them, without running a shell, and words
// quoted so that the splitter reads them back.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvan::gtp_client {

// The words of `line`, split at unquoted spaces, tabs and newlines. Inside single quotes
// every character stands for itself; inside double quotes a backslash keeps its meaning
// only before $, `, ", \ and a newline; elsewhere it takes the next character as it is
// (a backslash and a newline vanish together; a backslash at the very end stays). ''
// and "" make an empty word. Nothing is expanded: $, ~, * and the like are plain
// characters. nullopt when a quote is left open.
std::optional<std::vector<std::string>> splitCommandLine(std::string_view line);

// `word` as one word of a command line that splitCommandLine reads back: as it is when
// it holds nothing a shell treats specially, otherwise in quotes.
std::string quoteWord(std::string_view word);

}  // namespace tolvan::gtp_client
