// Scrambled records (engine/shared/Descrambler, VDataFile): any bytes read as
// a data file of each record size. The stream reader and the descrambler
// agree record by record, and a decoded payload written again by the data
// tools decodes to the same payload.
#include <sstream>

#include "engine/base/VStr.h"
#include "engine/shared/Descrambler.h"
#include "engine/shared/VDataFile.h"
#include "tests/fuzz/FuzzSupport.h"
#include "tools/scramble/DataFileWriter.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=2000"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tm_fuzz::NextInput();
  const std::string bytes(tm_fuzz::Bytes(data, size));
  for (const int recordSize : {500, 400, 120}) {
    std::istringstream in(bytes);
    char* block = nullptr;
    for (size_t at = 0; at + recordSize <= bytes.size(); at += recordSize) {
      const bool read = VLib::ReadDataEntry(in, recordSize, &block, true);
      Descrambler::Bytes payload;
      const Descrambler::Bytes record(data + at, data + at + recordSize);
      const bool decoded = Descrambler::DecodeEntry(record, payload);
      tm_fuzz::Check(read == decoded, "the reader takes exactly the records that decode");
      if (!decoded) continue;
      const std::string text(payload.begin(), payload.end());
      tm_fuzz::Check(text.substr(0, text.find('\0')) == block, "the reader gives the payload");
      std::string again;
      tm_fuzz::Check(scramble::EncodeRecord(text, recordSize, again), "a payload fits again");
      Descrambler::Bytes back;
      tm_fuzz::Check(
          Descrambler::DecodeEntry(Descrambler::Bytes(again.begin(), again.end()), back) &&
              back == payload,
          "a written record decodes to its payload");
    }
    tm_fuzz::Check(!VLib::ReadDataEntry(in, recordSize, &block, true), "nothing after the end");
    VStr::Release(&block);
  }
  return 0;
}
