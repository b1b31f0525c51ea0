// Command ids of the commands that create, destroy and reach GUI objects.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum GuiObjectsId : int {
  kCmdSakusei = 1800,            // 作成
  kCmdSettei = 1801,             // 設定
  kCmdEru = 1802,                // 得る
  kCmdObjectHakai = 1803,        // オブジェクト破壊
  kCmdChuumoku = 1804,           // 注目
  kCmdObjectZenHakai = 1805,     // オブジェクト全破壊
  kCmdCentering = 1806,          // センタリング
  kCmdCenteringKaijo = 1807,     // センタリング解除
  kCmdSonoTangoNiTokutei = 1808, // その単語に特定
  kCmdNosekaeru = 1809,          // 乗せ換える／乗せる
  kCmdTsukuru = 1810,            // 作る
};

// The registration table of this family.
const TCommandFamily& GuiObjectsFamily();

}  // namespace tama
