#include "gtp_client/command_line.h"

namespace tolvan::gtp_client {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n'; }

}  // namespace

std::optional<std::vector<std::string>> splitCommandLine(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;  // a word has begun, though it may still be empty ('')
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (isBlank(c)) {
            if (inWord) words.push_back(std::move(word));
            word.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '\\') {
            if (i + 1 == line.size()) {
                word += c;
            } else if (line[++i] != '\n') {
                word += line[i];
            } else if (word.empty()) {
                inWord = false;  // a continued line: nothing began here
            }
        } else if (c == '\'') {
            const std::size_t close = line.find('\'', i + 1);
            if (close == std::string_view::npos) return std::nullopt;
            word.append(line.substr(i + 1, close - i - 1));
            i = close;
        } else if (c == '"') {
            for (++i;; ++i) {
                if (i == line.size()) return std::nullopt;
                const char d = line[i];
                if (d == '"') break;
                if (d == '\\' && i + 1 < line.size()) {
                    const char next = line[i + 1];
                    if (next == '$' || next == '`' || next == '"' || next == '\\' || next == '\n') {
                        ++i;
                        if (next != '\n') word += next;
                        continue;
                    }
                }
                word += d;
            }
        } else {
            word += c;
        }
    }
    if (inWord) words.push_back(std::move(word));
    return words;
}

std::string quoteWord(std::string_view word) {
    const std::string_view special = " \t\n'\"\\$`*?[]#~&|;<>(){}!";
    if (!word.empty() && word.find_first_of(special) == std::string_view::npos)
        return std::string(word);
    // Double quotes read best for a path with spaces; single quotes take anything else.
    if (word.find_first_of("\"\\$`") == std::string_view::npos)
        return "\"" + std::string(word) + "\"";
    std::string out = "'";
    for (const char c : word) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}

}  // namespace tolvan::gtp_client
