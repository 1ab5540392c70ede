// The その他 menu: the manual in the browser and the version window.
#include "game/tolvan.h"

namespace tolvan {

namespace {

// Opens the address in the browser without waiting. When the page could not be opened,
// a message box with the prompt tells the person, so that they can open it by hand; by
// then the program may have ended, and then nothing is shown.
void openInBrowser(Tolvan& game, const std::string& address, const std::string& prompt,
                   const std::string& title) {
    game.pf.browser.open(address, [&game, prompt, title] {
        if (game.ended) return;
        game.MsgBox(prompt, Buttons::OK, title);
    });
}

}  // namespace

// 解説: the manual Tolvan.htm, where the program finds it (else in the start-up
// directory), in the user's browser. The program does not wait for the page; a missing
// file is the browser's own error page.
void Tolvan::KAISETU_Click() {
    const std::string found = pf.clock.dataFile("Tolvan.htm");
    const std::string page = !found.empty() && found[0] == '/' ? found : s.start_dir + "/" + found;
    openInBrowser(*this, page, "解説を開けません\nブラウザで次のファイルを開いて下さい\n\n" + page,
                  "解説");
}

// バージョン情報: the "other" sound, then the modal version window. Its ホームページ
// button opens the home page; either button closes the window.
void Tolvan::VER_Click() {
    dsPlay(s.sound_other);
    if (pf.dialogs.showVersion() == VersionButton::HomePage)
        openInBrowser(*this, home_page,
                      "ホームページを開けません\nブラウザで次のアドレスを開いて下さい\n\n" +
                          std::string(home_page),
                      "ホームページ");
}

}  // namespace tolvan
