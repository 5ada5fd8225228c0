// Fuzz target: the reader of plain text records of one or two columns, fed the bytes of a
// whole file from memory (checks in record_reader_fuzz.h).

#include "record_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return quarvel::fuzz::ReadRecordFuzzInput(data, size, quarvel::RecordFormat::Columns);
}
