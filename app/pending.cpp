// Commands and procedures that do nothing yet.
#include "app/tolvan.h"

namespace tolvan {

i16 Tolvan::調査_四方状態(int, int, int) { return flag_off; }
int Tolvan::調査_向右(int) { return 0; }
int Tolvan::調査_向左(int) { return 0; }
int Tolvan::調査_向上(int) { return 0; }
int Tolvan::調査_向下(int) { return 0; }
i16 Tolvan::調査_当たり2(int, int, int) { return flag_off; }
i16 Tolvan::調査_当たり(int, int, int, int) { return flag_off; }

void Tolvan::調査_判定(int, int) {}
void Tolvan::対局_判定() {}
void Tolvan::PASU_Click() {}
void Tolvan::HANTEI_Click() {}
void Tolvan::LEBEL_UP_Click() {}
void Tolvan::LEBEL_DOWN_Click() {}

void Tolvan::調査_碁盤() {}
void Tolvan::com_ban() {}
double Tolvan::調査_得点(int, int) { return 0; }
int Tolvan::調査_四方数値(int, int) { return 0; }
int Tolvan::調査_四方斜(int, int, int) { return 0; }
int Tolvan::調査_状態(int, int, int) { return 0; }
i16 Tolvan::調査_MAN当り(int, int) { return flag_off; }
double Tolvan::調査_得点_定石四方空(int, int) { return 0; }
void Tolvan::定石ファイル読込() {}
void Tolvan::取得_文字列_定石座標(const std::string&, int&) {}
std::string Tolvan::取得_文字列_定石(const std::string&) { return {}; }
std::string Tolvan::取得_文字列(int, int, int) { return {}; }
i16 Tolvan::調査_定石有無(int&, int&) { return flag_off; }
void Tolvan::取得_座標(const std::string&, int, int&, int&) {}
void Tolvan::取得_定石MAN座標(int, int, int&, int&) {}

void Tolvan::MouseDown(double, double) {}
void Tolvan::SENTE_Click() {}
void Tolvan::GOTE_Click() {}
void Tolvan::TAIMAN_Click() {}
void Tolvan::SAISYO_Click() {}
void Tolvan::MODORU_Click() {}
void Tolvan::SUSUMU_Click() {}
void Tolvan::GYAKUTEN_Click() {}

void Tolvan::描画_打駒印(int, int, int) {}
void Tolvan::描画_手順番号(int, int, int, int) {}
void Tolvan::描画_全手順番号(int) {}
void Tolvan::描画_当駒消去() {}

void Tolvan::読込_環境設定ファイル() {}
void Tolvan::書込_環境設定ファイル() {}
void Tolvan::チェック設定(int) {}
void Tolvan::MIDORI_Click() {}
void Tolvan::TAKE_Click() {}
void Tolvan::BANGOU_Click() {}
void Tolvan::SINAN_Click() {}
void Tolvan::BGM_Click() {}

void Tolvan::サウンド初期設定(i32) {}
i32 Tolvan::読込_サウンド(const std::string&, i32) { return 0; }
void Tolvan::サウンド終了処理() {}
void Tolvan::警告表示(const std::string&) {}
void Tolvan::dsPlay(i32) {}
void Tolvan::dsPlayLooping(i32) {}
void Tolvan::dsStop(i32) {}
void Tolvan::dsFree(i32) {}

void Tolvan::KAISETU_Click() {}
void Tolvan::VER_Click() {}

}  // namespace tolvan
