// Scrambled records (engine/shared/Descrambler, VDataFile): any bytes as a
// data file of each record size, read, decoded and written again.
#include <sstream>

#include "engine/base/VStr.h"
#include "engine/shared/Descrambler.h"
#include "engine/shared/VDataFile.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/scramble/DataFileWriter.h"

const tm_fuzz::Target tm_fuzz::kTarget{2, 2000, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  for (const int recordSize : {500, 400, 120}) {
    std::istringstream in{std::string(bytes)};
    char* block = nullptr;
    for (size_t at = 0; at + recordSize <= bytes.size(); at += recordSize) {
      const bool read = VLib::ReadDataEntry(in, recordSize, &block, true);
      Descrambler::Bytes payload;
      const Descrambler::Bytes record(bytes.begin() + at, bytes.begin() + at + recordSize);
      const bool decoded = Descrambler::DecodeEntry(record, payload);
      Check(read == decoded, "the reader takes exactly the records that decode");
      if (!decoded) continue;
      const std::string text(payload.begin(), payload.end());
      Check(text.substr(0, text.find('\0')) == block, "the reader gives the payload");
      std::string again;
      Check(scramble::EncodeRecord(text, recordSize, again), "a payload fits again");
      Descrambler::Bytes back;
      Check(Descrambler::DecodeEntry(Descrambler::Bytes(again.begin(), again.end()), back) &&
                back == payload,
            "a written record decodes to its payload");
    }
    Check(!VLib::ReadDataEntry(in, recordSize, &block, true), "nothing after the end");
    VStr::Release(&block);
  }
}
