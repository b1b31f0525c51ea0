// Registration table of the sound and media commands.
#include "commands/sound.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"演奏", "?を", kCmdEnsou, nullptr},
    {"演奏停止", "", kCmdEnsouTeishi, nullptr},
    {"演奏状態", "", kCmdEnsouJoutai, nullptr},
    {"繰り返し演奏", "?を", kCmdKurikaeshiEnsou, nullptr},
    {"MCI送信", "?を", kCmdMciSoushin, nullptr},
    {"BEEP", "", kCmdBeep, nullptr},
};

static const TCommandFamily kFamily = {"sound", kDefs, std::size(kDefs)};

const TCommandFamily& SoundFamily() { return kFamily; }

}  // namespace tama
