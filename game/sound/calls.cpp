// The play calls into the sound library. Without a loaded library they do nothing; the
// library itself ignores handle 0.
#include "game/tolvan.h"

namespace tolvan {

void Tolvan::dsPlay(i32 sound) {
    if (pf.sound.dsPlay) pf.sound.dsPlay(sound);
}
void Tolvan::dsPlayLooping(i32 sound) {
    if (pf.sound.dsPlayLooping) pf.sound.dsPlayLooping(sound);
}
void Tolvan::dsStop(i32 sound) {
    if (pf.sound.dsStop) pf.sound.dsStop(sound);
}
void Tolvan::dsFree(i32 sound) {
    if (pf.sound.dsFree) pf.sound.dsFree(sound);
}

}  // namespace tolvan
