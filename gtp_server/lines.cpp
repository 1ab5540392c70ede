#include "gtp_server/lines.h"

namespace tolvan::gtp_server {

LineRead readLine(std::istream& in, std::string& line, std::size_t limit) {
    line.clear();
    std::streambuf* buf = in.rdbuf();
    bool any = false, dropped = false;
    for (;;) {
        const auto c = buf->sbumpc();
        if (c == std::char_traits<char>::eof()) {
            in.setstate(std::ios::eofbit);
            if (!any) return LineRead::end;
            break;
        }
        any = true;
        if (c == '\n') break;
        if (line.size() < limit)
            line += static_cast<char>(c);
        else
            dropped = true;
    }
    return dropped ? LineRead::too_long : LineRead::whole;
}

}  // namespace tolvan::gtp_server
