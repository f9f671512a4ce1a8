// The phone table: one record per phone symbol with its features, loaded
// once per process from the file named by "Phones.Filename".
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "engine/data/VPhone.h"
#include "engine/shared/VSR_Resource.h"

class VSR_PhonePool : public VSR_Resource {
 public:
  // The configuration key of the table's file, relative to the installation.
  static constexpr const char* kFilenameKey = "Phones.Filename";
  // The size of one scrambled record of the table's file.
  static constexpr int kRecordSize = 500;

  VSR_PhonePool() = default;

  // Loads the table named in the holder's configuration; always true.
  bool Load(TMShared* holder) override;
  // Keeps the table; true.
  bool Unload() override;

  // The first record of that symbol; null when none (nothing reported).
  const VPhone* FindPhone(char symbol) const;
  // Whether the phone's first feature of that name is "1". An unknown
  // symbol gives false and an error line in the engine log.
  bool getPhoneFeature(char symbol, const char* name) const;
  // The text of the phone's feature (a new block in *out, released with
  // VStr::Release). An unknown symbol gives false and an error line.
  bool detailedPhoneFeature(char symbol, const char* name, char** out) const;
  // Whether detailedPhoneFeature would give value, without making the copy;
  // an unknown symbol gives false and the same error line.
  bool detailedPhoneFeatureIs(char symbol, const char* name, const char* value) const;
  // Whether a record of that symbol exists; reports nothing.
  bool searchPhone(char symbol, bool report) const;
  // Whether text occurs anywhere in the phone's features. An unknown symbol
  // gives false and an error line.
  bool has(char symbol, const char* text) const;

  // Building the table.
  void AddFeatureName(const std::string& name);
  const char* GetFeatureName(int i) const;
  void AddPhone(char symbol);
  void SetFeature(const char* name, const char* value);
  void ParseFile(const std::string& path);

  int PhoneCount() const { return static_cast<int>(phones_.size()); }
  // Record i in the order of the file; null when there is none.
  const VPhone* PhoneAt(int i) const;
  int ColumnCount() const { return static_cast<int>(columns_.size()); }

 private:
  std::vector<VPhone> phones_;
  // For each symbol, 1 + the index of its first record; 0 when none.
  std::array<std::size_t, 256> firstOf_{};
  std::vector<std::string> columns_;
};
