// Command ids of the archive commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum ArchiveId : int {
  kCmdAsshuku = 1400,                // 圧縮
  kCmdKaitou = 1401,                 // 解凍
  kCmdJikoKaitouShokoSakusei = 1402, // 自己解凍書庫作成
};

// The registration table of this family.
const TCommandFamily& ArchiveFamily();

}  // namespace tama
