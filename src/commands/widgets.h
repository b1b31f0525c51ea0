// Command ids of the menu commands and the commands of particular widgets.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum WidgetsId : int {
  kCmdMenuSakusei = 2000,                    // メニュー作成
  kCmdMenuTsuika = 2001,                     // メニュー追加
  kCmdTEditorSettei = 2002,                  // Tエディタ設定
  kCmdTEditorSetteiWoHozon = 2003,           // Tエディタ設定を保存
  kCmdTEditorSetteiWoYomikomi = 2004,        // Tエディタ設定を読込
  kCmdCopy = 2005,                           // コピー
  kCmdTabTsuika = 2006,                      // タブ追加
  kCmdBrowserSusumu = 2007,                  // ブラウザ進む
  kCmdBrowserModoru = 2008,                  // ブラウザ戻る
  kCmdTabYuukouHenkou = 2009,                // タブ有効変更
  kCmdObjectMaruku = 2010,                   // オブジェクト丸く
  kCmdTreeItemTsuika = 2011,                 // ツリーアイテム追加
  kCmdTreeItemSakujo = 2012,                 // ツリーアイテム削除
  kCmdTreeTenkai = 2013,                     // ツリー展開
  kCmdTreeOritatamu = 2014,                  // ツリー折りたたむ
  kCmdMenuPathSakusei = 2015,                // メニューパス作成
  kCmdTabIchiHenkou = 2016,                  // タブ位置変更
  kCmdGridIchigyouSentakuHenkou = 2017,      // グリッド一行選択変更
  kCmdRichEditorSentakuZokuseiHenkou = 2018, // リッチエディタ選択属性変更
  kCmdRichEditorHozon = 2019,                // リッチエディタ保存
};

// The registration table of this family.
const TCommandFamily& WidgetsFamily();

}  // namespace tama
