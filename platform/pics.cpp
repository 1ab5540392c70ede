#include "platform/port.h"

namespace tolvan {

const char* picName(Pic p) {
    static const char* const names[] = {
        "KARAUEHIDARI", "KARAUENAKA", "KARAUEMIGI", "KARAHIDARINAKA", "KARANAKA", "KARANAKATEN",
        "KARAMIGINAKA", "KARASITAHIDARI", "KARASITANAKA", "KARASITAMIGI",
        "KUROUEHIDARI", "KUROUENAKA", "KUROUEMIGI", "KUROHIDARINAKA", "KURONAKA",
        "KUROMIGINAKA", "KUROSITAHIDARI", "KUROSITANAKA", "KUROSITAMIGI",
        "SIROUEHIDARI", "SIROUENAKA", "SIROUEMIGI", "SIROHIDARINAKA", "SIRONAKA",
        "SIROMIGINAKA", "SIROSITAHIDARI", "SIROSITANAKA", "SIROSITAMIGI",
        "KUROSOTO", "SIROSOTO",
        "HAIKEI_MIDORI", "HAIKEI_TAKE",
        "RABERU", "SINAN_MODE", "SINAN_SURU",
        "VERSION",
    };
    static_assert(sizeof names / sizeof names[0] == static_cast<int>(Pic::Count));
    int i = static_cast<int>(p);
    return i >= 0 && i < static_cast<int>(Pic::Count) ? names[i] : "";
}

}  // namespace tolvan
