// The commands of conditions, loops, jumps, subroutines, included files and
// the end of the run. The command tables reference these handlers; each takes
// its arguments from the argument stack and reads its blocks at the cursor.
#pragma once
#include <string>
#include <string_view>

namespace tama {

class TTamaBase;

// The end of the sentence that starts at p: up to CR, LF or ";", literals and
// parenthesised parts taken whole, a line-final "&" joining the next line.
const char* SentenceEnd(TTamaBase& t, const char* p);

// The position of the label line "*name" inside a text (the "*"), or nullptr.
// The label must stand alone on its line as a label definition does.
const char* FindLabelLine(std::string_view text, std::string_view name);

// The condition of もし rewritten into an expression (phrases with が, 以上,
// 以下, と等しい, かつ, または).
std::string RewriteCondition(TTamaBase& t, std::string_view condition);

namespace flow {

void Moshi(TTamaBase& t, int id);         // もし
void Naraba(TTamaBase& t, int id);        // ならば, 違えば, でなければ: nothing to do
void Nara(TTamaBase& t, int id);          // なら on its own
void JoukenBunki(TTamaBase& t, int id);   // 条件分岐
void Kurikaesu(TTamaBase& t, int id);     // 繰り返す
void Hanpuku(TTamaBase& t, int id);       // 反復
void Loop(TTamaBase& t, int id);          // ループ
void Nukeru(TTamaBase& t, int id);        // 抜ける
void Tsuzukeru(TTamaBase& t, int id);     // 続ける
void Tobu(TTamaBase& t, int id);          // 飛ぶ
void Yobu(TTamaBase& t, int id);          // 呼ぶ
void Modoru(TTamaBase& t, int id);        // 戻る
void KansuuTeigi(TTamaBase& t, int id);   // 関数定義
void HikisuuShutoku(TTamaBase& t, int id);  // 引数取得
void Torikomu(TTamaBase& t, int id);      // 取り込む
void Tamakazusuru(TTamaBase& t, int id);  // たまかずする
void Owari(TTamaBase& t, int id);         // おわり
void ShuuryouShoriSettei(TTamaBase& t, int id);  // 終了処理設定
void KaigyouDeTomeru(TTamaBase& t, int id);      // 改行で実行を止める
// 待機: the run stops here and returns to the event loop; from then on the
// program runs only from events and timers.
void Taiki(TTamaBase& t, int id);

}  // namespace flow

}  // namespace tama
