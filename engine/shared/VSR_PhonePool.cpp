#include "engine/shared/VSR_PhonePool.h"

#include <fstream>
#include <optional>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/shared/TMShared.h"
#include "engine/shared/VDataFile.h"

namespace {

constexpr const char* kDelimiters = "\t\n";

// Cuts a record text into its fields: one delimiter between two fields, and
// one more, empty, field when the text does not end with a delimiter.
std::vector<std::string> Fields(const std::string& text) {
  std::vector<std::string> fields;
  const char* cursor = text.c_str();
  for (char* token = VStr::NextToken(&cursor, kDelimiters); token != nullptr;
       token = VStr::NextToken(&cursor, kDelimiters)) {
    fields.emplace_back(token);
    VStr::Release(&token);
  }
  return fields;
}

void NotFound(const char* where, char symbol) {
  Log::Error(std::string(where) + "@phone [" + std::string(1, symbol) + "] not found");
}

}  // namespace

bool VSR_PhonePool::Load(TMShared* holder) {
  holder_ = holder;
  if (holder == nullptr) {
    // Without the holder there is no configuration to name the file.
    VLib::ReportError("Null TMShared.");
    return true;
  }
  const std::string name = holder->GetConfiguration()->GetParam(kFilenameKey, true);
  ParseFile(VLib::MakePath(name));
  return true;
}

bool VSR_PhonePool::Unload() { return true; }

void VSR_PhonePool::ParseFile(const std::string& path) {
  std::ifstream in;
  // A path that is not a regular file is reported here; the reads below
  // then find nothing.
  VLib::OpenDataFile(path.c_str(), in, true);
  if (const auto header = VLib::ReadDataText(in, kRecordSize, true, path)) {
    for (const std::string& name : Fields(*header)) AddFeatureName(name);
  }
  while (in.good()) {
    const auto record = VLib::ReadDataText(in, kRecordSize, true, path);
    if (!record) continue;
    const std::vector<std::string> fields = Fields(*record);
    AddPhone(fields.empty() ? '\0' : fields[0].c_str()[0]);
    for (size_t i = 0; i < fields.size(); ++i) {
      SetFeature(GetFeatureName(static_cast<int>(i)), fields[i].c_str());
    }
  }
}

void VSR_PhonePool::AddFeatureName(const std::string& name) { columns_.push_back(name); }

const char* VSR_PhonePool::GetFeatureName(int i) const {
  if (i < 0 || i >= ColumnCount()) return nullptr;
  return columns_[static_cast<size_t>(i)].c_str();
}

void VSR_PhonePool::AddPhone(char symbol) {
  phones_.emplace_back();
  phones_.back().SetSymbol(symbol);
  std::size_t& first = firstOf_[static_cast<unsigned char>(symbol)];
  if (first == 0) first = phones_.size();
}

void VSR_PhonePool::SetFeature(const char* name, const char* value) {
  if (phones_.empty()) return;
  phones_.back().Set(name, value);
}

const VPhone* VSR_PhonePool::PhoneAt(int i) const {
  if (i < 0 || i >= PhoneCount()) return nullptr;
  return &phones_[static_cast<size_t>(i)];
}

const VPhone* VSR_PhonePool::FindPhone(char symbol) const {
  const std::size_t first = firstOf_[static_cast<unsigned char>(symbol)];
  return first == 0 ? nullptr : &phones_[first - 1];
}

bool VSR_PhonePool::getPhoneFeature(char symbol, const char* name) const {
  const VPhone* phone = FindPhone(symbol);
  if (phone == nullptr) {
    NotFound("VSR_PhonePool::getPhoneFeature", symbol);
    return false;
  }
  return phone->Is(name, "1");
}

bool VSR_PhonePool::detailedPhoneFeature(char symbol, const char* name, char** out) const {
  const VPhone* phone = FindPhone(symbol);
  if (phone == nullptr) {
    NotFound("VSR_PhonePool::detailedPhoneFeature", symbol);
    return false;
  }
  return phone->Get(name, out);
}

bool VSR_PhonePool::detailedPhoneFeatureIs(char symbol, const char* name, const char* value) const {
  const VPhone* phone = FindPhone(symbol);
  if (phone == nullptr) {
    NotFound("VSR_PhonePool::detailedPhoneFeature", symbol);
    return false;
  }
  return phone->Is(name, value);
}

bool VSR_PhonePool::searchPhone(char symbol, bool /*report*/) const {
  return FindPhone(symbol) != nullptr;
}

bool VSR_PhonePool::has(char symbol, const char* text) const {
  const VPhone* phone = FindPhone(symbol);
  if (phone == nullptr) {
    NotFound("VSR_PhonePool::has", symbol);
    return false;
  }
  return phone->Contains(text) != nullptr;
}
