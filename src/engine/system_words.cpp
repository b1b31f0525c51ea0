// The words that RegisterWords files besides the commands.
#include "engine/system_words.h"

#include <iterator>

#include "words/tags.h"

namespace tama {

static const TSystemWordDef kSystemWords[] = {
    {"そして", false, "", "日本語らしい表記をするための接続詞。一度文を区切り,構文チェックをする。", TComputed::kNone},
    {"回数", true, "0", "回、反復、命令において、繰り返した回数をカウントしている変数e", TComputed::kNone},
    {"タブ文字の個数", false, "8", "表示命令や、行揃え命令での、タブ文字の個数を指定", TComputed::kNone},
    {"禁則処理の行頭禁止文字", false, "、。，．・？！゛゜ヽヾゝゞ々ー）］｝」』!),.:;?]}｡｣､･ｰﾞﾟ", "行揃え命令などでの、禁則処理に使う文字", TComputed::kNone},
    {"マッチ数", false, "", "正規表現でマッチした数を返すe", TComputed::kNone},
    {"ダイアログキャンセルの値", false, "", "ダイアログでキャンセルが押された時の値s", TComputed::kNone},
    {"ダイアログIMEの状態", false, "0", "ダイアログを表示する時にIMEの状態を設定するe", TComputed::kNone},
    {"ダイアログ初期値", false, "", "ダイアログを表示する時の初期値を設定するs", TComputed::kNone},
    {"属性なし", true, "0", "ファイル属性変更e", TComputed::kNone},
    {"読取専用ファイル", true, "1", "ファイル属性変更e", TComputed::kNone},
    {"隠しファイル", true, "2", "ファイル属性変更e", TComputed::kNone},
    {"アーカイブファイル", true, "32", "ファイル属性変更e", TComputed::kNone},
    {"エラーメッセージ", true, "", "直前のエラーメッセージを記憶しているs", TComputed::kNone},
    {"終了不可能", true, "0", "プログラムが終了できるかどうか調べるのに使う", TComputed::kNone},
    {"表フィールド名", false, "0", "表の１行目をフィールド名として扱うかどうか。オンかオフを指定する。", TComputed::kNone},
    {"表示出力先", false, "", "『表示』命令の出力先を指定。ファイル名を指定する。s", TComputed::kNone},
    {"文字色", false, "0", "文字の色を設定s", TComputed::kNone},
    {"文字サイズ", false, "12", "文字サイズを設定e", TComputed::kNone},
    {"文字書体", false, "ＭＳ ゴシック", "文字の書体を設定s", TComputed::kNone},
    {"ペン色", false, "0", "図形の外枠の色を設定s", TComputed::kNone},
    {"ペン太さ", false, "2", "図形の外枠の太さを設定e", TComputed::kNone},
    {"塗り色", false, "0", "図形の塗り色を設定s", TComputed::kNone},
    {"JPEG圧縮率", false, "100", "JPEG形式で、イメージ保存するときの圧縮率を1-100で指定するe", TComputed::kNone},
    {"部品配置間隔", false, "8", "部品を自動配置する時の部品間の間隔e", TComputed::kNone},
    {"マウスX", true, "0", "マウスが押された時のマウス座標e", TComputed::kNone},
    {"マウスY", true, "0", "マウスが押された時のマウス座標e", TComputed::kNone},
    {"押されたキー", true, "0", "キーイベントで押されたキーの番号e", TComputed::kNone},
    {"押された特殊キー", true, "", "キーイベントで押された特殊キーの名前を配列形式で保持。(Shift,Ctrl,Alt)", TComputed::kNone},
    {"イベントオブジェクト", true, "", "イベントを発したオブジェクトs", TComputed::kNone},
    {"イベントの値", true, "", "イベントを発したオブジェクトs", TComputed::kNone},
    {"ブラウザURL移動許可", false, "1", "ブラウザでURLの移動を許可するかe", TComputed::kNone},
    {"ブラウザ移動先URL", true, "", "ブラウザでクリックされた時の次のURLの移動先を保持s", TComputed::kNone},
    {"枠なし", false, "0", kTagNumber, TComputed::kNone},
    {"枠固定", false, "1", kTagNumber, TComputed::kNone},
    {"枠可変", false, "2", kTagNumber, TComputed::kNone},
    {"ダイアログスタイル", false, "3", kTagNumber, TComputed::kNone},
    {"縦", false, "縦", "スクロールバーの向きs", TComputed::kNone},
    {"横", false, "横", "スクロールバーの向きs", TComputed::kNone},
    {"両方", false, "両方", "スクロールバーの向きs", TComputed::kNone},
    {"IMEオン", false, "1", "IMEの設定項目で、IMEをオンにするe", TComputed::kNone},
    {"IMEオフ", false, "0", "IMEの設定項目で、IMEをオフにするe", TComputed::kNone},
    {"IMEひらがな", false, "2", "IMEの設定項目で、IMEをひらがなにするe", TComputed::kNone},
    {"IMEカタカナ", false, "3", "IMEの設定項目で、IMEをカタカナにするe", TComputed::kNone},
    {"IME半角カタカナ", false, "4", "IMEの設定項目で、IMEを半角カタカナにするe", TComputed::kNone},
    {"演奏繰り返し", false, "0", "演奏繰り返し=オンorオフe", TComputed::kNone},
    {"DBプロバイダ", false, "", "DBの種類s", TComputed::kNone},
    {"DBデータソース", false, "", "DBのデータソースs", TComputed::kNone},
    {"DBユーザーID", false, "", "DBのユーザーIDs", TComputed::kNone},
    {"DBパスワード", false, "", "DBのパスワードs", TComputed::kNone},
    {"DB_ACCESS2000", false, "Microsoft.Jet.OLEDB.4.0", "DBs", TComputed::kNone},
    {"DB_ORACLE", false, "MSDAORA", "DBs", TComputed::kNone},
    {"DB_SQLSERVER", false, "SQLOLEDB", "DBs", TComputed::kNone},
    {"圧縮オプション", false, "-a1 -r2 -x1 -l1 -jp1 -o2 -ji0", "圧縮/自己解凍書庫作成命令の圧縮オプションの指定s", TComputed::kNone},
    {"解凍オプション", false, "-a1 -r2 -x1 -jp1 -c0 -m1", "解凍命令の解凍オプションの指定s", TComputed::kNone},
    {"自己解凍書庫オプション", false, "-x1 -r2 -gx0 -gw4", "自己解凍書子作成命令の解凍オプションの指定s", TComputed::kNone},
    {"メールホスト", false, "", "メールサーバーホストアドレスを指定s", TComputed::kNone},
    {"メールID", false, "", "ユーザーIDを指定s", TComputed::kNone},
    {"メールパスワード", false, "", "ユーザーパスワードを指定s", TComputed::kNone},
    {"メールタイトル", false, "", "メールのタイトルs", TComputed::kNone},
    {"メール本文", false, "", "メールの本文s", TComputed::kNone},
    {"メール添付ファイル", false, "", "メールに添付するファイルリスト（配列）s", TComputed::kNone},
    {"メール送信先", false, "", "メール送信先リスト（配列）s", TComputed::kNone},
    {"メールBCC", false, "", "非公開メール送信先リスト（配列）s", TComputed::kNone},
    {"メールCC", false, "", "公開メール送信先リスト（配列）s", TComputed::kNone},
    {"メール送信元", false, "", "メール送信元アドレスs", TComputed::kNone},
    {"メール送信者名", false, "", "メール送信者名s", TComputed::kNone},
    {"メールサーバーから削除", false, "1", "受信したメールをサーバーから削除するかs", TComputed::kNone},
    {"FTPホスト", false, "", "FTPサーバーホストアドレスを指定s", TComputed::kNone},
    {"FTPユーザーID", false, "", "ユーザーＩＤを指定s", TComputed::kNone},
    {"FTPパスワード", false, "", "ユーザーパスワードを指定s", TComputed::kNone},
    {"FTP接続方式", false, "", "PASV転送を使う場合は、「PASV」と指定s", TComputed::kNone},
    {"TCPポート", false, "", "TCP/IPのポート番号s", TComputed::kNone},
    {"TCPサービス名", false, "", "TCP/IPのサービス名s", TComputed::kNone},
    {"TCP文字列", false, "", "TCP/IPで受信した文字列s", TComputed::kNone},
    {"TCP送信元", false, "", "TCP/IPでメッセージを送信したコンピューターのIPアドレスs", TComputed::kNone},
    {"HKEY_CLASSES_ROOT", true, "0", kTagNumber, TComputed::kNone},
    {"HKEY_CURRENT_USER", true, "1", kTagNumber, TComputed::kNone},
    {"HKEY_LOCAL_MACHINE", true, "2", kTagNumber, TComputed::kNone},
    {"HKEY_USERS", true, "3", kTagNumber, TComputed::kNone},
    {"DDEファイル名", false, "", "DDEの対象ファイルを選択s", TComputed::kNone},
    {"DDE文字列", false, "", "DDEのイベントを受けるs", TComputed::kNone},
    {"オン", false, "1", kTagNumber, TComputed::kNone},
    {"オフ", false, "0", kTagNumber, TComputed::kNone},
    {"はい", false, "1", kTagNumber, TComputed::kNone},
    {"いいえ", false, "0", kTagNumber, TComputed::kNone},
    {"キャンセル", false, "2", kTagNumber, TComputed::kNone},
    {"それ", false, "", "命令の返却値として利用", TComputed::kNone},
    {"そ", false, "", "「その」前回利用したオブジェクトを覚えておく", TComputed::kNone},
    {"赤色", false, "#FF0000", kTagString, TComputed::kNone},
    {"青色", false, "#0000FF", kTagString, TComputed::kNone},
    {"黒色", false, "#000000", kTagString, TComputed::kNone},
    {"白色", false, "#FFFFFF", kTagString, TComputed::kNone},
    {"黄色", false, "#FFFF00", kTagString, TComputed::kNone},
    {"緑色", false, "#00FF00", kTagString, TComputed::kNone},
    {"紫色", false, "#FF00FF", kTagString, TComputed::kNone},
    {"灰色", false, "#CCCCCC", kTagString, TComputed::kNone},
    {"水色", false, "#00FFFF", kTagString, TComputed::kNone},
    {"茶色", false, "#993300", kTagString, TComputed::kNone},
    {"オレンジ色", false, "#FF3300", kTagString, TComputed::kNone},
    {"肌色", false, "#FFCC99", kTagString, TComputed::kNone},
    {"ウィンドウ色", false, "", "ウィンドウズのシステムカラー(BtnFace)", TComputed::kColorMenu},
    {"ウインドウ色", false, "", "ウィンドウズのシステムカラー", TComputed::kColorMenu},
    {"デスクトップ色", false, "", "ウィンドウズのシステムカラー", TComputed::kColorBackground},
    {"アクティブ色", false, "", "ウィンドウズのシステムカラー", TComputed::kColorActiveCaption},
    {"非アクティブ色", false, "", "ウィンドウズのシステムカラー", TComputed::kColorInactiveCaption},
    {"選択色", false, "", "ウィンドウズのシステムカラー", TComputed::kColorHighlight},
    {"コマンドライン引数", true, "", "", TComputed::kCommandLine},
    {"母艦のパス", true, "", kTagString, TComputed::kProgramFolder},
    {"ランタイムのパス", true, "", kTagString, TComputed::kRuntimeFolder},
    {"デスクトップのパス", true, "", kTagString, TComputed::kDesktopFolder},
    {"ゴミ箱のパス", true, "", kTagString, TComputed::kRecycleBinFolder},
    {"マイドキュメントのパス", true, "", kTagString, TComputed::kDocumentsFolder},
    {"スタートメニューのパス", true, "", kTagString, TComputed::kStartMenuFolder},
    {"スタートアップのパス", true, "", kTagString, TComputed::kStartupFolder},
    {"SENDTOのパス", true, "", kTagString, TComputed::kSendToFolder},
    {"WINDOWSのパス", true, "", kTagString, TComputed::kWindowsFolder},
    {"SYSTEMのパス", true, "", kTagString, TComputed::kSystemFolder},
    {"TEMPのパス", true, "", kTagString, TComputed::kTempFolder},
    {"お気に入りのパス", true, "", kTagString, TComputed::kFavoritesFolder},
    {"OS", true, "", kTagString, TComputed::kOsName},
    {"デスクトップの幅", false, "", kTagNumber, TComputed::kScreenWidth},
    {"デスクトップの高さ", false, "", kTagNumber, TComputed::kScreenHeight},
    {"たまかずバージョン", false, "1.74", kTagString, TComputed::kNone},
    {"たまかず最終更新日", false, "2003/04/29", kTagString, TComputed::kNone},
};

static_assert(std::size(kSystemWords) == 124);

std::span<const TSystemWordDef> SystemWordDefs() { return kSystemWords; }

static const TQuickWordDef kQuickWords[] = {
    {TQuickWord::kSore, "それ", false},
    {TQuickWord::kSo, "そ", false},
    {TQuickWord::kKaisuu, "回数", false},
    {TQuickWord::kSoshite, "そして", false},
    {TQuickWord::kMoshi, "もし", true},
    {TQuickWord::kNaraba, "ならば", true},
    {TQuickWord::kNara, "なら", true},
    {TQuickWord::kChigaeba, "違えば", true},
    {TQuickWord::kDenakereba, "でなければ", true},
    {TQuickWord::kErrorMessage, "エラーメッセージ", false},
    {TQuickWord::kCannotQuit, "終了不可能", false},
    {TQuickWord::kTabWidth, "タブ文字の個数", false},
    {TQuickWord::kLineStartForbidden, "禁則処理の行頭禁止文字", false},
    {TQuickWord::kMatchCount, "マッチ数", false},
    {TQuickWord::kDialogCancelValue, "ダイアログキャンセルの値", false},
    {TQuickWord::kDialogIme, "ダイアログIMEの状態", false},
    {TQuickWord::kDialogInitialValue, "ダイアログ初期値", false},
    {TQuickWord::kTableFieldNames, "表フィールド名", false},
    {TQuickWord::kDisplayOutput, "表示出力先", false},
    {TQuickWord::kTextColor, "文字色", false},
    {TQuickWord::kTextSize, "文字サイズ", false},
    {TQuickWord::kTextFont, "文字書体", false},
    {TQuickWord::kPenColor, "ペン色", false},
    {TQuickWord::kPenWidth, "ペン太さ", false},
    {TQuickWord::kFillColor, "塗り色", false},
    {TQuickWord::kJpegQuality, "JPEG圧縮率", false},
    {TQuickWord::kPartSpacing, "部品配置間隔", false},
    {TQuickWord::kMouseX, "マウスX", false},
    {TQuickWord::kMouseY, "マウスY", false},
    {TQuickWord::kPressedKey, "押されたキー", false},
    {TQuickWord::kPressedSpecialKeys, "押された特殊キー", false},
    {TQuickWord::kEventObject, "イベントオブジェクト", false},
    {TQuickWord::kEventValue, "イベントの値", false},
    {TQuickWord::kBrowserAllowNavigate, "ブラウザURL移動許可", false},
    {TQuickWord::kBrowserNextUrl, "ブラウザ移動先URL", false},
    {TQuickWord::kPlayRepeat, "演奏繰り返し", false},
    {TQuickWord::kDbProvider, "DBプロバイダ", false},
    {TQuickWord::kDbDataSource, "DBデータソース", false},
    {TQuickWord::kDbUserId, "DBユーザーID", false},
    {TQuickWord::kDbPassword, "DBパスワード", false},
    {TQuickWord::kPackOptions, "圧縮オプション", false},
    {TQuickWord::kUnpackOptions, "解凍オプション", false},
    {TQuickWord::kSelfExtractOptions, "自己解凍書庫オプション", false},
    {TQuickWord::kMailHost, "メールホスト", false},
    {TQuickWord::kMailId, "メールID", false},
    {TQuickWord::kMailPassword, "メールパスワード", false},
    {TQuickWord::kMailTitle, "メールタイトル", false},
    {TQuickWord::kMailBody, "メール本文", false},
    {TQuickWord::kMailAttachments, "メール添付ファイル", false},
    {TQuickWord::kMailTo, "メール送信先", false},
    {TQuickWord::kMailBcc, "メールBCC", false},
    {TQuickWord::kMailCc, "メールCC", false},
    {TQuickWord::kMailFrom, "メール送信元", false},
    {TQuickWord::kMailSenderName, "メール送信者名", false},
    {TQuickWord::kMailDeleteFromServer, "メールサーバーから削除", false},
    {TQuickWord::kFtpHost, "FTPホスト", false},
    {TQuickWord::kFtpUserId, "FTPユーザーID", false},
    {TQuickWord::kFtpPassword, "FTPパスワード", false},
    {TQuickWord::kFtpMode, "FTP接続方式", false},
    {TQuickWord::kTcpPort, "TCPポート", false},
    {TQuickWord::kTcpService, "TCPサービス名", false},
    {TQuickWord::kTcpText, "TCP文字列", false},
    {TQuickWord::kTcpPeer, "TCP送信元", false},
    {TQuickWord::kDdeFileName, "DDEファイル名", false},
    {TQuickWord::kDdeText, "DDE文字列", false},
};

static_assert(std::size(kQuickWords) == static_cast<size_t>(TQuickWord::kCount));

std::span<const TQuickWordDef> QuickWordDefs() { return kQuickWords; }

static const char* const kPropertyNames[] = {
    "X",                       // 0
    "Y",                       // 1
    "幅",                      // 2
    "高さ",                    // 3
    "テキスト",                // 4
    "アイテム",                // 5
    "値",                      // 6
    "画像",                    // 7
    "拡大機能",                // 8
    "最大値",                  // 9
    "最小値",                  // 10
    "タイトル",                // 11
    "向き",                    // 12
    "ボタン機能",              // 13
    "可視",                    // 14
    "イベント",                // 15
    "クリックした時",          // 16
    "ダブルクリックした時",    // 17
    "マウス押した時",          // 18
    "マウス離した時",          // 19
    "キー押した時",            // 20
    "キー離した時",            // 21
    "変更した時",              // 22
    "編集",                    // 23
    "透過処理",                // 24
    "背景色",                  // 25
    "サイズ",                  // 26
    "名前",                    // 27
    "スクロールバー",          // 28
    "フォント書体",            // 29
    "フォントサイズ",          // 30
    "フォント色",              // 31
    "ファイルドロップ",        // 32
    "リサイズ",                // 33
    "ショートカットキー",      // 34
    "IME",                     // 35
    "繰り返し回数",            // 36
    "効果音",                  // 37
    "マウス動かした時",        // 38
    "追加画像",                // 39
    "選択文字列",              // 40
    "ハンドル",                // 41
    "有効",                    // 42
    "選択位置",                // 43
    "選択文字数",              // 44
    "URL",                     // 45
    "右側",                    // 46
    "下側",                    // 47
    "ファイルドロップした時",  // 48
    "スタイル",                // 49
    "W",                       // 50
    "H",                       // 51
    "位置",                    // 52
    "列",                      // 53
    "行",                      // 54
    "ソート",                  // 55
    "種類",                    // 56
};

static_assert(std::size(kPropertyNames) == 57);

std::span<const char* const> PropertyNames() { return kPropertyNames; }

}  // namespace tama
