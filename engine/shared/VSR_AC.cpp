#include "engine/shared/VSR_AC.h"

#include "engine/base/VLib.h"

bool VSR_AC::LoadItem(const std::string& name, const std::string& path) {
  auto* collection = new CRuleCollection(kReserve, kFlag, kOutputUnknown);
  if (!collection->loadFromFile(path)) {
    const errorHandler& error = collection->error();
    VLib::ReportError(name + ":\n\tError code " + std::to_string(error.getErrorCode()) + "\n\t" +
                      error.getErrorTextRef());
    delete collection;
    return false;
  }
  Enter(name, collection);
  return true;
}
