// The pieces of the database module, joined by its entry.
#pragma once
#include <memory>
#include <string>

#include "commands/office_module.h"

namespace tama::office {

std::unique_ptr<IDbConnection> OpenEmbeddedDb(const std::string& nativeFile, std::string& error);
std::unique_ptr<IDbConnection> OpenDriverDb(const std::string& connection, std::string& error);

}  // namespace tama::office
