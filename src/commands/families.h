// Every command family of the language, in registration order.
#pragma once

#include <span>

#include "engine/command.h"

namespace tama {

// The families whose commands RegisterWords files into the word table, in the
// order they are registered (the order shows only inside hash buckets).
std::span<const TCommandFamily> AllCommandFamilies();

}  // namespace tama
