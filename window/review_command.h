// tolvan --review IN.sgf OUT.sgf: a game record reviewed without a window, as 検討 reviews
// it in the window, and written with the review in it; progress on standard error.
#pragma once

#include <cstdio>
#include <string>

namespace tolvan {

// Reviews the record in the file `in` with GNU Go and writes it, with the review, to
// `out`. Returns the program's exit status: 0 when written; otherwise non-zero with a
// message on `errors`: 2 for a record that cannot be read or played through, 3 without
// GNU Go, 4 when GNU Go fails, 5 when `out` cannot be written, 130 when interrupted.
int reviewFiles(const std::string& in, const std::string& out, std::FILE* errors);

}  // namespace tolvan
