// The その他 menu: the manual in the browser and the version window.
#include "app/tolvan.h"

namespace tolvan {

// 解説: the manual Tolvan.htm of the start-up directory, in the user's browser. The
// program does not wait for the page; a missing file is the browser's own error page.
void Tolvan::KAISETU_Click() {
    pf.browser.open(s.start_dir + "/Tolvan.htm");
}

// バージョン情報: the "other" sound, then the modal version window. Its ホームページ
// button opens the home page; either button closes the window.
void Tolvan::VER_Click() {
    dsPlay(s.sound_other);
    if (pf.dialogs.showVersion() == VersionButton::HomePage) pf.browser.open(home_page);
}

}  // namespace tolvan
